#pragma once

#include <memory>

#include <QFile>
#include <QString>

#include "textsource/CodePage.h"

// One of a data file's three reject files (h01_, h02_, h03_) in the outgoing
// folder: the rows that could not be sent, ";"-joined, in the data file's own
// encoding so the user can open them with the program that made the file.
//
// When the outgoing folder cannot take it (missing, not writable, full), the
// rows go to a holding folder beside the database instead, to be moved on
// with the data file; there it is written under a ".part" name until it is
// settled, so what a killed pass leaves behind is known for what it is.
class RejectFile {
public:
    // Creates path empty, replacing an older file; failing that, the same
    // name in holdFolder. When neither can be written the writer is inert:
    // rows are still counted.
    RejectFile(const QString& path, const QString& holdFolder);
    // One never settled (the file's processing broke off) is removed.
    ~RejectFile();
    RejectFile(const RejectFile&) = delete;
    RejectFile& operator=(const RejectFile&) = delete;

    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }
    // The header line (when the data file has one) goes before every row.
    void addRow(const QString& header, const QString& line);

    int count() const { return m_count; }
    bool isOpen() const { return m_file && m_file->isOpen(); }
    // Written to the holding folder rather than the outgoing one.
    bool isHeld() const { return m_held; }
    QString path() const { return m_path; }
    // Why the outgoing folder could not take it, or why rows were lost.
    QString errorString() const { return m_error; }

    // Closes it, and removes it when it has no rows or the file was not sent.
    void settle(bool keep);

    static inline const QString PartSuffix = QStringLiteral(".part");

private:
    bool openFile(const QString& path);
    bool moveToHold();
    void writeLine(const QString& line);
    void writePending();

    QString m_path;
    QString m_holdFolder;
    std::unique_ptr<QFile> m_file;
    QByteArray m_pending;   // lines not written yet
    qint64 m_committed = 0; // bytes known to be in the file
    TextEncoding m_encoding = TextEncoding::Windows1254;
    int m_count = 0;
    bool m_started = false;
    bool m_held = false;
    QString m_error;
};
