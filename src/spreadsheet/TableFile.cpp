#include "TableFile.h"

#include "WorkbookReader.h"
#include "textsource/DelimitedReader.h"

bool IsWorkbookName(QStringView fileName) {
    for (const auto suffix : {u".xlsx", u".ods", u".xls"}) {
        if (fileName.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

struct TableFile::Private {
    DelimitedReader text;
    WorkbookReader book;
    bool workbook = false;
    RecordSource& source() {
        return workbook ? static_cast<RecordSource&>(book) : static_cast<RecordSource&>(text);
    }
};

TableFile::TableFile()
    : d(std::make_unique<Private>()) {}

TableFile::~TableFile() = default;

bool TableFile::open(const QString& path, const TextFormat& format, int sheet) {
    close();
    d->workbook = IsWorkbookName(path);
    if (d->workbook)
        return d->book.open(path, format.header, sheet, format.maxScanRows);
    return d->text.openWithFormat(path, format);
}

void TableFile::close() {
    d->text.close();
    d->book.close();
    d->workbook = false;
}

bool TableFile::isWorkbook() const {
    return d->workbook;
}

bool TableFile::isIncomplete() const {
    return d->workbook && d->book.isIncomplete();
}

TextEncoding TableFile::encoding() const {
    return d->text.encoding();
}

bool TableFile::isOpen() const {
    return d->source().isOpen();
}

bool TableFile::hasError() const {
    return d->source().hasError();
}

QString TableFile::errorString() const {
    return d->source().errorString();
}

const TextColumns& TableFile::columns() const {
    return d->source().columns();
}

bool TableFile::isEmpty() const {
    return d->source().isEmpty();
}

bool TableFile::next() {
    return d->source().next();
}

const TextRecord& TableFile::record() const {
    return d->source().record();
}
