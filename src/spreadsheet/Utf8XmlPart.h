#pragma once

#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "Utf8Input.h"

// An XML part of a workbook read straight from its UTF-8 bytes, for the parts
// that grow with the sheet: its rows and the shared strings. QXmlStreamReader
// turns every byte into UTF-16 first, which on a sheet of a million rows
// costs more than all the rest of the reading; here a cell's tags, attributes
// and value are looked at where they lie, and only the texts a cell shows
// become QStrings.
//
// What a well-formed document needs is checked (tags that match, one root,
// attributes, references; Utf8Input checks the characters); a part with a
// DTD is refused as XmlPart refuses it. Namespace prefixes are dropped from
// names, as a sheet's readers look at local names only.
class Utf8XmlPart {
public:
    enum class Token { StartElement, EndElement, Text, EndDocument, Invalid };

    Utf8XmlPart() = default;
    Utf8XmlPart(const Utf8XmlPart&) = delete;
    Utf8XmlPart& operator=(const Utf8XmlPart&) = delete;

    // False with errorString() set when the part is missing.
    bool open(ZipArchive& archive, const QString& name);
    // The next token; Invalid on a failure (errorString() says which),
    // EndDocument at the end. What name(), attribute() and text() show is
    // valid until the next call.
    Token next();
    // Past the end of the element just started.
    bool skipElement();
    // The element's name without its prefix, for StartElement and EndElement.
    QByteArrayView name() const { return m_name; }
    // For StartElement: attribute `local`, whatever its prefix, references
    // resolved; empty when missing.
    QByteArrayView attribute(QByteArrayView local) const;
    // For Text: characters, references resolved. A long text, or one
    // broken by a comment or CDATA, comes in several pieces.
    QByteArrayView text() const { return m_text; }
    QString errorString() const { return m_error; }

private:
    // What a scan of the bytes at m_pos came to: a token, something passed
    // over (a comment, blanks between elements), the need for more bytes,
    // or a fault (errorString() set).
    enum class Scan { Done, Skipped, More, Bad };
    struct Attribute {
        qsizetype name, nameSize;   // the qualified name, in m_input
        qsizetype local, localSize; // the name without its prefix, in m_input
        bool decoded;               // the value is in m_decoded, else in m_input
        qsizetype value, valueSize;
        bool namespaceDeclaration;
    };

    Token fail(const QString& reason) { return fail(reason, m_pos); }
    Token fail(const QString& reason, qsizetype at);
    Scan broken(const QString& reason, qsizetype at) {
        fail(reason, at);
        return Scan::Bad;
    }
    Scan scanText(Token& token);
    Scan scanMarkup(Token& token);
    Scan scanStartTag(Token& token);
    Scan scanEndTag(Token& token);
    Scan scanAttribute(qsizetype& at);
    // Where `end` starts at or after `from`; -1 when it is not read yet.
    qsizetype find(qsizetype from, QByteArrayView end) const;
    bool resolve(QByteArrayView raw, QByteArray& out, bool attribute);
    QByteArrayView view(qsizetype at, qsizetype size) const {
        return QByteArrayView(m_input.data() + at, size);
    }

    Utf8Input m_input;
    qsizetype m_pos = 0;  // where the next token starts in m_input
    bool m_begun = false; // something is read: no XML declaration may come now

    QByteArray m_open; // the qualified names of the open elements, one after another
    std::vector<qsizetype> m_openAt;
    bool m_rootSeen = false;
    bool m_emptyElement = false; // an <a/> just started: its end comes next

    QByteArrayView m_name;
    QByteArrayView m_text;
    QByteArray m_decoded; // texts and attribute values whose references were resolved
    std::vector<Attribute> m_attributes;
    QString m_error;
};
