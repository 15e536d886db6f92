#pragma once

#include "StatusList.h"
#include "spreadsheet/ExcelExport.h"

// The rows a status list shows (after the filter), as the export writes
// them: GsmNo and Durum, both texts, so a number keeps its digits.
class StatusListExport : public ExportSource {
public:
    explicit StatusListExport(const StatusList& list)
        : m_list(list) {}
    qint64 rowCount() const override { return m_list.rowCount(); }
    int columnCount() const override { return 2; }
    void writeRow(qint64 row, ExportRowSink& sink) override;

    // The header row of a status list export.
    static QStringList columnNames();

private:
    const StatusList& m_list;
};
