#include "TextRecord.h"

#include "TextValues.h"

namespace {

char16_t foldedForNames(char16_t c) {
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    if (c == 0x0130 || c == 0x0131) // İ and ı
        return u'i';
    return QChar::toCaseFolded(c);
}

} // namespace

bool ColumnNamesMatch(QStringView a, QStringView b) {
    // Never stricter than Qt's own comparison, which recordsets use for
    // their field names.
    if (a.size() != b.size())
        return a.compare(b, Qt::CaseInsensitive) == 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y && foldedForNames(x) != foldedForNames(y))
            return a.compare(b, Qt::CaseInsensitive) == 0;
    }
    return true;
}

QString TextColumnTypeName(FieldType type) {
    switch (type) {
    case FieldType::Integer:
        return QStringLiteral("integer");
    case FieldType::Double:
        return QStringLiteral("double");
    default:
        return QStringLiteral("text");
    }
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

QVariant TextRecord::value(int index) const {
    if (index < 0 || index >= size())
        return QVariant();
    const Cell& cell = m_cells[static_cast<size_t>(index)];
    switch (cell.kind) {
    case Cell::Kind::Text:
        return cell.text;
    case Cell::Kind::Integer:
        return QVariant::fromValue<qint64>(cell.integer);
    case Cell::Kind::Double:
        return cell.number;
    case Cell::Kind::Null:
        break;
    }
    return QVariant();
}

std::vector<QVariant> TextRecord::values() const {
    std::vector<QVariant> values;
    values.reserve(m_cells.size());
    for (int i = 0; i < size(); ++i)
        values.push_back(value(i));
    return values;
}

bool TextRecord::isNull(int index) const {
    return index < 0 || index >= size() ||
           m_cells[static_cast<size_t>(index)].kind == Cell::Kind::Null;
}

QString TextRecord::text(int index) const {
    if (index >= 0 && index < size()) {
        const Cell& cell = m_cells[static_cast<size_t>(index)];
        if (cell.kind == Cell::Kind::Text || cell.asWritten)
            return cell.text;
    }
    QString out;
    appendText(index, out);
    return out;
}

void TextRecord::appendText(int index, QString& out) const {
    if (index < 0 || index >= size())
        return;
    const Cell& cell = m_cells[static_cast<size_t>(index)];
    if (cell.asWritten) {
        out += cell.text;
        return;
    }
    switch (cell.kind) {
    case Cell::Kind::Text:
        out += cell.text;
        break;
    case Cell::Kind::Integer:
        AppendWholeNumberText(out, cell.integer);
        break;
    case Cell::Kind::Double:
        AppendNumberText(out, cell.number);
        break;
    case Cell::Kind::Null:
        break;
    }
}

void TextRecord::appendWrittenText(int index, QString& out) const {
    if (index >= 0 && index < size() &&
        m_cells[static_cast<size_t>(index)].kind != Cell::Kind::Null)
        out += m_cells[static_cast<size_t>(index)].text;
}

bool TextRecord::isWholeNumber(int index) const {
    return index >= 0 && index < size() &&
           m_cells[static_cast<size_t>(index)].kind == Cell::Kind::Integer;
}

qint64 TextRecord::wholeNumber(int index) const {
    return isWholeNumber(index) ? m_cells[static_cast<size_t>(index)].integer : 0;
}

QString JoinedValues(const TextRecord& record, QStringView separator) {
    QString line;
    for (int i = 0; i < record.size(); ++i) {
        if (i > 0)
            line += separator;
        // A reject row goes back as the file wrote it, to be mended and resent.
        record.appendWrittenText(i, line);
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
