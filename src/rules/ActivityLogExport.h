#pragma once

#include <QStringList>

#include "core/Recordset.h"
#include "spreadsheet/ExcelExport.h"

// The activity log for a workbook, newest line first as the status screen
// lists it: the date as a date-time, the text as a text. The lines are those
// written when the source is made; the log is read a page at a time, so a
// long log costs no more memory than a short one.
class ActivityLogSource final : public ExportSource {
public:
    static constexpr int PageRows = 5000;

    ActivityLogSource();
    qint64 rowCount() const override { return m_count; }
    int columnCount() const override { return 2; }
    void writeRow(qint64 row, ExportRowSink& sink) override;

    // The grid's captions.
    static QStringList columnNames();

private:
    void readPage();

    qint64 m_top = 0;
    qint64 m_count = 0;
    qint64 m_before = 0;
    Recordset m_page;
};
