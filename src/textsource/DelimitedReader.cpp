#include "DelimitedReader.h"

#include <algorithm>
#include <deque>

#include "RecordStream.h"
#include "TextValues.h"
#include "core/Routines.h"

struct DelimitedReader::Private {
    RecordStream stream;
    TextFormat format;
    std::shared_ptr<TextColumns> columns = std::make_shared<TextColumns>();
    std::deque<std::vector<QString>> scanned; // read to decide the types, not yet returned
    std::vector<QStringView> fields;
    TextRecord current;
    QString error;
    bool open = false;
    bool empty = true;

    bool fail(const QString& message) {
        error = message;
        open = false;
        scanned.clear();
        stream.close();
        return false;
    }

    void nameColumns(const std::vector<QString>& header, size_t count);
    void fill(const std::vector<QStringView>& raw);
    void fill(const std::vector<QString>& raw);
};

void DelimitedReader::Private::nameColumns(const std::vector<QString>& header, size_t count) {
    columns->assign(count, TextColumn{});
    for (size_t i = 0; i < count; ++i) {
        const QString position = QString::number(i + 1);
        QString name = i < header.size() ? header[i].trimmed() : QString();
        if (name.isEmpty())
            name = QLatin1Char('F') + position;
        for (;;) {
            bool taken = false;
            for (size_t j = 0; j < i && !taken; ++j)
                taken = ColumnNamesMatch((*columns)[j].name, name);
            if (!taken)
                break;
            name += QLatin1Char('_') + position;
        }
        (*columns)[i].name = name;
    }
}

namespace {

void setText(QString& text, QStringView value) {
    // Overwrites the buffer in place when no one else holds it.
    text.resize(value.size());
    std::copy(value.begin(), value.end(), text.data());
}

} // namespace

void DelimitedReader::Private::fill(const std::vector<QStringView>& raw) {
    using Kind = TextRecord::Cell::Kind;
    const size_t count = columns->size();
    std::vector<TextRecord::Cell>& cells = current.m_cells;
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
                for (size_t j = count; j < last; ++j)
                    rest += format.separator + raw[j].toString();
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
                // Showing the text is far cheaper than writing the number
                // out again, where they are the same.
                if (cell.asWritten)
                    setText(cell.text, field);
                continue;
            }
        } else if (type == FieldType::Double) {
            if (const auto number = ParseDecimalNumber(field, &cell.asWritten)) {
                cell.kind = Kind::Double;
                cell.number = *number;
                if (cell.asWritten)
                    setText(cell.text, field);
                continue;
            }
        }
        cell.kind = Kind::Text;
        setText(cell.text, field);
    }
}

void DelimitedReader::Private::fill(const std::vector<QString>& raw) {
    fields.assign(raw.begin(), raw.end());
    fill(fields);
}

DelimitedReader::DelimitedReader()
    : d(std::make_unique<Private>()) {}

DelimitedReader::~DelimitedReader() = default;

bool DelimitedReader::open(const QString& folder, const QString& fileName) {
    close();
    QString error;
    const std::optional<TextFormat> format = ReadSchemaSection(folder, fileName, &error);
    if (!format)
        return d->fail(error);
    return openWithFormat(JoinPath(folder, fileName), *format);
}

bool DelimitedReader::openWithFormat(const QString& path, const TextFormat& format) {
    close();
    d->format = format;
    RecordStream& stream = d->stream;
    if (!stream.open(path, format.separator))
        return d->fail(stream.errorString());

    std::vector<QString> header;
    if (format.header) {
        const RecordStream::Status status = stream.next(d->fields);
        if (status == RecordStream::Status::Error)
            return d->fail(stream.errorString());
        for (const QStringView field : d->fields)
            header.push_back(field.toString());
        if (header.size() > static_cast<size_t>(MaxColumns))
            return d->fail(QStringLiteral("%1: %2 sütundan fazlası var").arg(path).arg(MaxColumns));
    }
    size_t count = header.size();
    while (d->scanned.size() < static_cast<size_t>(std::max(format.maxScanRows, 1))) {
        const RecordStream::Status status = stream.next(d->fields);
        if (status == RecordStream::Status::Error)
            return d->fail(stream.errorString());
        if (status == RecordStream::Status::End)
            break;
        count = std::max(count, d->fields.size());
        if (count > static_cast<size_t>(MaxColumns))
            return d->fail(QStringLiteral("%1: %2 sütundan fazlası var").arg(path).arg(MaxColumns));
        std::vector<QString>& kept = d->scanned.emplace_back();
        for (const QStringView field : d->fields)
            kept.push_back(field.toString());
    }

    // A fresh list: records handed out earlier keep the columns they had.
    d->columns = std::make_shared<TextColumns>();
    d->nameColumns(header, count);
    for (size_t i = 0; i < count; ++i) {
        TypeVote vote;
        for (const std::vector<QString>& raw : d->scanned) {
            if (i < raw.size() && !raw[i].isEmpty())
                vote.add(raw[i]);
        }
        (*d->columns)[i].type = vote.type();
    }
    d->current = TextRecord();
    d->current.m_columns = d->columns;
    d->empty = d->scanned.empty();
    d->open = true;
    return true;
}

void DelimitedReader::close() {
    d->stream.close();
    d->scanned.clear();
    d->error.clear();
    d->open = false;
    d->empty = true;
    d->current = TextRecord();
}

bool DelimitedReader::isOpen() const {
    return d->open;
}

bool DelimitedReader::hasError() const {
    return !d->error.isEmpty();
}

QString DelimitedReader::errorString() const {
    return d->error;
}

TextEncoding DelimitedReader::encoding() const {
    return d->stream.encoding();
}

const TextFormat& DelimitedReader::format() const {
    return d->format;
}

const TextColumns& DelimitedReader::columns() const {
    return *d->columns;
}

int DelimitedReader::columnCount() const {
    return static_cast<int>(d->columns->size());
}

QStringList DelimitedReader::columnNames() const {
    QStringList names;
    for (const TextColumn& column : *d->columns)
        names << column.name;
    return names;
}

int DelimitedReader::columnIndex(QStringView name) const {
    return FindColumn(*d->columns, name);
}

bool DelimitedReader::isEmpty() const {
    return d->empty;
}

bool DelimitedReader::next() {
    if (!d->open)
        return false;
    if (!d->scanned.empty()) {
        d->fill(d->scanned.front());
        d->scanned.pop_front();
        return true;
    }
    switch (d->stream.next(d->fields)) {
    case RecordStream::Status::Record:
        d->fill(d->fields);
        return true;
    case RecordStream::Status::End:
        d->open = false;
        return false;
    case RecordStream::Status::Error:
        d->fail(d->stream.errorString());
        return false;
    }
    return false;
}

const TextRecord& DelimitedReader::record() const {
    return d->current;
}
