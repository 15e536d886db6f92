#include "TextRecord.h"

#include <algorithm>

#include "RecordSource.h"
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

qsizetype TextRecord::writtenLength() const {
    qsizetype length = size();
    for (const Cell& cell : m_cells)
        if (cell.kind != Cell::Kind::Null)
            length += cell.text.size();
    return length;
}

bool TextRecord::isWholeNumber(int index) const {
    return index >= 0 && index < size() &&
           m_cells[static_cast<size_t>(index)].kind == Cell::Kind::Integer;
}

qint64 TextRecord::wholeNumber(int index) const {
    return isWholeNumber(index) ? m_cells[static_cast<size_t>(index)].integer : 0;
}

TextColumns NamedColumns(const std::vector<QString>& header, size_t count) {
    TextColumns columns(count);
    for (size_t i = 0; i < count; ++i) {
        const QString position = QString::number(i + 1);
        QString name = i < header.size() ? header[i].trimmed() : QString();
        if (name.isEmpty())
            name = QLatin1Char('F') + position;
        for (;;) {
            bool taken = false;
            for (size_t j = 0; j < i && !taken; ++j)
                taken = ColumnNamesMatch(columns[j].name, name);
            if (!taken)
                break;
            name += QLatin1Char('_') + position;
        }
        columns[i].name = name;
    }
    return columns;
}

namespace {

void setText(QString& text, QStringView value) {
    // Overwrites the buffer in place when no one else holds it.
    text.resize(value.size());
    std::copy(value.begin(), value.end(), text.data());
}

} // namespace

void FillTextRecord(TextRecord& record, const std::shared_ptr<const TextColumns>& columns,
                    const std::vector<QStringView>& raw, QStringView separator) {
    using Kind = TextRecord::Cell::Kind;
    const size_t count = columns->size();
    record.m_columns = columns;
    std::vector<TextRecord::Cell>& cells = record.m_cells;
    cells.resize(count);
    for (size_t i = 0; i < count; ++i) {
        TextRecord::Cell& cell = cells[i];
        if (i + 1 == count && raw.size() > count) {
            // Empty surplus fields (a trailing separator) carry nothing.
            size_t last = raw.size();
            while (last > count && raw[last - 1].isEmpty())
                --last;
            if (last > count) {
                QString rest = raw[i].toString();
                for (size_t j = count; j < last; ++j) {
                    rest += separator;
                    rest += raw[j];
                }
                cell.kind = Kind::Text;
                cell.asWritten = false;
                cell.text = rest;
                continue;
            }
        }
        cell.asWritten = false;
        if (i >= raw.size() || raw[i].isEmpty()) {
            cell.kind = Kind::Null;
            continue;
        }
        // A value that does not fit its column's type stays text, never Null,
        // so nothing of the row is lost.
        const QStringView field = raw[i];
        const FieldType type = (*columns)[i].type;
        if (type == FieldType::Integer) {
            if (const auto whole = ParseWholeNumber(field, &cell.asWritten)) {
                cell.kind = Kind::Integer;
                cell.integer = *whole;
                // Kept for the messages, which carry a value as written.
                setText(cell.text, field);
                continue;
            }
        } else if (type == FieldType::Double) {
            if (const auto number = ParseDecimalNumber(field, &cell.asWritten)) {
                cell.kind = Kind::Double;
                cell.number = *number;
                setText(cell.text, field);
                continue;
            }
        }
        cell.kind = Kind::Text;
        setText(cell.text, field);
    }
}

QString JoinedValues(const TextRecord& record, QStringView separator) {
    QString line;
    JoinedValuesInto(record, separator, line);
    return line;
}

void JoinedValuesInto(const TextRecord& record, QStringView separator, QString& line) {
    line.resize(0);
    for (int i = 0; i < record.size(); ++i) {
        if (i > 0)
            line += separator;
        // A reject row goes back as the file wrote it, to be mended and resent.
        record.appendWrittenText(i, line);
    }
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

QStringList RecordSource::columnNames() const {
    QStringList names;
    for (const TextColumn& column : columns())
        names << column.name;
    return names;
}
