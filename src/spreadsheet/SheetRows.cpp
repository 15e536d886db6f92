#include "SheetRows.h"

SheetRows::Status SheetRows::next(std::vector<QString>& cells) {
    const Status status = read(cells);
    if (status != Status::Row)
        return status;
    qint64 length = 0;
    for (const QString& cell : cells)
        length += cell.size();
    return rowLength(length) ? Status::Row : Status::Error;
}

bool SheetRows::rowLength(qint64 length) {
    if (length <= MaxRowLength)
        return true;
    fail(QStringLiteral("%1: \"%2\" sayfasında %3 karakterden uzun bir satır var")
             .arg(m_path, m_sheet)
             .arg(MaxRowLength));
    return false;
}

bool SheetRows::emptyRows(qint64 count) {
    m_emptyRun += count;
    if (m_emptyRun <= MaxEmptyRun)
        return true;
    fail(QStringLiteral("%1: \"%2\" sayfasında art arda %3 boş satırdan fazlası var")
             .arg(m_path, m_sheet)
             .arg(MaxEmptyRun));
    return false;
}

bool SheetRows::valueRow(qint64 last) {
    m_emptyRun = 0;
    if (last <= MaxRows)
        return true;
    fail(QStringLiteral("%1: \"%2\" sayfası %3 satırdan uzun").arg(m_path, m_sheet).arg(MaxRows));
    return false;
}

bool SheetRows::column(qint64 index) {
    if (index < MaxColumns)
        return true;
    fail(QStringLiteral("%1: %2 sütundan fazlası var").arg(m_path).arg(MaxColumns));
    return false;
}
