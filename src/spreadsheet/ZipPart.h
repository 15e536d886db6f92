#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

struct zip;
struct zip_file;

// A workbook's zip, opened only when what it unpacks to stays within
// bounds, so a small file cannot make the program unpack gigabytes. The
// bound holds for the bytes actually unpacked too, whatever the zip's
// directory says.
class ZipArchive {
public:
    // Never more than this, nor more than UnpackRatio times the file's size.
    static constexpr qint64 MaxUnpackedBytes = qint64(1) << 30;
    static constexpr qint64 UnpackRatio = 100;

    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // False with errorString() set; isIncomplete() when the file is a zip
    // whose writer has not finished (no directory at its end yet).
    bool open(const QString& path);
    bool isIncomplete() const { return m_incomplete; }
    QString errorString() const { return m_error; }
    const QString& path() const { return m_path; }

    bool contains(const QString& name) const;

private:
    friend class ZipStream;
    bool fail(const QString& message);
    bool countUnpacked(qint64 bytes); // false once over the bound

    zip* m_zip = nullptr;
    QString m_path;
    qint64 m_limit = 0;
    qint64 m_unpacked = 0;
    bool m_incomplete = false;
    QString m_error;
};

// One part of a workbook's zip, read as it unpacks, within the archive's
// bound.
class ZipStream {
public:
    ZipStream() = default;
    ~ZipStream();
    ZipStream(const ZipStream&) = delete;
    ZipStream& operator=(const ZipStream&) = delete;

    // False with errorString() set when the part is missing.
    bool open(ZipArchive& archive, const QString& name);
    bool isOpen() const { return m_file != nullptr; }
    // Up to `size` bytes into `data`; 0 at the end, -1 with errorString()
    // set when the part is broken or the bound is passed.
    qint64 read(char* data, qint64 size);
    QString errorString() const { return m_error; }
    const QString& path() const { return m_archive->path(); }
    const QString& name() const { return m_name; }

private:
    ZipArchive* m_archive = nullptr;
    zip_file* m_file = nullptr;
    QString m_name;
    QString m_error;
};

// One XML part of a workbook, streamed through QXmlStreamReader a piece at a
// time. A part with a DTD is refused: entities are the way XML grows a few
// bytes into gigabytes or reaches for other files, and no workbook needs one.
class XmlPart {
public:
    XmlPart() = default;
    XmlPart(const XmlPart&) = delete;
    XmlPart& operator=(const XmlPart&) = delete;

    // False with errorString() set when the part is missing.
    bool open(ZipArchive& archive, const QString& name);
    // The next token; Invalid on a failure (errorString() says which),
    // EndDocument at the end.
    QXmlStreamReader::TokenType next();
    // Past the end of the element just started.
    bool skipElement();
    QXmlStreamReader& xml() { return m_xml; }
    QString errorString() const { return m_error; }

private:
    QXmlStreamReader::TokenType fail(const QString& message);
    bool refill();

    ZipStream m_part;
    QXmlStreamReader m_xml;
    QByteArray m_buffer;
    bool m_atEnd = false;
    QString m_error;
};

// Attribute `local`, whatever its prefix; empty when missing.
QStringView AttributeValue(const QXmlStreamAttributes& attributes, QStringView local);
