#pragma once

#include <memory>

#include <QString>
#include <QStringList>

#include "textsource/RecordSource.h"

// Reads one sheet of a workbook (.xlsx, .ods or .xls, told apart by content) as
// the same table a delimited data file saved from it gives: the header
// choice decides whether the first row names the columns, the columns are
// named and typed by the same rules as DelimitedReader's, and each cell is
// the text the spreadsheet shows ("150,50", "09.12.2026", "42", "DOĞRU",
// text as typed), so the template, the GSM column and the reject files
// treat it as they treat a data file. Empty rows are skipped; values past
// the last column of the scanned rows stay in it, joined by a space.
//
// The sheet streams: the scanned rows, the shared strings and the number
// formats are all that is held. A workbook that would unpack to too much,
// lacks a part, has a broken one, carries a DTD, or holds a run of empty
// rows meant to keep the program busy is refused with errorString() naming
// the file; a sender checks hasError() after the last record, as it does
// for a data file.
class WorkbookReader : public RecordSource {
public:
    static constexpr int MaxColumns = 1000;

    WorkbookReader();
    ~WorkbookReader() override;
    WorkbookReader(const WorkbookReader&) = delete;
    WorkbookReader& operator=(const WorkbookReader&) = delete;

    // The sheets in their order; empty with `error` set on a failure.
    static QStringList SheetNames(const QString& path, QString* error = nullptr);

    // The sheet at `sheet` (0-based), the first by default.
    bool open(const QString& path, bool header, int sheet = 0, int maxScanRows = 25);
    // The sheet named `sheet`.
    bool open(const QString& path, bool header, const QString& sheet, int maxScanRows = 25);
    void close();
    // The failure was a zip still being written, which a later look may find whole.
    bool isIncomplete() const;
    QString sheetName() const;

    bool isOpen() const override;
    bool hasError() const override;
    QString errorString() const override;
    const TextColumns& columns() const override;
    bool isEmpty() const override;
    bool next() override;
    const TextRecord& record() const override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
