#pragma once

#include <memory>

#include <QFile>
#include <QString>

#include "textsource/CodePage.h"

// One of a data file's three reject files (h01_, h02_, h03_) in the outgoing
// folder: the rows that could not be sent, ";"-joined, in the data file's own
// encoding so the user can open them with the program that made the file.
class RejectFile {
public:
    // Creates the file empty, replacing an older one. A file that cannot be
    // created leaves the writer inert: rows are still counted.
    explicit RejectFile(const QString& path);
    // One never settled (the file's processing broke off) is removed.
    ~RejectFile();
    RejectFile(const RejectFile&) = delete;
    RejectFile& operator=(const RejectFile&) = delete;

    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }
    // The header line (when the data file has one) goes before every row.
    void addRow(const QString& header, const QString& line);

    int count() const { return m_count; }
    bool isOpen() const { return m_file && m_file->isOpen(); }
    QString path() const { return m_path; }
    QString errorString() const { return m_error; }

    // Closes it, and removes it when it has no rows or the file was not sent.
    void settle(bool keep);

private:
    void writeLine(const QString& line);

    QString m_path;
    std::unique_ptr<QFile> m_file;
    TextEncoding m_encoding = TextEncoding::Windows1254;
    int m_count = 0;
    bool m_started = false;
    QString m_error;
};
