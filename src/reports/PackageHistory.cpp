#include "PackageHistory.h"

#include <QHash>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/RegionalFormat.h"

QString PackageListStatement(const QString& mode) {
    return QStringLiteral("SELECT tbg.id,msgid,msgtip,dosya_adi,kural_adi,tarih,gtarih,gateway,"
                          "tbg.originator,paket_boyut,NULLIF(sms_sayisi,0) AS SMS ") +
           QStringLiteral("FROM tbl_giden_txt AS tbg LEFT OUTER JOIN tbl_kurallar_txt AS tbk ") +
           // A package sent from a file is stored with kural 1 whatever rule
           // 1 is; its kind tells it apart, and it has no rule to name.
           QStringLiteral("ON tbk.id = tbg.kural AND msgtip <> 'Dosyadan gönderim' ") +
           QStringLiteral("WHERE gateway = '") + SqlQuote(mode) + QStringLiteral("' ") +
           QStringLiteral("ORDER BY tbg.id DESC");
}

Recordset PackageList() {
    OpenDatabase();
    return OpenRecordset(PackageListStatement(App().gGatewayMode));
}

QString BilledSmsExpression() {
    return QStringLiteral("CASE WHEN sms_sayisi > 0 THEN sms_sayisi ELSE paket_boyut END");
}

QList<DaySends> ReadDailySends(const QDate& today, int days) {
    const QDate first = today.addDays(1 - days);
    OpenDatabase();
    // A range on gtarih, which is indexed: the screen asks every second.
    Recordset rs =
        OpenRecordset(QStringLiteral("SELECT substr(gtarih,1,10) AS gun,SUM(paket_boyut),SUM(") +
                      BilledSmsExpression() + QStringLiteral(") FROM tbl_giden_txt ") +
                      QStringLiteral("WHERE gtarih >= #") + JetDateText(first) +
                      QStringLiteral("# AND gtarih < #") + JetDateText(today.addDays(1)) +
                      QStringLiteral("# GROUP BY gun"));
    QHash<QDate, DaySends> found;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        const QDate day = QDate::fromString(rs.text(0), Qt::ISODate);
        found.insert(day, {day, rs.value(1).toLongLong(), rs.value(2).toLongLong()});
    }
    QList<DaySends> out;
    for (QDate day = first; day <= today; day = day.addDays(1))
        out << found.value(day, DaySends{day});
    return out;
}
