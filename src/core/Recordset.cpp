#include "Recordset.h"

#include <QDateTime>
#include <QRegularExpression>

#include "RegionalFormat.h"

struct Recordset::Data {
    std::vector<FieldDef> fields;
    std::vector<QVariant> cells; // row-major, fields.size() per row
    quint64 generation = 0;      // bumped whenever rows or values change
    bool readOnly = false;

    int rowCount() const {
        return fields.empty() ? 0 : static_cast<int>(cells.size() / fields.size());
    }
};

Recordset::Recordset()
    : d(std::make_shared<Data>()) {}

void Recordset::appendField(const QString& name, FieldType type, int size) {
    if (!d->cells.empty())
        throw RecordsetError(
            QStringLiteral("Cannot add field %1 to a recordset with rows").arg(name));
    if (fieldIndex(name) >= 0)
        throw RecordsetError(QStringLiteral("Duplicate field name %1").arg(name));
    d->fields.push_back(FieldDef{name, type, size});
    ++d->generation;
}

int Recordset::fieldCount() const {
    return static_cast<int>(d->fields.size());
}

const FieldDef& Recordset::field(int index) const {
    if (index < 0 || index >= fieldCount())
        throw RecordsetError(QStringLiteral("Field index %1 out of range").arg(index));
    return d->fields[static_cast<size_t>(index)];
}

QStringList Recordset::fieldNames() const {
    QStringList names;
    for (const auto& f : d->fields)
        names << f.name;
    return names;
}

