#pragma once

#include <memory>

#include <QString>
#include <QStringList>

#include "CodePage.h"
#include "RecordSource.h"
#include "SchemaIni.h"
#include "TextRecord.h"

// Reads one delimited data file as a table, the way the folder's
// Schema.ini describes it. Every caller makes its own reader; readers share
// nothing, so one can never close or move another's records.
//
// Records stream: the first MaxScanRows records (which decide the column
// types), then a few batches of records split ahead on a thread of the
// reader's own, are all that is held at a time, whatever the file's length.
// The thread starts once the scanned records are used up and stops at the
// end of the file, at close() and when the reader is destroyed; record()
// stays valid until the next call of next(), as before.
//
// Columns: the header line's names, or F1, F2, ... without one. A name is
// the header text without surrounding blanks; an empty one becomes F and
// its position (F3 for the third column); one that matches an earlier
// column's name gets "_" and its position appended (a second "ad" in the
// fourth column becomes "ad_4"), again until it is unique. A row with more
// fields than the header names, within the scanned rows, adds columns named
// by the same rule; after them, a row's surplus fields stay in its last
// value, joined by the separator, so nothing of the row is lost (empty
// surplus fields, as a trailing separator makes, are dropped). Missing
// fields are Null.
//
// Failures (a file that is missing, a folder, not text, a record longer
// than RecordStream::MaxRecordLength, more than MaxColumns columns, a read
// error) make open() or next() return false with errorString() set;
// nothing throws.
class DelimitedReader : public RecordSource {
public:
    // More columns than this make a file unusable: no recipient list has so
    // many, and binary data full of separators would make millions.
    static constexpr int MaxColumns = 1000;

    DelimitedReader();
    ~DelimitedReader() override;
    DelimitedReader(const DelimitedReader&) = delete;
    DelimitedReader& operator=(const DelimitedReader&) = delete;

    // folder/fileName as its section in folder/Schema.ini describes it.
    bool open(const QString& folder, const QString& fileName);
    // A file with the format given here.
    bool openWithFormat(const QString& path, const TextFormat& format);
    void close();
    bool isOpen() const override;

    bool hasError() const override;
    QString errorString() const override;

    TextEncoding encoding() const;
    const TextFormat& format() const;
    const TextColumns& columns() const override;
    bool isEmpty() const override; // a header line alone counts as none
    bool next() override;
    const TextRecord& record() const override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
