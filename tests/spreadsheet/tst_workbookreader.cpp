#include <QtTest>

#include <zip.h>

#include "spreadsheet/ExcelExport.h"
#include "spreadsheet/WorkbookReader.h"

using namespace Qt::StringLiterals;

namespace {

using Parts = std::vector<std::pair<QString, QByteArray>>;

void WriteZip(const QString& path, const Parts& parts) {
    QFile::remove(path);
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source =
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        QVERIFY(zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) >= 0);
    }
    QVERIFY(zip_close(archive) == 0); // copies the buffers while they still live
}

const QByteArray Xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";

// Shared strings 0-4 and cell styles: 1 "0.00", 2 a date, 3 "#,##0.00",
// 4 "0.00%", 5 "dd/mm/yyyy hh:mm", 6 "#,##0".
Parts Xlsx(const QByteArray& firstSheet) {
    const QByteArray main = R"( xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
    const QByteArray rels =
        R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
    const QByteArray type = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    return {
        {u"[Content_Types].xml"_s, Xml + "<Types/>"},
        {u"xl/workbook.xml"_s,
         Xml + "<workbook" + main + rels +
             R"(><sheets><sheet name="Müşteriler" sheetId="1" r:id="rId1"/>)"
             R"(<sheet name="İkinci" sheetId="2" r:id="rId2"/></sheets></workbook>)"},
        {u"xl/_rels/workbook.xml.rels"_s,
         Xml +
             R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" +
             R"(<Relationship Id="rId1" Type=")" + type +
             R"(worksheet" Target="worksheets/sheet1.xml"/>)" +
             R"(<Relationship Id="rId2" Type=")" + type +
             R"(worksheet" Target="/xl/worksheets/sheet2.xml"/>)" +
             R"(<Relationship Id="rId3" Type=")" + type +
             R"(sharedStrings" Target="sharedStrings.xml"/>)" +
             R"(<Relationship Id="rId4" Type=")" + type +
             R"(styles" Target="styles.xml"/></Relationships>)"},
        {u"xl/sharedStrings.xml"_s,
         Xml + "<sst" + main +
             "><si><t>ad</t></si><si><t>tutar</t></si><si><r><t>Ay</t></r><r><t>şe</t></r>"
             "<rPh><t>x</t></rPh></si><si><t>0532 111 22 33</t></si><si><t xml:space=\"preserve\"> "
             "ad </t></si></sst>"},
        {u"xl/styles.xml"_s,
         Xml + "<styleSheet" + main +
             R"(><numFmts><numFmt numFmtId="164" formatCode="#,##0.00\ &quot;₺&quot;"/>)"
             R"(<numFmt numFmtId="165" formatCode="dd/mm/yyyy\ hh:mm"/></numFmts>)"
             R"(<cellStyleXfs><xf numFmtId="2"/></cellStyleXfs><cellXfs><xf numFmtId="0"/>)"
             R"(<xf numFmtId="2"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="10"/>)"
             R"(<xf numFmtId="165"/><xf numFmtId="3"/></cellXfs></styleSheet>)"},
        {u"xl/worksheets/sheet1.xml"_s,
         Xml + "<worksheet" + main + "><sheetData>" + firstSheet + "</sheetData></worksheet>"},
        {u"xl/worksheets/sheet2.xml"_s,
         Xml + "<worksheet" + main +
             R"(><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>ikinci</t></is></c></row>)"
             R"(</sheetData></worksheet>)"},
    };
}

// A content.xml with number styles ce1 "0.00", ce2 "0.0%" and ce3 a date
// with the time, the first sheet's rows as given, and a second sheet.
Parts Ods(const QByteArray& firstSheet) {
    return {
        {u"mimetype"_s, "application/vnd.oasis.opendocument.spreadsheet"},
        {u"content.xml"_s,
         Xml +
             R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
             R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
             R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0")"
             R"( xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0")"
             R"( xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"><office:automatic-styles>)"
             R"(<number:number-style style:name="N2"><number:number number:decimal-places="2"/></number:number-style>)"
             R"(<number:percentage-style style:name="N10"><number:number number:decimal-places="1"/>)"
             R"(<number:text>%</number:text></number:percentage-style><number:date-style style:name="N37">)"
             R"(<number:day/><number:text>.</number:text><number:month/><number:year/><number:hours/><number:minutes/>)"
             R"(</number:date-style><style:style style:name="ce1" style:family="table-cell" style:data-style-name="N2"/>)"
             R"(<style:style style:name="ce2" style:family="table-cell" style:data-style-name="N10"/>)"
             R"(<style:style style:name="ce3" style:family="table-cell" style:data-style-name="N37"/>)"
             R"(</office:automatic-styles><office:body><office:spreadsheet><table:table table:name="Müşteriler">)" +
             firstSheet +
             R"(</table:table><table:table table:name="İkinci"><table:table-row><table:table-cell)"
             R"( office:value-type="string"><text:p>ikinci</text:p></table:table-cell></table:table-row>)"
             R"(</table:table></office:spreadsheet></office:body></office:document-content>)"},
    };
}

