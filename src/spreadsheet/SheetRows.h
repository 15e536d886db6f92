#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

// The rows of one sheet, as the workbook formats give them to WorkbookReader.
class SheetRows {
public:
    enum class Status { Row, End, Error };

    // More rows than any spreadsheet program keeps, or a run of more empty
    // rows than this, is a file made to keep the program busy.
    static constexpr qint64 MaxRows = 1048576;
    static constexpr qint64 MaxEmptyRun = 100000;
    static constexpr int MaxColumns = 1000;
    // A longer row is no recipient's (as for a data file's record).
    static constexpr qint64 MaxRowLength = 1024 * 1024;

    virtual ~SheetRows() = default;

    // The next row holding any value: each cell's text as the spreadsheet
    // shows it, "" for an empty one. Empty rows are skipped.
    Status next(std::vector<QString>& cells);
    QString errorString() const { return m_error; }
    const QString& sheet() const { return m_sheet; }

protected:
    SheetRows(QString path, QString sheet)
        : m_path(std::move(path))
        , m_sheet(std::move(sheet)) {}

    Status fail(const QString& message) {
        if (m_error.isEmpty())
            m_error = message;
        return Status::Error;
    }
    virtual Status read(std::vector<QString>& cells) = 0;

    // Checks the characters of a row read so far.
    bool rowLength(qint64 length);
    // Counts `count` empty rows that are really there (not only implied).
    bool emptyRows(qint64 count);
    // Checks a row holding values that ends at 1-based row `last`.
    bool valueRow(qint64 last);
    // Checks a value's 0-based column.
    bool column(qint64 index);

    QString m_path;
    QString m_sheet;
    QString m_error;

private:
    qint64 m_emptyRun = 0;
};

// A workbook file of any format: its sheets by name, one opened at a time.
class WorkbookFile {
public:
    virtual ~WorkbookFile() = default;
    virtual QStringList sheetNames() = 0; // empty with errorString() on failure
    // The sheet at `index` (0-based); nullptr with errorString() on failure.
    virtual std::unique_ptr<SheetRows> openSheet(int index) = 0;
    QString errorString() const { return m_error; }
    bool isIncomplete() const { return m_incomplete; }

protected:
    QString m_error;
    bool m_incomplete = false;
};

class ZipArchive;
std::unique_ptr<WorkbookFile> OpenXlsx(std::unique_ptr<ZipArchive> zip);
std::unique_ptr<WorkbookFile> OpenOds(std::unique_ptr<ZipArchive> zip);
// Whether the file starts as a BIFF (.xls) workbook's compound file does.
bool IsXlsFile(const QString& path);
std::unique_ptr<WorkbookFile> OpenXls(const QString& path, QString& error);

// The workbook at `path` whatever its format; nullptr with `error` (and
// `incomplete` for a zip still being written) on a failure.
std::unique_ptr<WorkbookFile> OpenWorkbookFile(const QString& path, QString& error,
                                               bool& incomplete);
