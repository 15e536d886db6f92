#pragma once

#include <memory>

#include <QString>
#include <QStringView>

#include "textsource/CodePage.h"
#include "textsource/RecordSource.h"
#include "textsource/SchemaIni.h"

// Whether a file is a workbook (.xlsx, .ods, .xls) rather than a data file.
// Told by its name, as the user and the open dialog tell them: a data file
// named .txt that happens to be a zip is still read as text, and refused as
// such.
bool IsWorkbookName(QStringView fileName);

// A table a user sends from: a data file read with the given layout, or the
// chosen sheet of a workbook, whose rows the layout's header flag alone
// describes (the separator and character set do not apply). Every sender
// opens its file through this, so a workbook goes wherever a data file goes.
class TableFile : public RecordSource {
public:
    TableFile();
    ~TableFile() override;
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    bool open(const QString& path, const TextFormat& format, int sheet = 0);
    void close();

    bool isWorkbook() const;
    // A workbook still being written (no zip directory yet): a later look
    // may find it whole, so it waits rather than counting as unreadable.
    bool isIncomplete() const;
    // The data file's encoding, which its reject files keep; workbooks
    // write theirs as workbooks.
    TextEncoding encoding() const;

    bool isOpen() const override;
    bool hasError() const override;
    QString errorString() const override;
    const TextColumns& columns() const override;
    bool isEmpty() const override;
    bool next() override;
    const TextRecord& record() const override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
