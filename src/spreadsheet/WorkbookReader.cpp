#include "WorkbookReader.h"

#include <algorithm>
#include <deque>

#include "SheetRows.h"
#include "ZipPart.h"
#include "textsource/TextValues.h"

std::unique_ptr<WorkbookFile> OpenWorkbookFile(const QString& path, QString& error,
                                               bool& incomplete) {
    incomplete = false;
    if (IsXlsFile(path))
        return OpenXls(path, error);
    auto zip = std::make_unique<ZipArchive>();
    if (!zip->open(path)) {
        error = zip->errorString();
        incomplete = zip->isIncomplete();
        return nullptr;
    }
    if (zip->contains(QStringLiteral("xl/workbook.xml")))
        return OpenXlsx(std::move(zip));
    if (zip->contains(QStringLiteral("content.xml")))
        return OpenOds(std::move(zip));
    error = QStringLiteral("%1: çalışma kitabı tanınmadı (ne .xlsx ne .ods: xl/workbook.xml "
                           "ya da content.xml yok)")
                .arg(path);
    return nullptr;
}

struct WorkbookReader::Private {
    std::unique_ptr<WorkbookFile> file;
    std::unique_ptr<SheetRows> rows;
    QString path;
    QString sheet;
    std::shared_ptr<TextColumns> columns = std::make_shared<TextColumns>();
    std::deque<std::vector<QString>> scanned;
    std::vector<QString> cells;
    std::vector<QStringView> fields;
    TextRecord current;
    QString error;
    bool incomplete = false;
    bool open = false;
    bool empty = true;

    bool fail(const QString& message) {
        error = message;
        open = false;
        scanned.clear();
        rows.reset();
        file.reset();
        return false;
    }
    bool start(bool header, int index, int maxScanRows);
    void fill(const std::vector<QString>& raw);
};

void WorkbookReader::Private::fill(const std::vector<QString>& raw) {
    fields.assign(raw.begin(), raw.end());
    FillTextRecord(current, columns, fields, u" ");
}

bool WorkbookReader::Private::start(bool header, int index, int maxScanRows) {
    rows = file->openSheet(index);
    if (!rows)
        return fail(
            file->errorString().isEmpty()
                ? QStringLiteral("%1: çalışma kitabında %2. sayfa yok").arg(path).arg(index + 1)
                : file->errorString());
    sheet = rows->sheet();
    std::vector<QString> names;
    bool ended = false;
    if (header) {
        const SheetRows::Status status = rows->next(names);
        if (status == SheetRows::Status::Error)
            return fail(rows->errorString());
        ended = status == SheetRows::Status::End;
    }
    size_t count = names.size();
    while (!ended && scanned.size() < static_cast<size_t>(std::max(maxScanRows, 1))) {
        switch (rows->next(cells)) {
        case SheetRows::Status::Error:
            return fail(rows->errorString());
        case SheetRows::Status::End:
            ended = true;
            break;
        case SheetRows::Status::Row:
            count = std::max(count, cells.size());
            scanned.push_back(cells);
            break;
        }
    }
    if (ended)
        rows.reset();
    // A fresh list: records handed out earlier keep the columns they had.
    columns = std::make_shared<TextColumns>(NamedColumns(names, count));
    for (size_t i = 0; i < count; ++i) {
        TypeVote vote;
        for (const std::vector<QString>& raw : scanned) {
            if (i < raw.size() && !raw[i].isEmpty())
                vote.add(raw[i]);
        }
        (*columns)[i].type = vote.type();
    }
    current = TextRecord();
    fields.clear();
    FillTextRecord(current, columns, fields, u" ");
    empty = scanned.empty();
    open = true;
    return true;
}

WorkbookReader::WorkbookReader()
    : d(std::make_unique<Private>()) {}

WorkbookReader::~WorkbookReader() = default;

QStringList WorkbookReader::SheetNames(const QString& path, QString* error) {
    QString problem;
    bool incomplete = false;
    QStringList names;
    if (auto file = OpenWorkbookFile(path, problem, incomplete)) {
        names = file->sheetNames();
        problem = file->errorString();
    }
    if (error)
        *error = problem;
    return problem.isEmpty() ? names : QStringList();
}

bool WorkbookReader::open(const QString& path, bool header, int sheet, int maxScanRows) {
    close();
    d->path = path;
    d->file = OpenWorkbookFile(path, d->error, d->incomplete);
    if (!d->file)
        return d->fail(d->error);
    return d->start(header, sheet, maxScanRows);
}

bool WorkbookReader::open(const QString& path, bool header, const QString& sheet, int maxScanRows) {
    close();
    d->path = path;
    d->file = OpenWorkbookFile(path, d->error, d->incomplete);
    if (!d->file)
        return d->fail(d->error);
    const QStringList names = d->file->sheetNames();
    if (!d->file->errorString().isEmpty())
        return d->fail(d->file->errorString());
    const int index = static_cast<int>(names.indexOf(sheet));
    if (index < 0)
        return d->fail(QStringLiteral("%1: çalışma kitabında \"%2\" sayfası yok").arg(path, sheet));
    return d->start(header, index, maxScanRows);
}

void WorkbookReader::close() {
    d->rows.reset();
    d->file.reset();
    d->scanned.clear();
    d->error.clear();
    d->incomplete = false;
    d->open = false;
    d->empty = true;
    d->sheet.clear();
    d->current = TextRecord();
}

bool WorkbookReader::isIncomplete() const {
    return d->incomplete;
}

QString WorkbookReader::sheetName() const {
    return d->sheet;
}

bool WorkbookReader::isOpen() const {
    return d->open;
}

bool WorkbookReader::hasError() const {
    return !d->error.isEmpty();
}

QString WorkbookReader::errorString() const {
    return d->error;
}

const TextColumns& WorkbookReader::columns() const {
    return *d->columns;
}

bool WorkbookReader::isEmpty() const {
    return d->empty;
}

bool WorkbookReader::next() {
    if (!d->open)
        return false;
    if (!d->scanned.empty()) {
        d->fill(d->scanned.front());
        d->scanned.pop_front();
        return true;
    }
    if (!d->rows) {
        d->open = false;
        return false;
    }
    switch (d->rows->next(d->cells)) {
    case SheetRows::Status::Row:
        d->fill(d->cells);
        return true;
    case SheetRows::Status::End:
        d->rows.reset();
        d->file.reset();
        d->open = false;
        return false;
    case SheetRows::Status::Error:
        break;
    }
    return d->fail(d->rows->errorString());
}

const TextRecord& WorkbookReader::record() const {
    return d->current;
}
