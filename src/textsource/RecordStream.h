#pragma once

#include <vector>

#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

#include "CodePage.h"

// Why `path` cannot be read as a data file (missing, a folder, a pipe or
// device), or "" for a regular file.
QString DataFileProblem(const QString& path);

// Reads a delimited file record by record, holding only the record being
// split (and a read buffer), so files of any length stream through.
//
// Records end at CR LF, LF or CR. Lines with no characters at all are
// skipped. A field that starts with a double quote runs to the next quote
// that is not doubled and may hold the separator; "" inside it is one
// quote, and text between its closing quote and the separator is kept as
// written. A quote anywhere else is an ordinary character. A separator that
// itself holds a quote turns quoting off. A quoted field never runs past
// its line: one still open at the line's end makes the file unreadable,
// since the rows after it would be read as part of its row and go to its
// recipient.
class RecordStream {
public:
    enum class Status { Record, End, Error };

    // Longest record accepted, in characters: a longer one is a file the
    // program cannot use (binary data).
    static constexpr qsizetype MaxRecordLength = 1024 * 1024;

    RecordStream() = default;
    RecordStream(const RecordStream&) = delete;
    RecordStream& operator=(const RecordStream&) = delete;

    // Opens a regular file and decides its encoding (which reads it once).
    bool open(const QString& path, const QString& separator);
    void close();

    // The next record's fields, as written. The views stay valid until the
    // next call.
    Status next(std::vector<QStringView>& fields);

    TextEncoding encoding() const { return m_encoding; }
    QString errorString() const { return m_error; }

private:
    enum class Split { Record, NeedMore, End, Error };

    bool fail(const QString& message);
    bool detectEncoding();
    bool refill();
    Split split(std::vector<QStringView>& fields);
    Split notText();
    Split unclosedQuote();
    bool separatorAt(const QChar* p, const QChar* end, bool& needMore) const;

    QFile m_file;
    QString m_path;
    QString m_separator;
    char16_t m_separatorFirst = 0;
    bool m_quoting = true;
    TextEncoding m_encoding = TextEncoding::Windows1254;
    QStringDecoder m_utf8;
    QString m_text;                  // decoded, not yet split
    std::vector<QString> m_unquoted; // quoted fields that had to be rewritten
    qsizetype m_pos = 0;             // start of the next record in m_text
    bool m_atEnd = false;            // the file has been read to its end
    // Line breaks before m_pos (CR LF counting once), so that a failure
    // names the line of the file, the header line and empty lines counted.
    qint64 m_lines = 0;
    bool m_afterCr = false;  // m_pos follows a CR, whose LF may come next
    qint64 m_recordLine = 0; // 1-based line of the record being split
    QString m_error;
};
