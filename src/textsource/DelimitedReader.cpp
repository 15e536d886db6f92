#include "DelimitedReader.h"

#include <deque>

#include "RecordStream.h"
#include "TextValues.h"
#include "core/Routines.h"

struct DelimitedReader::Private {
    RecordStream stream;
    TextFormat format;
    std::shared_ptr<TextColumns> columns = std::make_shared<TextColumns>();
    std::deque<std::vector<QString>> scanned; // read to decide the types, not yet returned
    std::vector<QString> fields;
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

void DelimitedReader::Private::fill(const std::vector<QString>& raw) {
    const size_t count = columns->size();
    std::vector<QVariant>& values = current.m_values;
    values.resize(count);
    for (size_t i = 0; i < count; ++i) {
        if (i + 1 == count && raw.size() > count) {
            // Empty surplus fields (a trailing separator) carry nothing.
            size_t last = raw.size();
            while (last > count && raw[last - 1].isEmpty())
                --last;
            if (last > count) {
                QString rest = raw[i];
                for (size_t j = count; j < last; ++j)
                    rest += format.separator + raw[j];
                values[i] = QVariant(rest);
                continue;
            }
        }
        if (i >= raw.size() || raw[i].isEmpty()) {
            values[i] = QVariant();
            continue;
        }
        values[i] = TypedValue(raw[i], (*columns)[i].type);
    }
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
        const RecordStream::Status status = stream.next(header);
        if (status == RecordStream::Status::Error)
            return d->fail(stream.errorString());
    }
    size_t count = header.size();
    while (d->scanned.size() < static_cast<size_t>(std::max(format.maxScanRows, 1))) {
        std::vector<QString> raw;
        const RecordStream::Status status = stream.next(raw);
        if (status == RecordStream::Status::Error)
            return d->fail(stream.errorString());
        if (status == RecordStream::Status::End)
            break;
        count = std::max(count, raw.size());
        d->scanned.push_back(std::move(raw));
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
