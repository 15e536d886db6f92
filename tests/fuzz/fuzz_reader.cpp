// The data-file reader on any bytes, under a layout taken from the input's
// first four bytes, read to the end as a sender reads it.
//
//   byte 0  bits 0-2: separator ; , tab | none ~~ "; or (7) 1-4 bytes of the
//           input, as many as bits 3-4 say plus one
//   byte 1  bit 0: header line; bits 1-2: written as is, as UTF-8, as UTF-8
//           with a byte order mark, as is after a byte order mark; bits 3-4:
//           opened with the format, through the program's Schema.ini, through
//           a hand-written Schema.ini section; bit 5: left after a few records
//           and read again; bit 6: a first line pushes the rest to byte 3
//           bytes before the end of the reader's first read
//   byte 2  MaxScanRows (signed)
//   byte 3  records read before leaving it (bit 5 of byte 1); bytes before
//           the end of the first read (bit 6)
//   then    the file's bytes
#include <cstddef>
#include <cstdint>

#include <QVariant>

#include "FuzzCheck.h"
#include "textsource/CodePage.h"
#include "textsource/DelimitedReader.h"
#include "textsource/SchemaIni.h"
#include "textsource/TextRecord.h"

namespace {

const QString DataFile = QStringLiteral("data.txt");

// What RecordStream reads at a time. Inputs are far shorter, so without a
// first line this long no record would ever be split between two reads.
constexpr int ReadSize = 256 * 1024;

enum class Opening { WithFormat, ProgramSchema, WrittenSchema };

void checkColumns(const DelimitedReader& reader) {
    const QStringList names = reader.columnNames();
    FUZZ_CHECK(names.size() == reader.columnCount());
    FUZZ_CHECK(reader.columnCount() <= DelimitedReader::MaxColumns);
    for (int i = 0; i < names.size(); ++i) {
        FUZZ_CHECK(!names[i].isEmpty());
        // Names are unique, so a placeholder always finds its own column.
        FUZZ_CHECK(reader.columnIndex(names[i]) == i);
    }
}

void checkRecord(const DelimitedReader& reader, const TextRecord& record) {
    FUZZ_CHECK(record.size() == reader.columnCount());
    const TextColumns& columns = reader.columns();
    for (int i = 0; i < record.size(); ++i) {
        const QVariant value = record.value(i);
        const QString text = record.text(i);
        // Empty fields and only they are Null.
        FUZZ_CHECK(record.isNull(i) == !value.isValid());
        FUZZ_CHECK(record.isNull(i) == text.isEmpty());
        if (record.isNull(i))
            continue;
        // A value that does not fit its column's type comes back as text.
        const int type = value.typeId();
        switch (columns[static_cast<size_t>(i)].type) {
        case FieldType::Integer:
            FUZZ_CHECK(type == QMetaType::LongLong || type == QMetaType::QString);
            break;
        case FieldType::Double:
            FUZZ_CHECK(type == QMetaType::Double || type == QMetaType::QString);
            break;
        default:
            FUZZ_CHECK(type == QMetaType::QString);
        }
    }
    (void)JoinedValues(record, reader.format().separator);
}

// Reads up to `limit` records (all when negative); false when it stopped early.
bool readRecords(DelimitedReader& reader, int limit) {
    checkColumns(reader);
    int count = 0;
    while (reader.next()) {
        checkRecord(reader, reader.record());
        if (limit >= 0 && ++count >= limit)
            return false;
    }
    FUZZ_CHECK(!reader.isOpen());
    return true;
}

QByteArray schemaSection(const QString& separator, bool header, int maxScanRows,
                         TextEncoding encoding) {
    QString format;
    if (separator == QLatin1String("\t"))
        format = QStringLiteral("TabDelimited");
    else if (separator == QLatin1String(","))
        format = QStringLiteral("CSVDelimited");
    else
        format = QStringLiteral("Delimited(") + separator + QLatin1Char(')');
    const QString text =
        QStringLiteral("[%1]\r\nColNameHeader=%2\r\nFormat=%3\r\nMaxScanRows=%4\r\n"
                       "CharacterSet=ANSI\r\n")
            .arg(DataFile, header ? QStringLiteral("True") : QStringLiteral("False"), format,
                 QString::number(maxScanRows));
    return ByteOrderMark(encoding) + EncodeText(text, encoding);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const uint8_t separatorByte = input.byte();
    const uint8_t flags = input.byte();
    const int maxScanRows = static_cast<int8_t>(input.byte());
    const int leaveAfter = input.byte();
    const bool header = flags & 1;
    const int writing = (flags >> 1) & 3;
    const auto opening = static_cast<Opening>(((flags >> 3) & 3) % 3);
    const bool leaveEarly = flags & 0x20;
    const bool acrossReads = flags & 0x40;

    static const QString Separators[] = {
        QStringLiteral(";"), QStringLiteral(","),  QStringLiteral("\t"), QStringLiteral("|"),
        QString(),           QStringLiteral("~~"), QStringLiteral("\";")};
    QString separator;
    if ((separatorByte & 7) < 7) {
        separator = Separators[separatorByte & 7];
    } else {
        const QByteArray bytes = input.bytes(((separatorByte >> 3) & 3) + 1);
        separator =
            writing == 1 || writing == 2 ? QString::fromUtf8(bytes) : DecodeWindows1254(bytes);
    }

    const QByteArray raw = input.rest();
    // Every byte has a character and comes back the same.
    const QString asWindows1254 = DecodeWindows1254(raw);
    FUZZ_CHECK(EncodeText(asWindows1254, TextEncoding::Windows1254) == raw);
    QByteArray file;
    switch (writing) {
    case 0:
        file = raw;
        break;
    case 1:
        file = asWindows1254.toUtf8();
        break;
    case 2:
        file = ByteOrderMark(TextEncoding::Utf8WithBom) + asWindows1254.toUtf8();
        break;
    default:
        file = ByteOrderMark(TextEncoding::Utf8WithBom) + raw;
    }
    const bool multiByte = writing == 1 && file.size() != raw.size();
    if (acrossReads) {
        const qsizetype head = file.startsWith(ByteOrderMark(TextEncoding::Utf8WithBom)) ? 3 : 0;
        QByteArray line(ReadSize - head - leaveAfter - 1, 'x');
        line += '\n';
        file.insert(head, line);
    }
    const TextEncoding detected = DetectEncoding(file);
    if (writing >= 2)
        FUZZ_CHECK(detected == TextEncoding::Utf8WithBom);
    else if (multiByte)
        FUZZ_CHECK(detected == TextEncoding::Utf8);
    const QString path = fuzz::WriteFile(DataFile, file);

    DelimitedReader reader;
    bool opened = false;
    switch (opening) {
    case Opening::WithFormat: {
        TextFormat format;
        format.separator = separator;
        format.header = header;
        format.maxScanRows = maxScanRows;
        opened = reader.openWithFormat(path, format);
        break;
    }
    case Opening::ProgramSchema: {
        const QString flag = separator == QLatin1String("\t") ? QStringLiteral("T") : separator;
        const QString headerFlag = header ? QStringLiteral("E") : QStringLiteral("H");
        FUZZ_CHECK(TryWriteSchemaIni(fuzz::Folder(), flag, headerFlag).isEmpty());
        opened = reader.open(fuzz::Folder(), DataFile);
        // What the program writes, it reads back, unless a line break in
        // the separator splits its line or its single-byte letters happen to
        // form UTF-8 (the file is then read as UTF-8, as a data file would be).
        const bool readable = !separator.contains(QLatin1Char('\n')) &&
                              !separator.contains(QLatin1Char('\r')) &&
                              !(FitsWindows1254(separator) &&
                                DetectEncoding(EncodeText(separator, TextEncoding::Windows1254)) !=
                                    TextEncoding::Windows1254);
        if (readable) {
            const TextFormat expected = RuleTextFormat(flag, headerFlag);
            FUZZ_CHECK(opened || !reader.errorString().contains(SchemaFileName));
            if (opened) {
                FUZZ_CHECK(reader.format().separator == expected.separator);
                FUZZ_CHECK(reader.format().header == expected.header);
            }
        }
        break;
    }
    case Opening::WrittenSchema: {
        const TextEncoding encoding =
            FitsWindows1254(separator) ? TextEncoding::Windows1254 : TextEncoding::Utf8WithBom;
        fuzz::WriteFile(SchemaFileName, schemaSection(separator, header, maxScanRows, encoding));
        opened = reader.open(fuzz::Folder(), DataFile);
        break;
    }
    }
    if (!opened) {
        FUZZ_CHECK(reader.hasError());
        return 0;
    }
    FUZZ_CHECK(reader.encoding() == detected);
    if (leaveEarly && !readRecords(reader, leaveAfter)) {
        // Left half-way: the read-ahead stops, and the file opens again.
        const TextFormat format = reader.format();
        reader.close();
        if (opening == Opening::WithFormat)
            FUZZ_CHECK(reader.openWithFormat(path, format) || reader.hasError());
        else
            FUZZ_CHECK(reader.open(fuzz::Folder(), DataFile) || reader.hasError());
        if (!reader.isOpen())
            return 0;
    }
    readRecords(reader, -1);
    return 0;
}
