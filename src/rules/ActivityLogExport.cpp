#include "ActivityLogExport.h"

#include "core/DbRoutines.h"

ActivityLogSource::ActivityLogSource() {
    OpenDatabase();
    Recordset top = OpenRecordset(QStringLiteral("SELECT MAX(id), COUNT(id) FROM tbl_log_txt"));
    if (!top.isEmpty() && !top.isNull(0)) {
        m_top = top.value(0).toLongLong();
        m_count = top.value(1).toLongLong();
    }
    m_before = m_top + 1;
}

QStringList ActivityLogSource::columnNames() {
    return {QStringLiteral("Tarih"), QStringLiteral("Açıklama")};
}

void ActivityLogSource::readPage() {
    // By key, not by offset: each page costs the same however deep it is.
    m_page =
        OpenRecordset(QStringLiteral("SELECT id, tarih, aciklama FROM tbl_log_txt WHERE id < ") +
                      QString::number(m_before) + QStringLiteral(" ORDER BY id DESC LIMIT ") +
                      QString::number(PageRows));
    m_page.moveFirst();
}

void ActivityLogSource::writeRow(qint64, ExportRowSink& sink) {
    if (m_page.eof()) {
        readPage();
        // Lines deleted meanwhile: their rows stay empty.
        if (m_page.eof())
            return;
    }
    m_before = m_page.value(0).toLongLong();
    if (!m_page.isNull(1))
        sink.dateTime(0, m_page.value(1).toDateTime());
    if (!m_page.isNull(2))
        sink.text(1, m_page.text(2));
    m_page.moveNext();
}
