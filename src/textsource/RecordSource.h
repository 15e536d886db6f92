#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include "TextRecord.h"

// A table read record by record: a delimited data file or a workbook's
// sheet. Both give the same columns and records for the same table, so
// whatever reads one reads the other.
class RecordSource {
public:
    virtual ~RecordSource() = default;

    virtual bool isOpen() const = 0;
    virtual bool hasError() const = 0;
    virtual QString errorString() const = 0;

    virtual const TextColumns& columns() const = 0;
    int columnCount() const { return static_cast<int>(columns().size()); }
    QStringList columnNames() const;
    int columnIndex(QStringView name) const {
        return FindColumn(columns(), name);
    } // -1 when missing

    // No data records at all (a header row alone counts as none).
    virtual bool isEmpty() const = 0;

    // Moves to the next record; false at the end or on a failure, which
    // hasError() tells apart. A caller that acts on the whole table (a
    // sender) must check hasError() after the last record.
    virtual bool next() = 0;
    // Valid until the next call of next().
    virtual const TextRecord& record() const = 0;
};
