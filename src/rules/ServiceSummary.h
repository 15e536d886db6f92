#pragma once

#include <QDate>
#include <QString>

// The four counters of the status screen, from the sent-package record: a
// file is one package row, a message count the sum of the package sizes, and
// a package belongs to the day it is delivered on. Beside the message counts,
// the SMS they were billed as (BilledSmsExpression).
struct ServiceSummary {
    QString totalFiles;
    QString todayFiles;
    QString totalMessages;
    QString todayMessages;
    QString totalSms;
    QString todaySms;
};

// The whole calendar day, from midnight to its last second.
QString TodayCondition(const QDate& today);

ServiceSummary ReadServiceSummary(const QDate& today);
