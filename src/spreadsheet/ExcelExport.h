#pragma once

#include <functional>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

class Recordset;

// The step a failed export names first in its box ("what was being done").
namespace ExcelStep {
inline const QString DeleteExisting = QStringLiteral("Mevcut Excel dosyası silinemiyor");
inline const QString FillSheets =
    QStringLiteral("Bilgisayarınızda, uygulmayı destekleyen Excel programı kurulu "
                   "olmadığından veri aktarım işlemi yapılamıyor");
inline const QString HeadersAndSave = QStringLiteral("Başlık bilgileri oluşturulamadı");
inline const QString ShowFile = QStringLiteral("Oluşturulan Excel dosyası görüntülenemiyor");
} // namespace ExcelStep

// Receives the cells of one row. The cells go straight into the sheet, so a
// million rows cost no QVariant or string copy per cell. A column not
// written stays empty (a Null).
class ExportRowSink {
public:
    virtual ~ExportRowSink() = default;
    // A text cell: digits stay a text, so "05321234567" keeps its zero.
    virtual void text(int column, QStringView value) = 0;
    // The same for text already in UTF-8, NUL-terminated (the fastest way).
    virtual void utf8(int column, const char* value) = 0;
    virtual void number(int column, double value) = 0;
    // A date-time cell shown as dd.mm.yyyy hh:mm:ss; an invalid one is empty.
    virtual void dateTime(int column, const QDateTime& value) = 0;
};

// The rows to export, asked for in order, each once.
class ExportSource {
public:
    virtual ~ExportSource() = default;
    virtual qint64 rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual void writeRow(qint64 row, ExportRowSink& sink) = 0;
};

// The rows of a recordset its filter lets through, as a grid shows them:
// Text fields as texts, numbers as numbers, DateTime fields as date-times.
// Moves the recordset's cursor.
class RecordsetExportSource : public ExportSource {
public:
    explicit RecordsetExportSource(Recordset& rs);
    qint64 rowCount() const override;
    int columnCount() const override;
    void writeRow(qint64 row, ExportRowSink& sink) override;

private:
    Recordset& m_rs;
    qint64 m_next = 0;
};

struct ExportOptions {
    // Called about every 20 ms while rows are written; false stops the
    // export, and nothing is written under the chosen name.
    std::function<bool()> keepGoing;
    // Where the progress texts go (the status bar in the desktop program).
    std::function<void(const QString&)> status;
    // Zip64 records let a workbook pass 4 GB; without them it is a plain
    // zip, which every reader takes, libzip's consistency check included.
    bool zip64 = true;
};

struct ExportResult {
    enum class Outcome { Written, Failed, Cancelled };
    Outcome outcome = Outcome::Failed;
    QString step;   // the step that failed (ExcelStep)
    QString reason; // the system's description of why
    int sheets = 0;

    bool written() const { return outcome == Outcome::Written; }
    // The failure box's text.
    QString message() const;
};

inline constexpr int RowsPerSheet = 65535;

// Writes the rows into a workbook under fileName: sheets Sayfa1, Sayfa2, ...
// of RowsPerSheet rows under a header row of columnNames (none without
// names: the rows start at the top), at least one sheet. Shows nothing;
// advances gProgressTotal and gProgressDone. The workbook is written beside
// fileName under a temporary name and renamed over it only when complete,
// so a failure or a cancel leaves an existing file of that name as it was
// and no partial file behind.
ExportResult WriteWorkbook(ExportSource& source, const QString& fileName,
                           const QStringList& columnNames, const ExportOptions& options = {});

// The desktop's export: WriteWorkbook with the status bar texts and the
// window kept responsive, the workbook opened with the desktop's program,
// and one box that tells how it went (and where the workbook is when no
// program could open it). True when it was written.
bool ExportToExcel(ExportSource& source, const QString& fileName, const QStringList& columnNames);

// The save dialog of an export; the empty text when the user cancels.
QString GetExcelFileToSave();

// Puts the finished workbook in place of the chosen name in one step (on
// disk first); tests put a failing one here, as a full disk would fail.
using ReplaceFileFn = bool (*)(const QString& from, const QString& to, QString* error);
extern ReplaceFileFn gReplaceWorkbookFile;
bool ReplaceFileDurably(const QString& from, const QString& to, QString* error);
