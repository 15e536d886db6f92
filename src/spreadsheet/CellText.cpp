#include "CellText.h"

#include <algorithm>
#include <cmath>

#include "textsource/TextValues.h"

NumberFormat BuiltInNumberFormat(int id) {
    using Kind = NumberFormat::Kind;
    switch (id) {
    case 1:
        return {Kind::Fixed, 0, false, false};
    case 2:
        return {Kind::Fixed, 2, false, false};
    case 3:
    case 37:
    case 38:
        return {Kind::Fixed, 0, true, false};
    case 4:
    case 39:
    case 40:
        return {Kind::Fixed, 2, true, false};
    case 9:
        return {Kind::Percent, 0, false, false};
    case 10:
        return {Kind::Percent, 2, false, false};
    case 14:
    case 15:
    case 16:
    case 17:
        return {Kind::Date, 0, false, false};
    case 18:
    case 20:
        return {Kind::Time, 0, false, false};
    case 19:
    case 21:
    case 45:
    case 46:
    case 47:
        return {Kind::Time, 0, false, true};
    case 22:
        return {Kind::DateTime, 0, false, false};
    default:
        return {};
    }
}

NumberFormat NumberFormatFromCode(QStringView code) {
    using Kind = NumberFormat::Kind;
    NumberFormat format;
    bool date = false, time = false, month = false, digits = false, point = false;
    bool percent = false, scientific = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const char16_t c = code[i].toLower().unicode();
        if (c == u';')
            break; // the first section is the one for positive numbers
        switch (c) {
        case u'"': // literal text
            while (++i < code.size() && code[i] != u'"') {
            }
            break;
        case u'\\':
        case u'_':
        case u'*':
            ++i; // an escaped character, a space as wide as one, a fill
            break;
        case u'[': { // a colour, a condition, a locale or elapsed time
            const qsizetype end = code.indexOf(u']', i);
            const QStringView inside = code.mid(i + 1, end < 0 ? -1 : end - i - 1);
            if (!inside.isEmpty() && (inside[0].toLower() == u'h' || inside[0].toLower() == u's'))
                time = true;
            if (!inside.isEmpty() && inside[0].toLower() == u's')
                format.seconds = true;
            i = end < 0 ? code.size() : end;
            break;
        }
        case u'y':
        case u'd':
            date = true;
            break;
        case u'h':
            time = true;
            break;
        case u's':
            time = true;
            format.seconds = true;
            break;
        case u'm':
            month = true;
            break;
        case u'g':
            if (code.mid(i).startsWith(u"general", Qt::CaseInsensitive))
                return {};
            date = true; // the era
            break;
        case u'e':
            if (i + 1 < code.size() && (code[i + 1] == u'+' || code[i + 1] == u'-'))
                scientific = true;
            else
                date = true; // the year
            break;
        case u'0':
        case u'#':
        case u'?':
            digits = true;
            if (point)
                ++format.decimals;
            break;
        case u'.':
            point = digits || (i + 1 < code.size() && (code[i + 1] == u'0' || code[i + 1] == u'#'));
            break;
        case u',':
            if (digits && !point)
                format.grouping = true;
            break;
        case u'%':
            percent = true;
            break;
        default:
            break;
        }
    }
    if (date || time || month) {
        // "m" is the month among dates and the minute among times.
        format.kind =
            (date || (month && !time)) ? (time ? Kind::DateTime : Kind::Date) : Kind::Time;
        format.decimals = 0;
        format.grouping = false;
        return format;
    }
    format.seconds = false;
    if (scientific || !digits)
        return {};
    format.kind = percent ? Kind::Percent : Kind::Fixed;
    return format;
}

