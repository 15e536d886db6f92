#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

#include "textsource/CodePage.h"
#include "textsource/TextRecord.h"

// The rows of one of a data file's three reject files (h01_, h02_, h03_),
// written as text (RejectFile) or, for a workbook, as a workbook
// (RejectBook). Either is made only when it has rows, under a free name,
// and is on disk when store() returns true, before the package leaves.
class RejectRows {
public:
    virtual ~RejectRows() = default;

    // Text reject files are written in the data file's encoding.
    virtual void setEncoding(TextEncoding) {}
    // A row that is not sent, with the column names before it when the
    // file has a header.
    virtual void addRecord(const TextRecord& row) = 0;
    virtual int count() const = 0;
    // Writes every row out: false when no folder could take them, and the
    // package must wait.
    virtual bool store() = 0;
    // Written to the holding folder rather than the outgoing one.
    virtual bool isHeld() const = 0;
    // Where the rows are, or the name they were meant for.
    virtual QString path() const = 0;
    // Why the outgoing folder could not take them, and why the holding
    // folder could not either.
    virtual QString errorString() const = 0;
    virtual QString holdErrorString() const = 0;
    // Closes it, and removes it when it has no rows or the file was not sent.
    virtual void settle(bool keep) = 0;
};

// The name of a data file's reject file: prefix + the file's name, or for a
// workbook prefix + its name without the extension + ".xlsx", whatever
// kind of workbook it was (liste.ods: h01_liste.xlsx).
QString RejectFileName(const QString& prefix, const QString& dataFileName);

// The reject rows for `dataFileName` under `prefix` in `folder`, held in
// holdFolder when the folder cannot take them (none: nowhere else). Rows
// are text lines joined by `separator`, or a workbook's rows.
std::unique_ptr<RejectRows> MakeRejectRows(const QString& folder, const QString& prefix,
                                           const QString& dataFileName, const QString& holdFolder,
                                           bool header, const QString& separator);

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
class RejectFile final : public RejectRows {
public:
    // Rows for `name` in `folder`, or in holdFolder (none: the rows have
    // nowhere else to go).
    RejectFile(const QString& folder, const QString& name, const QString& holdFolder);
    // One never settled (the file's processing broke off) is removed.
    ~RejectFile();
    RejectFile(const RejectFile&) = delete;
    RejectFile& operator=(const RejectFile&) = delete;

    void setEncoding(TextEncoding encoding) override {
        m_encoding = encoding;
        m_headerOf.reset();
    }
    // addRecord's values are joined by `separator`; with `header`, the
    // column names go before every row, as reject files always had them.
    void setLayout(const QString& separator, bool header);
    void addRecord(const TextRecord& row) override;

    int count() const override { return m_count; }
    bool store() override;
    bool isHeld() const override { return m_held; }
    QString path() const override { return m_path; }
    QString errorString() const override { return m_error; }
    QString holdErrorString() const override { return m_holdError; }
    void settle(bool keep) override;

    static inline const QString PartSuffix = QStringLiteral(".part");

private:
    bool openHere();
    bool moveToHold();
    void writePending();
    // Before a line: false once the rows are lost, the byte order mark
    // before the first.
    bool startLine();
    // After one: writes the lines once there are enough of them.
    void endLine();
    void writeLine(QStringView line);
    // A line already encoded, its line break included.
    void writeEncoded(QByteArrayView bytes);
    void remember(QString& error) const;

    QString m_folder;
    QString m_name;
    QString m_holdFolder;
    QString m_path;
    int m_fd = -1;
    QByteArray m_pending; // lines not written yet
    QString m_line;       // the row being added, its buffer reused
    // The header line written before each row, joined and encoded once
    // for the columns it names.
    std::shared_ptr<const TextColumns> m_headerOf;
    QByteArray m_headerLine;
    qint64 m_committed = 0; // bytes known to be in the file
    TextEncoding m_encoding = TextEncoding::Windows1254;
    QString m_separator = QStringLiteral(";");
    bool m_header = false;
    int m_count = 0;
    bool m_started = false;
    bool m_made = false; // a file of ours is on disk, to go unless kept
    bool m_held = false;
    bool m_part = false; // still under its ".part" name
    bool m_lost = false; // rows neither folder took
    QString m_error;
    QString m_holdError;
};

// A workbook's reject rows, written as a workbook (sheets Sayfa1, ... with
// the column names as their first row when the workbook had a header row),
// each value as the sheet showed it, as a text. The rows wait in a private
// temporary file until store(), which writes the workbook whole beside its
// reserved name and puts it in place (in the holding folder when the
// outgoing one cannot take it), so no half-written workbook is ever seen
// under the name and a million rows cost no memory.
class RejectBook final : public RejectRows {
public:
    RejectBook(const QString& folder, const QString& name, const QString& holdFolder, bool header);
    ~RejectBook() override;
    RejectBook(const RejectBook&) = delete;
    RejectBook& operator=(const RejectBook&) = delete;

    void addRecord(const TextRecord& row) override;
    int count() const override { return m_count; }
    bool store() override;
    bool isHeld() const override { return m_held; }
    QString path() const override { return m_path; }
    QString errorString() const override { return m_error; }
    QString holdErrorString() const override { return m_holdError; }
    void settle(bool keep) override;

    // Called now and then while a long workbook is written (a window keeps
    // repainting).
    std::function<void()> whileWriting;

private:
    bool writeIn(const QString& folder, const QString& name, QString& error);
    void writePending();
    void lose();

    QString m_folder;
    QString m_name;
    QString m_holdFolder;
    QString m_path;
    bool m_header;
    QStringList m_columns; // the header row, when there is one
    int m_width = 0;       // cells in the longest row
    QTemporaryFile m_spool;
    QByteArray m_pending; // rows not in the spool yet
    QString m_text;
    int m_count = 0;
    bool m_lost = false;   // rows the spool did not take
    bool m_stored = false; // the workbook is in place
    bool m_made = false;   // a file of ours is on disk, to go unless kept
    bool m_held = false;
    QString m_error;
    QString m_holdError;
};
