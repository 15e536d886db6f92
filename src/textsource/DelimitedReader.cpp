#include "DelimitedReader.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "RecordStream.h"
#include "TextValues.h"
#include "core/Routines.h"

namespace {

// Records past the scanned ones are split on a thread of their own, a batch
// at a time, while the caller works on the batch before: a sender's row
// test and the splitting then share the machine's cores.
constexpr size_t BatchSize = 512;
constexpr size_t BatchCount = 4;

struct Batch {
    std::vector<TextRecord> records; // kept between uses: their buffers are reused
    size_t count = 0;
    RecordStream::Status end = RecordStream::Status::Record; // what came after them
    QString error;
};

} // namespace

struct DelimitedReader::Private {
    RecordStream stream;
    TextFormat format;
    std::shared_ptr<TextColumns> columns = std::make_shared<TextColumns>();
    std::deque<std::vector<QString>> scanned; // read to decide the types, not yet returned
    std::vector<QStringView> fields;
    TextRecord current;
    const TextRecord* record = &current;
    QString error;
    bool open = false;
    bool empty = true;

    // Read-ahead. The thread owns `stream` from its start until it has
    // handed over the batch that ends the file, or until it is stopped.
    std::thread worker;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Batch> batches;
    std::deque<Batch*> free;   // for the worker to fill
    std::deque<Batch*> filled; // for the caller, in file order
    bool stopping = false;
    Batch* reading = nullptr; // the caller's batch
    size_t readingAt = 0;
    bool inlineOnly = false;  // no thread could be started
    bool streamEnded = false; // the scan read the whole file: no thread needed

    ~Private() { stopReadAhead(); }

    bool fail(QString message) { // by value: it may live in a batch stopReadAhead drops
        stopReadAhead();
        error = std::move(message);
        open = false;
        scanned.clear();
        stream.close();
        return false;
    }

    void fill(TextRecord& record, const std::vector<QStringView>& raw);
    void fill(const std::vector<QString>& raw);

    bool startReadAhead();
    void stopReadAhead();
    bool nextInline(); // without the thread
    void readAhead();
    Batch* nextBatch();
};

void DelimitedReader::Private::fill(TextRecord& record, const std::vector<QStringView>& raw) {
    FillTextRecord(record, columns, raw, format.separator);
}

void DelimitedReader::Private::fill(const std::vector<QString>& raw) {
    fields.assign(raw.begin(), raw.end());
    fill(current, fields);
    record = &current;
}

bool DelimitedReader::Private::startReadAhead() {
    batches.assign(BatchCount, Batch{});
    free.clear();
    filled.clear();
    for (Batch& batch : batches) {
        batch.records.reserve(BatchSize); // made as needed: most files are small
        free.push_back(&batch);
    }
    stopping = false;
    reading = nullptr;
    readingAt = 0;
    try {
        worker = std::thread([this] { readAhead(); });
    } catch (const std::system_error&) {
        // No thread to be had: the caller reads on its own.
        batches.clear();
        free.clear();
        return false;
    }
    return true;
}

bool DelimitedReader::Private::nextInline() {
    switch (stream.next(fields)) {
    case RecordStream::Status::Record:
        fill(current, fields);
        record = &current;
        return true;
    case RecordStream::Status::End:
        open = false;
        return false;
    case RecordStream::Status::Error:
        fail(stream.errorString());
        return false;
    }
    return false;
}

void DelimitedReader::Private::stopReadAhead() {
    if (worker.joinable()) {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        worker.join();
    }
    // The last record handed out stays readable.
    if (record != &current) {
        current = *record;
        record = &current;
    }
    reading = nullptr;
    free.clear();
    filled.clear();
    batches.clear();
}

void DelimitedReader::Private::readAhead() {
    std::vector<QStringView> split;
    for (;;) {
        Batch* batch = nullptr;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return stopping || !free.empty(); });
            if (stopping)
                return;
            batch = free.front();
            free.pop_front();
        }
        batch->count = 0;
        batch->end = RecordStream::Status::Record;
        while (batch->count < BatchSize) {
            const RecordStream::Status status = stream.next(split);
            if (status != RecordStream::Status::Record) {
                batch->end = status;
                if (status == RecordStream::Status::Error)
                    batch->error = stream.errorString();
                break;
            }
            if (batch->count == batch->records.size())
                batch->records.emplace_back();
            fill(batch->records[batch->count++], split);
        }
        {
            std::lock_guard lock(mutex);
            filled.push_back(batch);
        }
        changed.notify_all();
        if (batch->end != RecordStream::Status::Record)
            return;
    }
}

Batch* DelimitedReader::Private::nextBatch() {
    std::unique_lock lock(mutex);
    if (reading) {
        free.push_back(reading);
        reading = nullptr;
        changed.notify_all();
    }
    changed.wait(lock, [this] { return !filled.empty(); });
    Batch* batch = filled.front();
    filled.pop_front();
    return batch;
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
        if (status == RecordStream::Status::End) {
            d->streamEnded = true;
            break;
        }
        count = std::max(count, d->fields.size());
        if (count > static_cast<size_t>(MaxColumns))
            return d->fail(QStringLiteral("%1: %2 sütundan fazlası var").arg(path).arg(MaxColumns));
        std::vector<QString>& kept = d->scanned.emplace_back();
        for (const QStringView field : d->fields)
            kept.push_back(field.toString());
    }

    // A fresh list: records handed out earlier keep the columns they had.
    d->columns = std::make_shared<TextColumns>(NamedColumns(header, count));
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
    d->record = &d->current;
    d->empty = d->scanned.empty();
    d->open = true;
    return true;
}

void DelimitedReader::close() {
    d->stopReadAhead();
    d->inlineOnly = false;
    d->streamEnded = false;
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
    if (d->streamEnded) {
        d->open = false;
        return false;
    }
    if (!d->inlineOnly && !d->worker.joinable() && !d->startReadAhead())
        d->inlineOnly = true;
    if (d->inlineOnly)
        return d->nextInline();
    for (;;) {
        if (d->reading && d->readingAt < d->reading->count) {
            d->record = &d->reading->records[d->readingAt++];
            return true;
        }
        if (d->reading && d->reading->end != RecordStream::Status::Record) {
            if (d->reading->end == RecordStream::Status::Error) {
                d->fail(d->reading->error);
            } else {
                d->stopReadAhead();
                d->open = false;
            }
            return false;
        }
        d->reading = d->nextBatch();
        d->readingAt = 0;
    }
}

const TextRecord& DelimitedReader::record() const {
    return *d->record;
}
