#pragma once

#include <utility>

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// Workbooks as a spreadsheet program saves them, for the senders' tests.
// A cell is a QString (text as typed), an int or qint64 (a number in the
// General format), a double (a number shown with two decimals, "0.00"), a
// QDate (shown as dd.mm.yyyy) or an invalid QVariant (an empty cell).
using SheetRows = QList<QVariantList>;
using Sheets = QList<std::pair<QString, SheetRows>>;

// An .xlsx written by libxlsxwriter, one sheet per entry.
void WriteXlsx(const QString& path, const Sheets& sheets);
// An .ods: content.xml with the texts, numbers and dates, without number
// styles (numbers show in the General format).
void WriteOds(const QString& path, const Sheets& sheets);

// The bytes of such a workbook: .xlsx, or .ods when `suffix` says so.
QByteArray WorkbookBytes(const QString& suffix, const Sheets& sheets);

// One part of a workbook's zip, as stored ("xl/worksheets/sheet1.xml").
QByteArray WorkbookPart(const QString& path, const QString& part);

// The sheet's rows as the program reads them without a header: each row's
// values as written, joined by ";" (so a header row is the first line); or
// "error: " and why.
QStringList SheetLines(const QString& path, int sheet = 0);