QByteArray ZipBytes(const Parts& parts) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"z.zip"_s);
    WriteZip(path, parts);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Parts Without(Parts parts, const QString& name) {
    std::erase_if(parts, [&](const auto& part) { return part.first == name; });
    return parts;
}

Parts With(Parts parts, const QString& name, const QByteArray& bytes) {
    parts = Without(parts, name);
    parts.emplace_back(name, bytes);
    return parts;
}

// A part that does not compress, so that a sheet of many empty rows stays
// within the bound on unpacking.
QByteArray Noise(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(23);
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

// The sheet read to the end as a sender reads it: the columns as
// name:type, then one line per record, each value as a template gets it
// (\N for Null); or why it failed, the folder left out of the message.
QString ReadBack(const QString& path, bool header, const QString& sheet, int maxScanRows = 25) {
    WorkbookReader reader;
    const bool opened = sheet.isEmpty() ? reader.open(path, header, 0, maxScanRows)
                        : sheet.startsWith(u'#')
                            ? reader.open(path, header, sheet.mid(1).toInt() - 1, maxScanRows)
                            : reader.open(path, header, sheet, maxScanRows);
    const auto error = [&] {
        return u"error: "_s +
               reader.errorString().replace(QFileInfo(path).absolutePath() + u'/', QString()) +
               (reader.isIncomplete() ? u" [incomplete]"_s : QString());
    };
    if (!opened)
        return error();
    QStringList lines, columns;
    for (const TextColumn& column : reader.columns())
        columns << column.name + u':' + TextColumnTypeName(column.type);
    lines << columns.join(u'\t');
    const bool empty = reader.isEmpty();
    int records = 0;
    for (; reader.next(); ++records) {
        QStringList values;
        for (int i = 0; i < reader.record().size(); ++i) {
            if (reader.record().isNull(i))
                values << u"\\N"_s;
            else
                reader.record().appendWrittenText(i, values.emplace_back());
        }
        lines << values.join(u'\t');
    }
    if (reader.hasError())
        lines << error();
    if (empty != (records == 0))
        lines << u"isEmpty() disagrees"_s;
    return lines.join(u'\n');
}

} // namespace

class TestWorkbookReader : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void sheetParts_data();
    void sheetParts();
    void sheetNames();
    void ownExportReadBack();
    void xls_data();
    void xls();
    void refused_data();
    void refused();

private:
    QTemporaryDir m_dir;
};

