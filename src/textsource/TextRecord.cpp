#include "TextRecord.h"

namespace {

char16_t foldedForNames(char16_t c) {
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    if (c == 0x0130 || c == 0x0131) // İ and ı
        return u'i';
    return QChar::toCaseFolded(c);
}

const QVariant& nullValue() {
    static const QVariant null;
    return null;
}

} // namespace

bool ColumnNamesMatch(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y && foldedForNames(x) != foldedForNames(y))
            return false;
    }
    return true;
}

int FindColumn(const TextColumns& columns, QStringView name) {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (ColumnNamesMatch(columns[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

TextRecord::TextRecord()
    : m_columns(std::make_shared<const TextColumns>()) {}

const QVariant& TextRecord::value(int index) const {
    if (index < 0 || index >= size())
        return nullValue();
    return m_values[static_cast<size_t>(index)];
}

QVariant TextRecord::value(QStringView name) const {
    return value(columnIndex(name));
}

QString TextRecord::text(int index) const {
    return Recordset::render(value(index));
}

QString JoinedValues(const TextRecord& record, QStringView separator) {
    QString line;
    for (int i = 0; i < record.size(); ++i) {
        if (i > 0)
            line += separator;
        line += record.text(i);
    }
    return line;
}

QString JoinedNames(const TextColumns& columns, QStringView separator) {
    QString line;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            line += separator;
        line += columns[i].name;
    }
    return line;
}