namespace {

constexpr double PowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// `value` times 10^decimals rounded to a whole number, when that rounding
// cannot go the other way for the exact value: then these digits are the
// ones the general formatting gives, at a fraction of its cost.
bool scaledDigits(double value, int decimals, qint64& digits) {
    if (decimals > 9)
        return false;
    const double scaled = value * PowersOfTen[decimals];
    // Below 10^12 the product is off by less than 2^-13, far from the
    // halfway mark checked next.
    if (!(std::fabs(scaled) < 1e12))
        return false;
    const double fraction = scaled - std::floor(scaled);
    if (std::fabs(fraction - 0.5) < 1e-3)
        return false;
    digits = std::llround(scaled);
    return true;
}

// A number with `decimals` fixed decimals, a decimal comma and, when asked,
// "." between thousands.
QString fixedText(double value, int decimals, bool grouping) {
    if (qint64 digits = 0; scaledDigits(value, decimals, digits)) {
        char16_t buffer[64];
        char16_t* end = buffer + std::size(buffer);
        char16_t* p = end;
        const bool negative = digits < 0; // -0,00 reads as 0,00
        quint64 rest = negative ? 0 - quint64(digits) : quint64(digits);
        for (int place = 0; rest > 0 || place <= decimals; ++place) {
            if (place == decimals && decimals > 0)
                *--p = u',';
            else if (grouping && place > decimals && (place - decimals) % 3 == 0)
                *--p = u'.';
            *--p = char16_t(u'0' + rest % 10);
            rest /= 10;
        }
        if (negative)
            *--p = u'-';
        return QString(reinterpret_cast<const QChar*>(p), end - p);
    }
    QString text = QString::number(value, 'f', std::clamp(decimals, 0, 30));
    if (text.startsWith(u'-') && text.count(u'0') + text.count(u'.') == text.size() - 1)
        text.remove(0, 1); // -0,00 reads as 0,00
    const qsizetype point = text.indexOf(u'.');
    if (point >= 0)
        text[point] = u',';
    if (grouping) {
        const qsizetype first = text.startsWith(u'-') ? 1 : 0;
        for (qsizetype i = (point >= 0 ? point : text.size()) - 3; i > first; i -= 3)
            text.insert(i, u'.');
    }
    return text;
}

// What General shows: whole numbers as they are, others to ten
// significant digits without trailing zeros.
QString generalText(double value) {
    const double magnitude = std::fabs(value);
    if (!std::isfinite(value) || (std::floor(value) == value && magnitude < 1e15))
        return NumberText(value); // a GSM number typed as a number keeps every digit
    if (magnitude >= 1e15 || magnitude < 1e-9)
        return QString::number(value, 'G', 10).replace(u'.', u',');
    const int before = magnitude < 1 ? 1 : int(std::floor(std::log10(magnitude))) + 1;
    QString text = fixedText(value, std::max(0, 10 - before), false);
    if (text.contains(u',')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u','))
            text.chop(1);
    }
    return text == u"-0" ? QStringLiteral("0") : text;
}

} // namespace

double CellNumber(QByteArrayView text, bool* ok) {
    // Up to 15 digits make a whole number below 2^53, and dividing it by an
    // exact power of ten rounds once: the value the general parser gives.
    const bool negative = text.startsWith('-');
    qsizetype i = negative ? 1 : 0;
    qint64 mantissa = 0;
    int digits = 0, decimals = -1;
    for (; i < text.size() && digits <= 15; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + (c - '0');
            ++digits;
            if (decimals >= 0)
                ++decimals;
        } else if (c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    if (i < text.size() || digits == 0 || digits > 15 || decimals == 0)
        return QString::fromUtf8(text).trimmed().toDouble(ok);
    *ok = true;
    const double value = double(mantissa) / PowersOfTen[std::max(decimals, 0)];
    return negative ? -value : value;
}

namespace {

void appendDigits(QString& out, int value, int width) {
    char16_t digits[4];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = char16_t(u'0' + value % 10);
    out.append(reinterpret_cast<const QChar*>(digits), width);
}

} // namespace

// Written out by hand: QDate::toString goes through the calendar and locale
// machinery, which a sheet of a million dates feels.
QString DateTimeCellText(QDate date, QTime time, const NumberFormat& format) {
    const bool withDate = format.kind != NumberFormat::Kind::Time;
    const bool withTime =
        format.kind == NumberFormat::Kind::Time || format.kind == NumberFormat::Kind::DateTime;
    QString text;
    if (withDate) {
        if (!date.isValid() || date.year() < 1000 || date.year() > 9999)
            text = date.toString(u"dd.MM.yyyy");
        else {
            text.reserve(withTime ? 20 : 10);
            appendDigits(text, date.day(), 2);
            text += u'.';
            appendDigits(text, date.month(), 2);
            text += u'.';
            appendDigits(text, date.year(), 4);
        }
        if (withTime)
            text += u' ';
    }
    if (withTime) {
        if (!time.isValid())
            text += time.toString(format.seconds ? u"HH:mm:ss" : u"HH:mm");
        else {
            appendDigits(text, time.hour(), 2);
            text += u':';
            appendDigits(text, time.minute(), 2);
            if (format.seconds) {
                text += u':';
                appendDigits(text, time.second(), 2);
            }
        }
    }
    return text;
}

QString NumberCellText(double value, const NumberFormat& format, bool date1904) {
    switch (format.kind) {
    case NumberFormat::Kind::Fixed:
        return fixedText(value, format.decimals, format.grouping);
    case NumberFormat::Kind::Percent:
        return fixedText(value * 100, format.decimals, format.grouping) + u'%';
    case NumberFormat::Kind::General:
        return generalText(value);
    default:
        break;
    }
    // Day 1 is 1 January 1900, and Excel counts a 29 February 1900 that never
    // was: from day 61 on, the days count from 30 December 1899.
    if (!std::isfinite(value) || value < 0 || value >= 2958466)
        return generalText(value);
    const qint64 seconds = std::llround(value * 86400);
    const qint64 days = seconds / 86400;
    const QDate epoch = date1904    ? QDate(1904, 1, 1)
                        : days < 61 ? QDate(1899, 12, 31)
                                    : QDate(1899, 12, 30);
    return DateTimeCellText(epoch.addDays(days), QTime(0, 0).addSecs(int(seconds % 86400)), format);
}

QString BooleanCellText(bool value) {
    return value ? QStringLiteral("DOĞRU") : QStringLiteral("YANLIŞ");
}