void TestWorkbookReader::read_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("maxScanRows");
    QTest::addColumn<QString>("expected");

    const QByteArray kinds =
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="inlineStr"><is><t>tarih</t></is></c>)"
        R"(<c r="D1" t="str"><v>onay</v></c><c r="E1" t="inlineStr"><is><t>adet</t></is></c><c r="F1" t="s"><v>3</v></c></row>)"
        R"(<row r="2"><c r="A2" t="s"><v>2</v></c><c r="B2" s="1"><v>150.5</v></c><c r="C2" s="2"><v>46000</v></c>)"
        R"(<c r="D2" t="b"><v>1</v></c><c r="E2"><v>42</v></c><c r="F2" t="inlineStr"><is><t>007</t></is></c></row>)"
        R"(<row r="3"><c r="A3" t="s"><v>4</v></c><c r="B3" s="1"><v>-0.001</v></c><c r="C3" s="5"><v>46000.5</v></c>)"
        R"(<c r="D3" t="b"><v>0</v></c><c r="E3"><v>5.0</v></c><c r="F3" t="s"><v>3</v></c></row>)";
    QTest::newRow("xlsx: cell kinds, header row")
        << u"xlsx"_s << kinds << true << QString() << 25
        << u"ad:text\ttutar:double\ttarih:text\tonay:text\tadet:integer\t0532 111 22 33:text\n"
           "Ayşe\t150,50\t09.12.2025\tDOĞRU\t42\t007\n"
           " ad \t0,00\t09.12.2025 12:00\tYANLIŞ\t5\t0532 111 22 33"_s;
    QTest::newRow("xlsx: no header row: the first row is a record")
        << u"xlsx"_s
        << QByteArray(R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1"><v>3</v></c></row>)"
                      R"(<row r="2"><c r="A2" t="s"><v>2</v></c><c r="B2"><v>4</v></c></row>)")
        << false << QString() << 25 << u"F1:text\tF2:integer\nad\t3\nAyşe\t4"_s;
    QTest::newRow("xlsx: numbers as the format shows them")
        << u"xlsx"_s
        << QByteArray(
               R"(<row><c><v>0.30000000000000004</v></c><c s="3"><v>1234567.5</v></c><c s="4"><v>0.125</v></c>)"
               R"(<c s="6"><v>-1250</v></c><c><v>100000000000000000000</v></c><c s="2"><v>1</v></c><c><v>905321112233</v></c></row>)")
        << false << QString() << 25
        << u"F1:double\tF2:text\tF3:text\tF4:text\tF5:text\tF6:text\tF7:integer\n"
           "0,3\t1.234.567,50\t12,50%\t-1.250\t1E+20\t01.01.1900\t905321112233"_s;
    QTest::newRow("xlsx: empty rows and valueless cells are skipped, gaps become Null")
        << u"xlsx"_s
        << QByteArray(
               R"(<row r="1"><c r="A1" s="1"/></row><row r="2"><c r="A2"><v>1</v></c><c r="C2"><v>3</v></c></row>)"
               R"(<row r="7"/><row r="9"><c r="B9" t="inlineStr"><is><t></t></is></c><c r="C9"><v>9</v></c></row>)")
        << false << QString() << 25 << u"F1:integer\tF2:text\tF3:integer\n1\t\\N\t3\n\\N\t\\N\t9"_s;
    QTest::newRow("xlsx: values past the scanned columns stay in the last one")
        << u"xlsx"_s
        << QByteArray(
               R"(<row><c><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c><c><v>4</v></c><c><v>5</v></c></row>)")
        << false << QString() << 1 << u"F1:integer\tF2:integer\n1\t2\n3\t4 5"_s;
    QTest::newRow("xlsx: second sheet by position")
        << u"xlsx"_s << QByteArray() << false << u"#2"_s << 25 << u"F1:text\nikinci"_s;
    QTest::newRow("xlsx: second sheet by name")
        << u"xlsx"_s << QByteArray() << true << u"İkinci"_s << 25 << u"ikinci:text"_s;
    QTest::newRow("xlsx: an empty sheet, header row asked for")
        << u"xlsx"_s << QByteArray() << true << QString() << 25 << QString();
    QTest::newRow("xlsx: a third sheet that is not there")
        << u"xlsx"_s << QByteArray() << true << u"#3"_s << 25
        << u"error: book.xlsx: çalışma kitabında 3. sayfa yok"_s;
    QTest::newRow("xlsx: a sheet that is not there")
        << u"xlsx"_s << QByteArray() << true << u"Üçüncü"_s << 25
        << u"error: book.xlsx: çalışma kitabında \"Üçüncü\" sayfası yok"_s;

    const QByteArray odsKinds =
        R"(<table:table-column table:number-columns-repeated="5"/><table:table-column table:default-cell-style-name="ce1"/>)"
        R"(<table:table-row><table:table-cell office:value-type="string"><text:p>ad</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="string"><text:p>tutar</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="string"><text:p>tarih</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="string"><text:p>onay</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="string"><text:p>oran</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="string"><text:p>borç</text:p></table:table-cell></table:table-row>)"
        R"(<table:table-row table:number-rows-repeated="2"><table:table-cell office:value-type="string">)"
        R"(<office:annotation><text:p>not</text:p></office:annotation><text:p>Ay<text:span>şe</text:span><text:s text:c="2"/>K.</text:p>)"
        R"(<text:p>2. satır</text:p></table:table-cell><table:table-cell table:style-name="ce1" office:value-type="float")"
        R"( office:value="150.5"><text:p>150.50</text:p></table:table-cell><table:table-cell office:value-type="date")"
        R"( office:date-value="2025-12-09"/><table:table-cell office:value-type="boolean" office:boolean-value="true"/>)"
        R"(<table:table-cell table:style-name="ce2" office:value-type="percentage" office:value="0.125"/>)"
        R"(<table:table-cell office:value-type="currency" office:value="7"/></table:table-row>)"
        R"(<table:table-row><table:table-cell office:value-type="float" office:value="42"/><table:table-cell)"
        R"( table:style-name="ce3" office:value-type="date" office:date-value="2025-12-09T12:30:00"/>)"
        R"(<table:covered-table-cell table:number-columns-repeated="2" office:value-type="time")"
        R"( office:time-value="PT08H05M00S"/></table:table-row>)"
        R"(<table:table-row table:number-rows-repeated="1048570"><table:table-cell table:number-columns-repeated="1024"/>)"
        R"(</table:table-row>)";
    QTest::newRow("ods: cell kinds, repeated rows and cells, empty rows to the sheet's end")
        << u"ods"_s << odsKinds << true << QString() << 25
        << u"ad:text\ttutar:text\ttarih:text\tonay:text\toran:text\tborç:double\n"
           "Ayşe  K.\n2. satır\t150,50\t09.12.2025\tDOĞRU\t12,5%\t7,00\n"
           "Ayşe  K.\n2. satır\t150,50\t09.12.2025\tDOĞRU\t12,5%\t7,00\n"
           "42\t09.12.2025 12:30\t08:05\t08:05\t\\N\t\\N"_s;
    QTest::newRow("ods: second sheet by name")
        << u"ods"_s << QByteArray() << false << u"İkinci"_s << 25 << u"F1:text\nikinci"_s;
}

