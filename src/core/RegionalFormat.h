#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// The program writes and shows dates, times and numbers in one fixed
// regional format (Turkish), whatever the machine's locale.

QString RegionalDateTimeText(const QDateTime& value); // dd.MM.yyyy HH:mm:ss
QString RegionalDateText(const QDate& value);         // dd.MM.yyyy
QString RegionalTimeText(const QTime& value);         // HH:mm:ss
QString RegionalNumberText(double value); // decimal comma, no exponent for whole numbers
QDateTime ParseRegionalDateTime(const QString& text); // invalid QDateTime when it does not parse

// The database engine's date literal: #MM/dd/yyyy HH:mm:ss# without the hashes.
QString JetDateText(const QDate& value);
QString JetDateTimeText(const QDateTime& value);

// ISO text as stored in date-time columns.
QString IsoDateTimeText(const QDateTime& value);
