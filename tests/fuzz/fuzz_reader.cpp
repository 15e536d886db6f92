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

// Reads up to `limit` records (all when negative); false when it stopped early.
bool readRecords(DelimitedReader& reader, int limit) {
    const QStringList names = reader.columnNames();
    FUZZ_CHECK(names.size() <= DelimitedReader::MaxColumns);
    // Names are unique, so a placeholder always finds its own column.
    for (int i = 0; i < names.size(); ++i)
        FUZZ_CHECK(!names[i].isEmpty() && reader.columnIndex(names[i]) == i);
    for (int count = 0; reader.next();) {
        const TextRecord& record = reader.record();
        FUZZ_CHECK(record.size() == names.size());
        for (int i = 0; i < record.size(); ++i) {
            // Empty fields and only they are Null; a value that does not fit
            // its column's type is its text.
            const QVariant value = record.value(i);
            FUZZ_CHECK(record.isNull(i) == !value.isValid());
            FUZZ_CHECK(record.isNull(i) == record.text(i).isEmpty());
            const FieldType type = reader.columns()[size_t(i)].type;
            const int typeId = type == FieldType::Integer  ? QMetaType::LongLong
                               : type == FieldType::Double ? QMetaType::Double
                                                           : QMetaType::QString;
            FUZZ_CHECK(!value.isValid() || value.typeId() == typeId ||
                       value.typeId() == QMetaType::QString);
        }
        (void)JoinedValues(record, reader.format().separator);
        if (limit >= 0 && ++count >= limit)
            return false;
    }
    FUZZ_CHECK(!reader.isOpen());
    return true;
}

QByteArray schemaSection(const QString& separator, bool header, int maxScanRows) {
    const QString format = separator == QLatin1String("\t")  ? QStringLiteral("TabDelimited")
                           : separator == QLatin1String(",") ? QStringLiteral("CSVDelimited")
                                                             : "Delimited(" + separator + ')';
    const TextEncoding encoding =
        FitsWindows1254(separator) ? TextEncoding::Windows1254 : TextEncoding::Utf8WithBom;
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
    const int opening = ((flags >> 3) & 3) % 3;

    static const QString Separators[] = {";", ",", "\t", "|", "", "~~", "\";"};
    QString separator = Separators[std::min(separatorByte & 7, 6)];
    if ((separatorByte & 7) == 7) {
        const QByteArray bytes = input.bytes(((separatorByte >> 3) & 3) + 1);
        separator =
            writing == 1 || writing == 2 ? QString::fromUtf8(bytes) : DecodeWindows1254(bytes);
    }

    const QByteArray raw = input.rest();
    // Every byte has a character and comes back the same.
    const QString text = DecodeWindows1254(raw);
    FUZZ_CHECK(EncodeText(text, TextEncoding::Windows1254) == raw);
    const QByteArray mark = writing >= 2 ? ByteOrderMark(TextEncoding::Utf8WithBom) : QByteArray();
    QByteArray file = mark + (writing == 1 || writing == 2 ? text.toUtf8() : raw);
    if (flags & 0x40)
        file.insert(mark.size(), QByteArray(ReadSize - mark.size() - leaveAfter - 1, 'x') + '\n');
    const TextEncoding detected = DetectEncoding(file);
    if (writing >= 2)
        FUZZ_CHECK(detected == TextEncoding::Utf8WithBom);
    const QString path = fuzz::WriteFile(DataFile, file);

    DelimitedReader reader;
    TextFormat format;
    format.separator = separator;
    format.header = header;
    format.maxScanRows = maxScanRows;
    if (opening == 0) {
        reader.openWithFormat(path, format);
    } else if (opening == 1) {
        const QString flag = separator == QLatin1String("\t") ? QStringLiteral("T") : separator;
        const QString headerFlag = header ? QStringLiteral("E") : QStringLiteral("H");
        FUZZ_CHECK(TryWriteSchemaIni(fuzz::Folder(), flag, headerFlag).isEmpty());
        // What the program writes, it reads back, unless a line break in
        // the separator splits its line or its single-byte letters happen to
        // form UTF-8 (the file is then read as UTF-8, as a data file would be).
        const bool readable = !separator.contains(QLatin1Char('\n')) &&
                              !separator.contains(QLatin1Char('\r')) &&
                              !(FitsWindows1254(separator) &&
                                DetectEncoding(EncodeText(separator, TextEncoding::Windows1254)) !=
                                    TextEncoding::Windows1254);
        if (reader.open(fuzz::Folder(), DataFile) && readable)
            FUZZ_CHECK(reader.format().separator == RuleTextFormat(flag, headerFlag).separator &&
                       reader.format().header == header);
        FUZZ_CHECK(!readable || reader.isOpen() || !reader.errorString().contains(SchemaFileName));
    } else {
        fuzz::WriteFile(SchemaFileName, schemaSection(separator, header, maxScanRows));
        reader.open(fuzz::Folder(), DataFile);
    }
    if (!reader.isOpen()) {
        FUZZ_CHECK(reader.hasError());
        return 0;
    }
    FUZZ_CHECK(reader.encoding() == detected);
    if ((flags & 0x20) && !readRecords(reader, leaveAfter)) {
        // Left half-way: the read-ahead stops, and the file opens again.
        format = reader.format();
        reader.close();
        if (opening == 0 ? !reader.openWithFormat(path, format)
                         : !reader.open(fuzz::Folder(), DataFile))
            return 0;
    }
    readRecords(reader, -1);
    return 0;
}
