#include "TextValues.h"

#include <charconv>

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
    int digits = 0; // all digits, both sides of the comma
    QStringView whole;
    QStringView fraction;
};

NumberShape shapeOf(QStringView text) {
    NumberShape shape;
    QStringView t = trimmedBlanks(text);
    if (t.isEmpty())
        return shape;
    if (t.front() == QLatin1Char('-') || t.front() == QLatin1Char('+')) {
        shape.negative = t.front() == QLatin1Char('-');
        t = t.sliced(1);
    }
    qsizetype i = 0;
    while (i < t.size() && isDigit(t[i]))
        ++i;
    if (i == 0)
        return shape;
    shape.whole = t.first(i);
    if (i < t.size()) {
        if (t[i] != QLatin1Char(','))
            return shape;
        const qsizetype start = ++i;
        while (i < t.size() && isDigit(t[i]))
            ++i;
        if (i == start || i < t.size())
            return shape;
        shape.decimal = true;
        shape.fraction = t.sliced(start);
    }
    shape.digits = static_cast<int>(shape.whole.size() + shape.fraction.size());
    shape.valid = true;
    return shape;
}

std::optional<qint64> wholeOf(const NumberShape& shape) {
    if (!shape.valid || shape.decimal || shape.digits > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : shape.whole)
        value = value * 10 + (c.unicode() - u'0');
    return shape.negative ? -value : value;
}

std::optional<double> decimalOf(const NumberShape& shape) {
    if (!shape.valid || shape.digits > 15)
        return std::nullopt;
    if (!shape.decimal)
        return static_cast<double>(*wholeOf(shape));
    // At most 15 digits, a sign and a point.
    char buffer[24];
    char* out = buffer;
    if (shape.negative)
        *out++ = '-';
    for (const QChar c : shape.whole)
        *out++ = static_cast<char>(c.unicode());
    *out++ = '.';
    for (const QChar c : shape.fraction)
        *out++ = static_cast<char>(c.unicode());
    double value = 0;
    const auto result = std::from_chars(buffer, out, value);
    if (result.ec != std::errc() || result.ptr != out)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<qint64> ParseWholeNumber(QStringView text) {
    return wholeOf(shapeOf(text));
}

std::optional<double> ParseDecimalNumber(QStringView text) {
    return decimalOf(shapeOf(text));
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

QVariant TypedValue(const QString& text, FieldType type) {
    if (type == FieldType::Integer) {
        if (const auto value = ParseWholeNumber(text))
            return QVariant::fromValue<qint64>(*value);
    } else if (type == FieldType::Double) {
        if (const auto value = ParseDecimalNumber(text))
            return *value;
    }
    return text;
}