int Recordset::fieldIndex(const QString& name) const {
    for (int i = 0; i < fieldCount(); ++i) {
        if (d->fields[static_cast<size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int Recordset::requireField(const QString& name) const {
    const int index = fieldIndex(name);
    if (index < 0)
        throw RecordsetError(QStringLiteral("No field named %1").arg(name));
    return index;
}

QVariant Recordset::checked(int index, const QVariant& value) const {
    const FieldDef& f = field(index);
    if (value.isNull() || !value.isValid())
        return QVariant();
    if (f.type == FieldType::Text) {
        QString text = value.toString();
        if (f.size > 0 && text.size() > f.size) {
            throw RecordsetError(
                QStringLiteral("Value of %1 characters is too long for field %2 (%3)")
                    .arg(text.size())
                    .arg(f.name)
                    .arg(f.size));
        }
        return text;
    }
    return value;
}

void Recordset::addNew() {
    if (d->readOnly)
        throw RecordsetError(QStringLiteral("The recordset is read-only"));
    if (d->fields.empty())
        throw RecordsetError(QStringLiteral("The recordset has no fields"));
    d->cells.resize(d->cells.size() + d->fields.size());
    ++d->generation;
    // The new row is visible unless a filter hides it; go to it either way
    // when it is visible.
    refreshView();
    const int row = d->rowCount() - 1;
    for (size_t i = 0; i < m_view.size(); ++i) {
        if (m_view[i] == row) {
            m_position = static_cast<int>(i);
            return;
        }
    }
    m_position = static_cast<int>(m_view.size());
}

void Recordset::setValue(int index, const QVariant& value) {
    if (d->readOnly)
        throw RecordsetError(QStringLiteral("The recordset is read-only"));
    const int row = rowOf(m_position);
    if (row < 0)
        throw RecordsetError(QStringLiteral("No current record"));
    QVariant stored = checked(index, value);
    d->cells[static_cast<size_t>(row) * d->fields.size() + static_cast<size_t>(index)] =
        std::move(stored);
    ++d->generation;
}

void Recordset::setValue(const QString& name, const QVariant& value) {
    setValue(requireField(name), value);
}

void Recordset::appendRow(std::vector<QVariant> values) {
    if (d->readOnly)
        throw RecordsetError(QStringLiteral("The recordset is read-only"));
    if (values.size() != d->fields.size())
        throw RecordsetError(QStringLiteral("Row has %1 values for %2 fields")
                                 .arg(values.size())
                                 .arg(d->fields.size()));
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = checked(static_cast<int>(i), values[i]);
    d->cells.insert(d->cells.end(), std::make_move_iterator(values.begin()),
                    std::make_move_iterator(values.end()));
    ++d->generation;
}

void Recordset::deleteAll() {
    if (d->readOnly)
        throw RecordsetError(QStringLiteral("The recordset is read-only"));
    d->cells.clear();
    d->cells.shrink_to_fit();
    ++d->generation;
    m_position = -1;
}

void Recordset::setReadOnly(bool readOnly) {
    d->readOnly = readOnly;
}

bool Recordset::isReadOnly() const {
    return d->readOnly;
}

void Recordset::refreshView() const {
    if (m_viewGeneration == d->generation)
        return;
    const int rows = d->rowCount();
    m_view.clear();
    m_view.reserve(static_cast<size_t>(rows));
    const size_t width = d->fields.size();
    for (int r = 0; r < rows; ++r) {
        bool pass = m_conditions.empty();
        for (const Condition& c : m_conditions) {
            const QVariant& v =
                d->cells[static_cast<size_t>(r) * width + static_cast<size_t>(c.field)];
            if (!v.isNull() && render(v) == c.value) {
                pass = true;
                break;
            }
        }
        if (pass)
            m_view.push_back(r);
    }
    m_viewGeneration = d->generation;
}

int Recordset::rowOf(int visiblePosition) const {
    refreshView();
    if (visiblePosition < 0 || visiblePosition >= static_cast<int>(m_view.size()))
        return -1;
    return m_view[static_cast<size_t>(visiblePosition)];
}

const QVariant& Recordset::cell(int index) const {
    const int row = rowOf(m_position);
    if (row < 0)
        throw RecordsetError(QStringLiteral("No current record"));
    field(index); // range check
    return d->cells[static_cast<size_t>(row) * d->fields.size() + static_cast<size_t>(index)];
}

QVariant Recordset::value(int index) const {
    return cell(index);
}

QVariant Recordset::value(const QString& name) const {
    return cell(requireField(name));
}

bool Recordset::isNull(int index) const {
    return cell(index).isNull();
}

bool Recordset::isNull(const QString& name) const {
    return cell(requireField(name)).isNull();
}

QString Recordset::text(int index) const {
    return render(cell(index));
}

QString Recordset::text(const QString& name) const {
    return render(cell(requireField(name)));
}

int Recordset::recordCount() const {
    refreshView();
    return static_cast<int>(m_view.size());
}

bool Recordset::bof() const {
    return recordCount() == 0 || m_position < 0;
}

bool Recordset::eof() const {
    return recordCount() == 0 || m_position >= recordCount();
}

void Recordset::moveFirst() {
    m_position = 0;
}

void Recordset::moveLast() {
    m_position = recordCount() - 1;
    if (m_position < 0)
        m_position = 0;
}

void Recordset::moveNext() {
    const int count = recordCount();
    if (m_position >= count)
        throw RecordsetError(QStringLiteral("Already after the last record"));
    ++m_position;
}

void Recordset::movePrevious() {
    if (m_position < 0)
        throw RecordsetError(QStringLiteral("Already before the first record"));
    --m_position;
}

int Recordset::absolutePosition() const {
    return rowOf(m_position) < 0 ? 0 : m_position + 1;
}

void Recordset::setAbsolutePosition(int position) {
    if (position < 1 || position > recordCount())
        throw RecordsetError(QStringLiteral("Position %1 out of range").arg(position));
    m_position = position - 1;
}

void Recordset::setFilter(const QString& filter) {
    std::vector<Condition> conditions;
    const QString trimmed = filter.trimmed();
    if (!trimmed.isEmpty()) {
        static const QRegularExpression orSplit(QStringLiteral("\\s+OR\\s+"),
                                                QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression term(
            QStringLiteral("^\\s*\\[?([^\\]=\\s]+)\\]?\\s*=\\s*'((?:[^']|'')*)'\\s*$"));
        // Split outside quotes only: a value may itself contain " OR ".
        QStringList parts;
        QString current;
        bool quoted = false;
        for (qsizetype i = 0; i < trimmed.size(); ++i) {
            const QChar c = trimmed.at(i);
            if (c == QLatin1Char('\''))
                quoted = !quoted;
            if (!quoted && c.isSpace()) {
                const auto match = orSplit.match(trimmed, i, QRegularExpression::NormalMatch,
                                                 QRegularExpression::AnchorAtOffsetMatchOption);
                if (match.hasMatch()) {
                    parts << current;
                    current.clear();
                    i += match.capturedLength() - 1;
                    continue;
                }
            }
            current += c;
        }
        parts << current;
        for (const QString& part : parts) {
            const auto m = term.match(part);
            if (!m.hasMatch())
                throw RecordsetError(
                    QStringLiteral("Cannot understand the filter: %1").arg(filter));
            QString value = m.captured(2);
            value.replace(QStringLiteral("''"), QStringLiteral("'"));
            conditions.push_back(Condition{requireField(m.captured(1)), value});
        }
    }
    m_conditions = std::move(conditions);
    m_filter = filter;
    m_viewGeneration = ~quint64(0);
    m_position = 0; // like ADO: a new filter goes to the first visible record
}

QString Recordset::filter() const {
    return m_filter;
}

void Recordset::setPageSize(int size) {
    if (size < 1)
        throw RecordsetError(QStringLiteral("Page size must be positive"));
    m_pageSize = size;
}

int Recordset::pageSize() const {
    return m_pageSize;
}

int Recordset::pageCount() const {
    return (recordCount() + m_pageSize - 1) / m_pageSize;
}

int Recordset::absolutePage() const {
    if (rowOf(m_position) < 0)
        return 0;
    return m_position / m_pageSize + 1;
}

void Recordset::setAbsolutePage(int page) {
    if (page < 1 || page > pageCount())
        throw RecordsetError(QStringLiteral("Page %1 out of range").arg(page));
    m_position = (page - 1) * m_pageSize;
}

Recordset Recordset::clone() const {
    Recordset copy;
    copy.d = d;
    copy.m_pageSize = m_pageSize;
    copy.m_position = 0;
    return copy;
}

QString Recordset::render(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return RegionalDateTimeText(value.toDateTime());
    case QMetaType::QDate:
        return RegionalDateText(value.toDate());
    case QMetaType::Double:
    case QMetaType::Float:
        return RegionalNumberText(value.toDouble());
    default:
        return value.toString();
    }
}
