#include "ServiceSummary.h"

#include "core/DbRoutines.h"
#include "core/RegionalFormat.h"
#include "reports/PackageHistory.h"

namespace {

// First column of the first row; "0" for no row or a Null (SUM of nothing).
QString firstValue(const QString& sql) {
    Recordset rs = OpenRecordset(sql);
    if (rs.isEmpty() || rs.isNull(0))
        return QStringLiteral("0");
    return rs.text(0);
}

} // namespace

QString TodayCondition(const QDate& today) {
    const QString day = JetDateText(today);
    // From 00:00:00: a package stamped at midnight belongs to its day too.
    return QStringLiteral("WHERE gtarih BETWEEN #") + day + QStringLiteral(" 00:00:00# ") +
           QStringLiteral("AND #") + day + QStringLiteral(" 23:59:59#");
}

ServiceSummary ReadServiceSummary(const QDate& today) {
    ServiceSummary s;
    s.totalFiles =
        firstValue(QStringLiteral("SELECT COUNT(msgid) ") + QStringLiteral("FROM tbl_giden_txt"));
    s.todayFiles = firstValue(QStringLiteral("SELECT COUNT(msgid) ") +
                              QStringLiteral("FROM tbl_giden_txt ") + TodayCondition(today));
    s.totalMessages = firstValue(QStringLiteral("SELECT SUM(paket_boyut) ") +
                                 QStringLiteral("FROM tbl_giden_txt "));
    s.todayMessages = firstValue(QStringLiteral("SELECT SUM(paket_boyut) ") +
                                 QStringLiteral("FROM tbl_giden_txt ") + TodayCondition(today));
    const QString sms = QStringLiteral("SELECT SUM(") + BilledSmsExpression() +
                        QStringLiteral(") FROM tbl_giden_txt ");
    s.totalSms = firstValue(sms);
    s.todaySms = firstValue(sms + TodayCondition(today));
    return s;
}
