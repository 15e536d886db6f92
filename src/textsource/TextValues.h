#pragma once

#include <optional>

#include <QStringView>
#include <QVariant>

#include "core/Recordset.h"

// How the reader turns field texts into typed values. Only plain forms
// count as numbers, so nothing a user typed is ever altered unless it
// clearly is a number: a sign, ASCII digits and, for decimals, one decimal
// comma (the regional format), with blanks around allowed. "12.5",
// "1.250,00", "1e5" and "0532 123 45 67" stay text.

// Whole numbers of 1 to 18 digits (any longer one would not be kept exactly).
// `asWritten` tells whether the program shows the value exactly as `text`
// (no sign +, blanks, leading zeros...), so the text can stand for it.
std::optional<qint64> ParseWholeNumber(QStringView text, bool* asWritten = nullptr);

// Whole or decimal-comma numbers of at most 15 digits in all, the most a
// double keeps exactly.
std::optional<double> ParseDecimalNumber(QStringView text, bool* asWritten = nullptr);

// Collects the values of one column's scanned rows and names the type that
// holds them all: Integer, Double or Text (also for a column of Nulls).
class TypeVote {
public:
    void add(QStringView text); // a non-empty field text
    FieldType type() const;

private:
    bool m_seen = false;
    bool m_allWhole = true;
    bool m_allNumbers = true;
};

// A value as the program shows it (Recordset::render), quicker for the
// texts and numbers a data file holds; Null gives "".
QString ValueText(const QVariant& value);
void AppendValueText(QString& out, const QVariant& value);
void AppendWholeNumberText(QString& out, qint64 value);
void AppendNumberText(QString& out, double value);
// The decimal digits of `value` (with a minus sign) written to `out`, which
// must hold 20 characters; returns how many.
qsizetype WholeNumberDigits(qint64 value, char16_t* out);
// RegionalNumberText, quicker for the numbers a data file holds.
QString NumberText(double value);
