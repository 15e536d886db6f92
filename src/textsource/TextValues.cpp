#include "TextValues.h"

#include <charconv>
#include <cmath>

#include "core/RegionalFormat.h"

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimmedBlanks(QStringView text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Sign, digits and an optional decimal comma with digits after it.
struct NumberShape {
    bool valid = false;
    bool negative = false;
    bool decimal = false;
    bool bare = false;     // no blanks around and no plus sign
    int leadingZeros = 0;  // of the whole part
    int fractionZeros = 0; // at the start of the fraction
    bool allZero = true;
    bool lastIsZero = false;
    int wholeDigits = 0;
    int digits = 0;         // all digits, both sides of the comma
    int fractionDigits = 0; // digits after the comma
    quint64 mantissa = 0;   // the digits as one number, while there are at most 18
};

NumberShape shapeOf(QStringView text) {
    NumberShape shape;
    // Most fields start and end with a digit; only the rest need trimming.
    const bool plain = !text.isEmpty() && isDigit(text.front()) && isDigit(text.back());
    const QStringView t = plain ? text : trimmedBlanks(text);
    shape.bare = t.size() == text.size();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        shape.negative = t[i] == QLatin1Char('-');
        shape.bare = shape.bare && shape.negative;
        ++i;
    }
    const qsizetype wholeStart = i;
    for (; i < t.size() && isDigit(t[i]); ++i) {
        const int digit = t[i].unicode() - u'0';
        if (digit == 0 && shape.allZero)
            ++shape.leadingZeros;
        shape.allZero = shape.allZero && digit == 0;
        if (++shape.digits <= 18)
            shape.mantissa = shape.mantissa * 10 + digit;
    }
    if (i == wholeStart)
        return shape;
    if (i < t.size()) {
        if (t[i] != QLatin1Char(','))
            return shape;
        const qsizetype fractionStart = ++i;
        for (; i < t.size() && isDigit(t[i]); ++i) {
            const int digit = t[i].unicode() - u'0';
            if (digit == 0 && shape.allZero)
                ++shape.fractionZeros;
            shape.allZero = shape.allZero && digit == 0;
            if (++shape.digits <= 18)
                shape.mantissa = shape.mantissa * 10 + digit;
        }
        if (i == fractionStart || i < t.size())
            return shape;
        shape.decimal = true;
        shape.fractionDigits = static_cast<int>(i - fractionStart);
        shape.wholeDigits = static_cast<int>(fractionStart - 1 - wholeStart);
        shape.lastIsZero = t[i - 1] == QLatin1Char('0');
    } else {
        shape.wholeDigits = static_cast<int>(i - wholeStart);
    }
    shape.valid = true;
    return shape;
}

// Whether the text is exactly what the program shows for its value, so it
// can be shown as it is: no blanks or plus sign, no leading zeros, no
// negative zero, and for decimals no trailing zeros and no value so small
// that it would be shown with an exponent (below 0,0001).
bool shownAsWritten(const NumberShape& shape) {
    if (!shape.valid || !shape.bare || (shape.negative && shape.allZero))
        return false;
    // A zero may lead only as the whole part itself ("0", "0,5").
    if (shape.leadingZeros > 0 && shape.wholeDigits > 1)
        return false;
    if (!shape.decimal)
        return true;
    const bool wholeIsZero = shape.leadingZeros == 1 && shape.wholeDigits == 1;
    return !shape.lastIsZero && !(wholeIsZero && shape.fractionZeros > 3);
}

std::optional<qint64> wholeOf(const NumberShape& shape) {
    if (!shape.valid || shape.decimal || shape.digits > 18)
        return std::nullopt;
    const auto value = static_cast<qint64>(shape.mantissa);
    return shape.negative ? -value : value;
}

std::optional<double> decimalOf(const NumberShape& shape) {
    if (!shape.valid || shape.digits > 15)
        return std::nullopt;
    // Both numbers are exact in a double (below 2^53 and 10^22), so the one
    // division rounds correctly, as parsing the text would.
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double value = static_cast<double>(shape.mantissa) / kPowers[shape.fractionDigits];
    return shape.negative ? -value : value;
}

} // namespace

