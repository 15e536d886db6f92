#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "core/Recordset.h"

// The statement of the sent-package list: every package recorded under the
// account mode `mode`, newest first, with the name of the rule that sent it
// (empty when that rule is gone, and for a package sent from a file). Columns: id, msgid, msgtip,
// dosya_adi, kural_adi, tarih, gtarih, gateway, originator, paket_boyut, SMS
// (the SMS billed, Null for a package recorded before they were counted).
QString PackageListStatement(const QString& mode);

// The package list of the running account mode (App().gGatewayMode), as the
// reports window and `parlex-cli packages` show it. Opens the database when
// it is closed; a failing statement raises DatabaseError.
Recordset PackageList();

// A package's SMS in the sums, as an SQL expression over tbl_giden_txt: the
// SMS it was billed, or for a package recorded before they were counted
// (sms_sayisi 0) its message count, the least it can have cost.
QString BilledSmsExpression();

// What the packages delivered on one day held.
struct DaySends {
    QDate day;
    qint64 messages = 0;
    qint64 sms = 0;
    friend bool operator==(const DaySends&, const DaySends&) = default;
};

inline constexpr int DailySendsDays = 14;

// The last `days` days up to `today`, oldest first, one entry a day (0 for a
// day without a package), by the day of each package's delivery time
// (gtarih), as the status screen's counters count them: a package scheduled
// for a later day is left out until that day. Opens the database when it is
// closed; a failing statement raises DatabaseError.
QList<DaySends> ReadDailySends(const QDate& today, int days = DailySendsDays);
