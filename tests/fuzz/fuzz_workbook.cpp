// The workbook reader on any bytes, most often laid into a workbook's zip
// so that the XML is what varies:
//
//   byte 0  bit 0: header row; bit 1: an .ods rather than an .xlsx; bit 2:
//           the bytes after it are the file itself, not its parts; bits 3-4:
//           the sheet read (0-3); bit 5: the sheet chosen by its name
//   then    the parts, separated by NUL bytes: for an .xlsx
//           xl/workbook.xml, xl/_rels/workbook.xml.rels, xl/sharedStrings.xml,
//           xl/styles.xml and xl/worksheets/sheet1.xml (a part left out is
//           missing); for an .ods content.xml
#include <cstddef>
#include <cstdint>
#include <set>

#include <QTemporaryDir>

#include <zip.h>

#include "FuzzCheck.h"
#include "spreadsheet/WorkbookReader.h"

namespace {

// A .ods row may be repeated up to a sheet's last row: reading them all
// would only make each input slow.
constexpr int MostRecords = 5000;

QByteArray ZipOf(const std::vector<std::pair<const char*, QByteArray>>& parts) {
    const QString path = fuzz::Folder() + QStringLiteral("/parts.zip");
    QFile::remove(path);
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    FUZZ_CHECK(archive);
    for (const auto& [name, bytes] : parts) {
        if (bytes.isNull())
            continue;
        zip_source_t* source =
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_OVERWRITE);
        FUZZ_CHECK(index >= 0);
        // Stored: libFuzzer's changes then reach the XML as they are.
        FUZZ_CHECK(zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0) == 0);
    }
    FUZZ_CHECK(zip_close(archive) == 0);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const uint8_t flags = input.byte();
    const bool header = flags & 1;
    const bool ods = flags & 2;
    const int sheet = (flags >> 3) & 3;
    QByteArray file;
    if (flags & 4) {
        file = input.rest();
    } else if (ods) {
        file = ZipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                      {"content.xml", input.rest()}});
    } else {
        std::vector<std::pair<const char*, QByteArray>> parts = {{"xl/workbook.xml", {}},
                                                                 {"xl/_rels/workbook.xml.rels", {}},
                                                                 {"xl/sharedStrings.xml", {}},
                                                                 {"xl/styles.xml", {}},
                                                                 {"xl/worksheets/sheet1.xml", {}}};
        const QList<QByteArray> pieces = input.rest().split('\0');
        for (size_t i = 0; i < parts.size() && i < size_t(pieces.size()); ++i)
            parts[i].second = pieces[qsizetype(i)].isNull() ? QByteArray("") : pieces[qsizetype(i)];
        file = ZipOf(parts);
    }
    const QString path =
        fuzz::WriteFile(ods ? QStringLiteral("book.ods") : QStringLiteral("book.xlsx"), file);

    QString error;
    const QStringList sheets = WorkbookReader::SheetNames(path, &error);
    FUZZ_CHECK(sheets.isEmpty() || error.isEmpty());

    WorkbookReader reader;
    const bool opened = (flags & 0x20) && sheet < sheets.size()
                            ? reader.open(path, header, sheets[sheet])
                            : reader.open(path, header, sheet);
    if (!opened) {
        FUZZ_CHECK(reader.hasError() && !reader.isOpen());
        // Every refusal names the file.
        FUZZ_CHECK(reader.errorString().contains(path));
        return 0;
    }
    const QStringList names = reader.columnNames();
    FUZZ_CHECK(names.size() <= WorkbookReader::MaxColumns);
    FUZZ_CHECK(std::set<QString>(names.begin(), names.end()).size() == size_t(names.size()));
    const bool empty = reader.isEmpty();
    int records = 0;
    while (records < MostRecords && reader.next()) {
        ++records;
        const TextRecord& record = reader.record();
        FUZZ_CHECK(record.size() == names.size());
        for (int i = 0; i < record.size(); ++i) {
            QString written;
            record.appendWrittenText(i, written);
            // Only an empty cell is Null, and a value is never lost.
            FUZZ_CHECK(record.isNull(i) == written.isEmpty());
        }
    }
    FUZZ_CHECK(!reader.hasError() || reader.errorString().contains(path));
    FUZZ_CHECK(records == MostRecords || empty == (records == 0) || reader.hasError());
    return 0;
}