std::optional<qint64> ParseWholeNumber(QStringView text, bool* asWritten) {
    const NumberShape shape = shapeOf(text);
    const std::optional<qint64> value = wholeOf(shape);
    if (asWritten)
        *asWritten = value && shownAsWritten(shape);
    return value;
}

std::optional<double> ParseDecimalNumber(QStringView text, bool* asWritten) {
    const NumberShape shape = shapeOf(text);
    const std::optional<double> value = decimalOf(shape);
    if (asWritten)
        *asWritten = value && shownAsWritten(shape);
    return value;
}

void TypeVote::add(QStringView text) {
    m_seen = true;
    if (!m_allNumbers)
        return;
    const NumberShape shape = shapeOf(text);
    if (wholeOf(shape)) {
        return;
    }
    m_allWhole = false;
    if (!decimalOf(shape))
        m_allNumbers = false;
}

FieldType TypeVote::type() const {
    if (!m_seen || !m_allNumbers)
        return FieldType::Text;
    return m_allWhole ? FieldType::Integer : FieldType::Double;
}

void AppendWholeNumberText(QString& out, qint64 value) {
    char16_t digits[24];
    out += QStringView(digits, WholeNumberDigits(value, digits));
}

void AppendNumberText(QString& out, double value) {
    if (!std::isfinite(value)) {
        out += RegionalNumberText(value);
        return;
    }
    if (std::floor(value) == value && std::fabs(value) < 1e15) {
        AppendWholeNumberText(out, static_cast<qint64>(value));
        return;
    }
    // The shortest text that reads back as the value is what 15 significant
    // digits give, as long as it has no more than 15 and needs no exponent;
    // anything else takes the long way.
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e-4 && magnitude < 1e15) {
        char buffer[64];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
        if (result.ec == std::errc()) {
            int significant = 0;
            bool started = false;
            for (char* p = buffer; p < result.ptr; ++p) {
                if (*p >= '1' && *p <= '9')
                    started = true;
                if (started && *p >= '0' && *p <= '9')
                    ++significant;
                if (*p == '.')
                    *p = ',';
            }
            if (significant <= 15) {
                out += QLatin1String(buffer, result.ptr - buffer);
                return;
            }
        }
    }
    out += RegionalNumberText(value);
}

qsizetype WholeNumberDigits(qint64 value, char16_t* out) {
    // Two digits at a time: this runs for every number a template shows.
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324"
                                     "25262728293031323334353637383940414243444546474849"
                                     "50515253545556575859606162636465666768697071727374"
                                     "75767778798081828384858687888990919293949596979899";
    char16_t reversed[20];
    // Unsigned, so the most negative value has a magnitude too.
    quint64 magnitude = value < 0 ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    int count = 0;
    while (magnitude >= 100) {
        const auto pair = static_cast<size_t>(magnitude % 100) * 2;
        magnitude /= 100;
        reversed[count++] = static_cast<char16_t>(kPairs[pair + 1]);
        reversed[count++] = static_cast<char16_t>(kPairs[pair]);
    }
    if (magnitude >= 10) {
        const auto pair = static_cast<size_t>(magnitude) * 2;
        reversed[count++] = static_cast<char16_t>(kPairs[pair + 1]);
        reversed[count++] = static_cast<char16_t>(kPairs[pair]);
    } else {
        reversed[count++] = static_cast<char16_t>(u'0' + magnitude);
    }
    qsizetype length = 0;
    if (value < 0)
        out[length++] = u'-';
    while (count > 0)
        out[length++] = reversed[--count];
    return length;
}

QString NumberText(double value) {
    QString text;
    AppendNumberText(text, value);
    return text;
}

void AppendValueText(QString& out, const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        out += *static_cast<const QString*>(value.constData());
        break;
    case QMetaType::LongLong:
        AppendWholeNumberText(out, *static_cast<const qlonglong*>(value.constData()));
        break;
    case QMetaType::Double:
        AppendNumberText(out, *static_cast<const double*>(value.constData()));
        break;
    default:
        out += Recordset::render(value);
        break;
    }
}

QString ValueText(const QVariant& value) {
    if (value.typeId() == QMetaType::QString)
        return *static_cast<const QString*>(value.constData());
    QString text;
    AppendValueText(text, value);
    return text;
}