void TestWorkbookReader::read() {
    QFETCH(QString, format);
    QFETCH(QByteArray, rows);
    QFETCH(bool, header);
    QFETCH(QString, sheet);
    QFETCH(int, maxScanRows);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(u"book."_s + format);
    WriteZip(path, format == u"ods" ? Ods(rows) : Xlsx(rows));
    QCOMPARE(ReadBack(path, header, sheet, maxScanRows), expected);
}

void TestWorkbookReader::sheetParts_data() {
    QTest::addColumn<QByteArray>("part"); // the first sheet's whole part
    QTest::addColumn<QString>("expected");

    const QByteArray main = R"( xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
    const QByteArray rows =
        R"(<row><c t="s"><v>2</v></c><c t="inlineStr"><is><t>x&#233;&#x11F;&lt;&amp;&quot;</t></is></c>)"
        R"(<c t="str"><v>a)"
        "\r\n"
        R"(b</v></c><c><v>1<!-- not a digit -->2</v></c><c t="inlineStr"><is><t><![CDATA[<b>&amp;]]></t></is></c></row>)";
    const QString values = u"F1:text\tF2:text\tF3:text\tF4:integer\tF5:text\n"
                           "Ayşe\txéğ<&\"\ta\nb\t12\t<b>&amp;"_s;
    const QByteArray sheet =
        "<worksheet" + main + "><sheetData>" + rows + "</sheetData></worksheet>";
    QTest::newRow("references, CDATA, comments and a CR LF in values") << Xml + sheet << values;
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QTest::newRow("UTF-16 with a byte order mark")
        << QByteArray(utf16.encode(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>"_s +
                                   QString::fromUtf8(sheet)))
        << values;
    QTest::newRow("a UTF-8 byte order mark, blanks, comments and instructions between elements")
        << "\xEF\xBB\xBF" + Xml + "\n<!-- saved by hand -->\n<?mso-application progid?>\n" +
               QByteArray(sheet)
                   .replace("<row>", "\n  <row>\n    ")
                   .replace("</row>", "\n  </row>\n") +
               "\n<!-- end -->\n"
        << values;
    QTest::newRow("namespace prefixes, single quotes and blanks in tags")
        << Xml +
               R"(<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
               R"(<x:sheetData><x:row  r = '1' ><x:c r='B1' x:t = "s" ><x:v>2</x:v ></x:c></x:row>)"
               R"(</x:sheetData></x:worksheet >)"
        << u"F1:text\tF2:text\n\\N\tAyşe"_s;
    // Far longer than what is read at a time: the text comes in pieces, and
    // neither a reference nor a CR LF may be cut in two.
    QByteArray longPart;
    QString longText;
    for (int i = 0; i < 40000; ++i) {
        const char16_t letter = char16_t(0x100 + i * 7919 % 0xD000);
        longPart += "&#" + QByteArray::number(letter) + ';' + (i % 10 ? "" : "\r\n");
        longText += QChar(letter) + (i % 10 ? QString() : u"\n"_s);
    }
    QTest::newRow("a text longer than a read")
        << Xml + "<worksheet" + main + R"(><sheetData><row><c t="inlineStr"><is><t>)" + longPart +
               "</t></is></c></row></sheetData></worksheet>"
        << u"F1:text\n"_s + longText;
}

