#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>
#include <QTime>

// How a spreadsheet shows a number: the part of a cell's number format that
// decides the text a template gets.
struct NumberFormat {
    enum class Kind { General, Fixed, Percent, Date, Time, DateTime };
    Kind kind = Kind::General;
    int decimals = 0;      // Fixed and Percent
    bool grouping = false; // thousands shown with "."
    bool seconds = false;  // Time and DateTime
};

// Excel's built-in formats by id (those a Turkish Excel shows), General for
// the rest.
NumberFormat BuiltInNumberFormat(int id);
// A format code such as "#,##0.00", "0%", "dd/mm/yyyy" or "[$-41F]d mmmm yyyy".
NumberFormat NumberFormatFromCode(QStringView code);

// The number a cell stores (as UTF-8), as QString::toDouble reads the
// trimmed text.
double CellNumber(QByteArrayView text, bool* ok);

// The text of a number under `format`, as a Turkish spreadsheet shows it:
// "150,50", "1.250", "12,5%", "09.12.2026", whole numbers without ",0".
// A date format takes the number as a day count from the workbook's epoch
// (1900, or 1904 for `date1904`).
QString NumberCellText(double value, const NumberFormat& format, bool date1904 = false);
// A date and time: dd.MM.yyyy, with HH:mm (and :ss) when the format has them.
QString DateTimeCellText(QDate date, QTime time, const NumberFormat& format);
// What a Turkish spreadsheet shows for TRUE and FALSE.
QString BooleanCellText(bool value);
