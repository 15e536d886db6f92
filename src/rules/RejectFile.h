#pragma once

#include <QByteArray>
#include <QString>

#include "textsource/CodePage.h"

// One of a data file's three reject files (h01_, h02_, h03_) in the outgoing
// folder: the rows that could not be sent, ";"-joined, in the data file's own
// encoding so the user can open them with the program that made the file.
//
// The file is made only when there are rows to write, under a free name
// (cut short when the file system cannot hold it), so that a pass killed
// half-way leaves no empty reject file behind. When the outgoing folder
// cannot take it (missing, not writable, full), the rows go to a holding
// folder beside the database instead, to be moved on with the data file;
// there they are written under a ".part" name until they are all stored, so
// what a killed pass leaves behind is known for what it is.
class RejectFile {
public:
    // Rows for `name` in `folder`, or in holdFolder (none: the rows have
    // nowhere else to go).
    RejectFile(const QString& folder, const QString& name, const QString& holdFolder);
    // One never settled (the file's processing broke off) is removed.
    ~RejectFile();
    RejectFile(const RejectFile&) = delete;
    RejectFile& operator=(const RejectFile&) = delete;

    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }
    // The header line (when the data file has one) goes before every row.
    void addRow(const QString& header, const QString& line);

    int count() const { return m_count; }
    // Writes every row out, before the package leaves: false when neither
    // folder could take them, and the package must wait.
    bool store();
    // Written to the holding folder rather than the outgoing one.
    bool isHeld() const { return m_held; }
    // Where the rows are, or the name they were meant for.
    QString path() const { return m_path; }
    // Why the outgoing folder could not take them, and why the holding
    // folder could not either.
    QString errorString() const { return m_error; }
    QString holdErrorString() const { return m_holdError; }

    // Closes it, and removes it when it has no rows or the file was not sent.
    void settle(bool keep);

    static inline const QString PartSuffix = QStringLiteral(".part");

private:
    bool openHere();
    bool moveToHold();
    void writePending();
    void writeLine(const QString& line);
    void remember(QString& error) const;

    QString m_folder;
    QString m_name;
    QString m_holdFolder;
    QString m_path;
    int m_fd = -1;
    QByteArray m_pending;   // lines not written yet
    qint64 m_committed = 0; // bytes known to be in the file
    TextEncoding m_encoding = TextEncoding::Windows1254;
    int m_count = 0;
    bool m_started = false;
    bool m_made = false; // a file of ours is on disk, to go unless kept
    bool m_held = false;
    bool m_part = false; // still under its ".part" name
    bool m_lost = false; // rows neither folder took
    QString m_error;
    QString m_holdError;
};