void TestWorkbookReader::sheetParts() {
    QFETCH(QByteArray, part);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(u"parts.xlsx"_s);
    WriteZip(path, With(Xlsx({}), u"xl/worksheets/sheet1.xml"_s, part));
    QCOMPARE(ReadBack(path, false, QString()), expected);
}

void TestWorkbookReader::sheetNames() {
    for (const QString& format : {u"xlsx"_s, u"ods"_s}) {
        const QString path = m_dir.filePath(u"names."_s + format);
        WriteZip(path, format == u"ods" ? Ods(QByteArray()) : Xlsx(QByteArray()));
        QString error;
        QCOMPARE(WorkbookReader::SheetNames(path, &error),
                 QStringList({u"Müşteriler"_s, u"İkinci"_s}));
        QCOMPARE(error, QString());
    }
}

// A workbook the program exported (a report, a reject file) is a list the
// user may send: its zip64 records must not make it unreadable.
void TestWorkbookReader::ownExportReadBack() {
    class Numbers : public ExportSource {
    public:
        qint64 rowCount() const override { return 3; }
        int columnCount() const override { return 2; }
        void writeRow(qint64 row, ExportRowSink& sink) override {
            sink.text(0, u"053212345%1"_s.arg(row + 60));
            sink.text(1, u"Müşteri %1"_s.arg(row));
        }
    } source;
    const QString path = m_dir.filePath(u"rapor.xlsx"_s);
    QVERIFY(WriteWorkbook(source, path, {u"GsmNo"_s, u"Ad"_s}).written());
    WorkbookReader reader;
    QVERIFY2(reader.open(path, true), qPrintable(reader.errorString()));
    QCOMPARE(reader.columnNames(), QStringList({u"GsmNo"_s, u"Ad"_s}));
    QStringList rows;
    while (reader.next()) {
        QString row; // as a template fills it
        reader.record().appendWrittenText(0, row);
        rows << row + u' ' + reader.record().text(1);
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    QCOMPARE(rows, QStringList({u"05321234560 Müşteri 0"_s, u"05321234561 Müşteri 1"_s,
                                u"05321234562 Müşteri 2"_s}));
}

void TestWorkbookReader::xls_data() {
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("expected");
    // data/customers.xls, made by data/make_customers_xls.py: numbers show as
    // General does, since .xls cells come without their formats.
    QTest::newRow("first sheet")
        << QString()
        << u"ad:text\tgsm:integer\ttutar:double\ttarih:text\tadet:integer\n"
           "Ayşe Öztürk\t05321112233\t150,5\t09.12.2025\t42\n"
           "Çağrı\t905321112244\t\\N\t\\N\t1"_s;
    QTest::newRow("second sheet by name") << u"İkinci"_s << u"ikinci:text"_s;
}

void TestWorkbookReader::xls() {
    QFETCH(QString, sheet);
    QFETCH(QString, expected);
    QCOMPARE(ReadBack(QStringLiteral(PARLEX_CUSTOMERS_XLS), true, sheet), expected);
    QCOMPARE(WorkbookReader::SheetNames(QStringLiteral(PARLEX_CUSTOMERS_XLS)),
             QStringList({u"Müşteriler"_s, u"İkinci"_s}));
}

void TestWorkbookReader::refused_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected"); // how the output starts

    const Parts xlsx = Xlsx(R"(<row><c><v>1</v></c></row>)");
    const QByteArray whole = ZipBytes(xlsx);
    const QByteArray main = R"( xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
    const auto sheet = [&](const QByteArray& rows) {
        return Xml + "<worksheet" + main + "><sheetData>" + rows + "</sheetData></worksheet>";
    };
    const QString sheetPart = u"xl/worksheets/sheet1.xml"_s;

    QTest::newRow("a broken .xls")
        << u"xls"_s << QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(600, '\x01')
        << u"error: bad.xls: .xls çalışma kitabı okunamadı"_s;
    QTest::newRow("not a zip") << u"xlsx"_s << QByteArray("ad;gsm\n")
                               << u"error: bad.xlsx: bir çalışma kitabı değil"_s;
    QTest::newRow("an empty file: its writer has just begun")
        << u"xlsx"_s << QByteArray()
        << u"error: bad.xlsx: çalışma kitabı henüz yazılıyor (zip dizini yok) [incomplete]"_s;
    QTest::newRow("a zip whose directory is not written yet")
        << u"xlsx"_s << whole.left(whole.size() / 2)
        << u"error: bad.xlsx: çalışma kitabı henüz yazılıyor (zip dizini yok) [incomplete]"_s;
    QByteArray cut = whole;
    // The sheet's checksum in the directory, whose entry starts 46 bytes before its name.
    cut[cut.lastIndexOf("xl/worksheets/sheet1.xml") - 46 + 16] ^= 0x55;
    QTest::newRow("a zip whose directory is broken")
        << u"xlsx"_s << cut
        << u"error: bad.xlsx: çalışma kitabının xl/worksheets/sheet1.xml bölümü bozuk"_s;
    QTest::newRow("a zip that is no workbook") << u"xlsx"_s << ZipBytes({{u"a.txt"_s, "a"}})
                                               << u"error: bad.xlsx: çalışma kitabı tanınmadı"_s;
    QTest::newRow("no sheet list")
        << u"xlsx"_s << ZipBytes(Without(xlsx, u"xl/_rels/workbook.xml.rels"_s))
        << u"error: bad.xlsx: çalışma kitabında xl/_rels/workbook.xml.rels bölümü yok"_s;
    QTest::newRow("a sheet's part missing")
        << u"xlsx"_s << ZipBytes(Without(xlsx, sheetPart))
        << u"error: bad.xlsx: çalışma kitabında xl/worksheets/sheet1.xml bölümü yok"_s;
    QTest::newRow("a broken sheet")
        << u"xlsx"_s << ZipBytes(With(xlsx, sheetPart, sheet("<row><c><v>1</v></row>")))
        << u"error: bad.xlsx: çalışma kitabının xl/worksheets/sheet1.xml bölümü bozuk (satır 1:"_s;
    const QString broken =
        u"error: bad.xlsx: çalışma kitabının xl/worksheets/sheet1.xml bölümü bozuk "_s;
    QTest::newRow("a sheet cut off")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, sheetPart, sheet("<row><c><v>1</v></c></row>").chopped(20)))
        << broken + u"(satır 1: belge yarıda bitiyor)"_s;
    QTest::newRow("an entity that is not declared, many lines down")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, sheetPart,
                         sheet(QByteArray(200000, '\n') +
                               R"(<row><c t="inlineStr"><is><t>&nbsp;</t></is></c></row>)")))
        << broken + u"(satır 200001: tanımsız ya da bozuk bir başvuru (&nbsp;))"_s;
    QTest::newRow("bytes that are not UTF-8")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, sheetPart,
                         sheet("<row><c t=\"inlineStr\"><is><t>\xC3\x28</t></is></c></row>")))
        << broken + u"(satır 1: geçersiz karakter ya da UTF-8 dışı bayt)"_s;
    QTest::newRow("a control character")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, sheetPart, sheet("<row><c t=\"str\"><v>a\x01</v></c></row>")))
        << broken + u"(satır 1: geçersiz karakter ya da UTF-8 dışı bayt)"_s;
    QTest::newRow("an attribute twice")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, sheetPart, sheet(R"(<row><c r="A1" r="B1"><v>1</v></c></row>)")))
        << broken + u"(satır 1: bir öznitelik iki kez var)"_s;
    QTest::newRow("text after the sheet")
        << u"xlsx"_s << ZipBytes(With(xlsx, sheetPart, sheet("<row/>") + "x"))
        << broken + u"(satır 1: kök öğenin dışında metin var)"_s;
    QTest::newRow("broken shared strings")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, u"xl/sharedStrings.xml"_s,
                         Xml + "<sst" + main + "><si><t>a</si></t></sst>"))
        << u"error: bad.xlsx: çalışma kitabının xl/sharedStrings.xml bölümü bozuk (satır 1: "
           "açılış ve kapanış etiketleri eşleşmiyor)"_s;
    QTest::newRow("a text that is not there")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, sheetPart, sheet(R"(<row><c t="s"><v>99</v></c></row>)")))
        << u"error: bad.xlsx: \"Müşteriler\" sayfası olmayan bir metne bakıyor (99)"_s;
    QTest::newRow("a DTD with entities")
        << u"xlsx"_s
        << ZipBytes(With(
               xlsx, sheetPart,
               Xml +
                   R"(<!DOCTYPE worksheet [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;">]>)" +
                   "<worksheet" + main +
                   "><sheetData><row><c t=\"inlineStr\"><is><t>&b;</t></is></c></row>"
                   "</sheetData></worksheet>"))
        << u"error: bad.xlsx: çalışma kitabının xl/worksheets/sheet1.xml bölümünde DTD var; güvenlik için okunmaz"_s;
    QTest::newRow("an .ods with a DTD")
        << u"ods"_s
        << ZipBytes(
               With(Ods({}), u"content.xml"_s,
                    Xml + R"(<!DOCTYPE x SYSTEM "file:///etc/passwd"><office:document-content/>)"))
        << u"error: bad.ods: çalışma kitabının content.xml bölümünde DTD var"_s;
    QTest::newRow("unpacks to over a hundred times its size")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, u"xl/sharedStrings.xml"_s,
                         Xml + "<sst" + main + ">" + QByteArray(4 << 20, ' ') + "</sst>"))
        << u"error: bad.xlsx: çalışma kitabı açıldığında çok büyüyor (en çok 1024 MB, dosyanın 100 katı okunur)"_s;
    QByteArray emptyRows;
    for (int i = 0; i <= 100000; ++i)
        emptyRows += "<row/>";
    QTest::newRow("a long run of empty rows")
        << u"xlsx"_s
        << ZipBytes(With(With(xlsx, sheetPart, sheet(emptyRows + "<row><c><v>1</v></c></row>")),
                         u"xl/media/image1.png"_s, Noise(16 << 10)))
        << u"error: bad.xlsx: \"Müşteriler\" sayfasında art arda 100000 boş satırdan fazlası var"_s;
    QTest::newRow("a row past the last a spreadsheet holds")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, sheetPart, sheet(R"(<row r="1048577"><c><v>1</v></c></row>)")))
        << u"error: bad.xlsx: \"Müşteriler\" sayfası 1048576 satırdan uzun"_s;
    QTest::newRow("an .ods row past the last a spreadsheet holds")
        << u"ods"_s
        << ZipBytes(Ods(
               R"(<table:table-row table:number-rows-repeated="1048576"><table:table-cell/></table:table-row>)"
               R"(<table:table-row><table:table-cell office:value-type="float" office:value="1"/></table:table-row>)"))
        << u"error: bad.ods: \"Müşteriler\" sayfası 1048576 satırdan uzun"_s;
    QTest::newRow("an .ods row of more than a million characters")
        << u"ods"_s
        << ZipBytes(Ods(
               R"(<table:table-row><table:table-cell table:number-columns-repeated="600")"
               R"( office:value-type="string"><text:p><text:s text:c="1000"/><text:s text:c="1000"/>x</text:p>)"
               R"(</table:table-cell></table:table-row>)"))
        << u"error: bad.ods: \"Müşteriler\" sayfasında 1048576 karakterden uzun bir satır var"_s;
    QTest::newRow("a value past the thousandth column")
        << u"xlsx"_s
        << ZipBytes(With(xlsx, sheetPart, sheet(R"(<row><c r="ALM1"><v>1</v></c></row>)")))
        << u"error: bad.xlsx: 1000 sütundan fazlası var"_s;
    QTest::newRow("an .ods value repeated past the thousandth column")
        << u"ods"_s
        << ZipBytes(Ods(R"(<table:table-row><table:table-cell table:number-columns-repeated="1001")"
                        R"( office:value-type="float" office:value="1"/></table:table-row>)"))
        << u"error: bad.ods: 1000 sütundan fazlası var"_s;
}

void TestWorkbookReader::refused() {
    QFETCH(QString, format);
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(u"bad."_s + format);
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(file);
    out.close();
    // Refused before any record: nothing of it reaches a sender.
    const QString actual = ReadBack(path, false, QString());
    QVERIFY2(actual.startsWith(expected), qPrintable(actual));
}

QTEST_GUILESS_MAIN(TestWorkbookReader)
#include "tst_workbookreader.moc"
