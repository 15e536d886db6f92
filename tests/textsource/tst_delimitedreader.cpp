#include <sys/stat.h>

#include <QtTest>

#include "ReaderTestSupport.h"
#include "textsource/RecordStream.h"
#include "textsource/TextSample.h"

using Rows = QList<QStringList>;

class TestDelimitedReader : public QObject {
    Q_OBJECT

private slots:
    void columnNames_data();
    void columnNames();
    void splitting_data();
    void splitting();
    void types_data();
    void types();
    void lateValueThatDoesNotFitComesBackAsText();
    void textAtTheLastScannedRowMakesTheColumnText();
    void encodings_data();
    void encodings();
    void unreadableFiles_data();
    void unreadableFiles();
    void longFilesComeWholeAndInOrder_data();
    void longFilesComeWholeAndInOrder();
    void readerLeftHalfWayCanBeReopenedAndDropped();
    void namedPipeDoesNotBlock();
    void emptyFiles_data();
    void emptyFiles();
    void readersAreIndependent();
    void keptRecordsOutliveTheReader();
    void lookupByName();
    void rejectLine();
    void sampleLoad();
    void sampleLoadFailure();
};

void TestDelimitedReader::columnNames_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("headerFlag");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("header names") << QByteArray("ad;gsm;tutar\nAli;5321234567;10\n") << "E"
                                  << QStringList{"ad:text", "gsm:integer", "tutar:integer"};
    QTest::newRow("no header: F1 onwards")
        << QByteArray("Ali;5321234567\n") << "H" << QStringList{"F1:text", "F2:integer"};
    QTest::newRow("any other flag: no header")
        << QByteArray("ad;gsm\n") << "" << QStringList{"F1:text", "F2:text"};
    QTest::newRow("blanks around names removed")
        << QByteArray(" ad ; gsm \nAli;1\n") << "E" << QStringList{"ad:text", "gsm:integer"};
    QTest::newRow("empty name gets its position")
        << QByteArray("ad;;tutar\nAli;x;1\n") << "E"
        << QStringList{"ad:text", "F2:text", "tutar:integer"};
    QTest::newRow("duplicate names get their position")
        << QByteArray("ad;AD;ad\na;b;c\n") << "E"
        << QStringList{"ad:text", "AD_2:text", "ad_3:text"};
    QTest::newRow("generated name already taken")
        << QByteArray(";F1\na;b\n") << "E" << QStringList{"F1:text", "F1_2:text"};
    QTest::newRow("dotless and dotted i are one letter")
        << QByteArray("ad\xFD;ADI\na;b\n") << "E"
        << QStringList{QStringLiteral("adı:text"), "ADI_2:text"};
    QTest::newRow("rows wider than the header")
        << QByteArray("ad\nAli;5321234567\n") << "E" << QStringList{"ad:text", "F2:integer"};
    QTest::newRow("quoted header") << QByteArray("\"ad;soyad\";gsm\nAli;1\n") << "E"
                                   << QStringList{"ad;soyad:text", "gsm:integer"};
}

void TestDelimitedReader::columnNames() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, headerFlag);
    QFETCH(QStringList, columns);
    TestEnvironment env;
    const ReadResult result = readDataFile(env, bytes, ";", headerFlag);
    QVERIFY2(result.opened, qPrintable(result.error));
    QCOMPARE(result.columns, columns);
}

void TestDelimitedReader::splitting_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("CR LF, LF and CR line ends")
        << QByteArray("a;b\r\nc;d\ne;f\rg;h") << ";"
        << Rows{{"a", "b"}, {"c", "d"}, {"e", "f"}, {"g", "h"}};
    QTest::newRow("empty lines are no records")
        << QByteArray("\r\n\r\na;b\r\n\r\n\nc;d\r\n\r\n") << ";" << Rows{{"a", "b"}, {"c", "d"}};
    QTest::newRow("empty fields are Null")
        << QByteArray("a;;c\n;;\n") << ";" << Rows{{"a", "\\N", "c"}, {"\\N", "\\N", "\\N"}};
    QTest::newRow("missing fields are Null")
        << QByteArray("a;b;c\nd\n") << ";" << Rows{{"a", "b", "c"}, {"d", "\\N", "\\N"}};
    QTest::newRow("quoted separator")
        << QByteArray("\"Ali; Veli\";x\n") << ";" << Rows{{"Ali; Veli", "x"}};
    QTest::newRow("doubled quotes")
        << QByteArray("\"5 \"\"A\"\" blok\";x\n") << ";" << Rows{{"5 \"A\" blok", "x"}};
    QTest::newRow("line break inside quotes")
        << QByteArray("\"Sat\xFDr 1\r\nSat\xFDr 2\";x\ny;z\n") << ";"
        << Rows{{QStringLiteral("Satır 1\r\nSatır 2"), "x"}, {"y", "z"}};
    QTest::newRow("quoted empty field is Null")
        << QByteArray("\"\";x\n") << ";" << Rows{{"\\N", "x"}};
    QTest::newRow("quote inside a field is a character")
        << QByteArray("5\" ekran;x\n") << ";" << Rows{{"5\" ekran", "x"}};
    QTest::newRow("text after the closing quote is kept")
        << QByteArray("\"ab\"cd;x\n") << ";" << Rows{{"abcd", "x"}};
    QTest::newRow("unclosed quote runs to the end")
        << QByteArray("a;\"b\nc;d\n") << ";" << Rows{{"a", "b\nc;d\n"}};
    QTest::newRow("tab") << QByteArray("a\tb;c\n") << "T" << Rows{{"a", "b;c"}};
    QTest::newRow("several characters")
        << QByteArray("a||b|c||\n") << "||" << Rows{{"a", "b|c", "\\N"}};
    QTest::newRow("separator with a quote turns quoting off")
        << QByteArray("\"a\"\";\"b\n") << "\";\"" << Rows{{"\"a\"", "b"}};
    QTest::newRow("empty separator: the line is one field")
        << QByteArray("a;b\n") << "" << Rows{{"a;b"}};
    QTest::newRow("comma") << QByteArray("Ali,\"1,5\"\n") << "," << Rows{{"Ali", "1,5"}};
    QTest::newRow("blank lines inside quotes are kept")
        << QByteArray("\"a\n\nb\";c\n") << ";" << Rows{{"a\n\nb", "c"}};
}

void TestDelimitedReader::splitting() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, separator);
    QFETCH(Rows, rows);
    TestEnvironment env;
    const ReadResult result = readDataFile(env, bytes, separator, "H");
    QVERIFY2(result.opened, qPrintable(result.error));
    QCOMPARE(result.error, QString());
    QCOMPARE(result.rows, rows);
}

void TestDelimitedReader::types_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("number column loses the leading zero, text column keeps it")
        << QByteArray("gsm;kod\n05321234567;05\n05321234568;A5\n")
        << QStringList{"gsm:integer", "kod:text"}
        << Rows{{"5321234567", "05"}, {"5321234568", "A5"}};
    QTest::newRow("twelve digits stay whole")
        << QByteArray("gsm\n905321234567\n") << QStringList{"gsm:integer"}
        << Rows{{"905321234567"}};
    QTest::newRow("decimal comma")
        << QByteArray("tutar\n12,5\n3\n-0,25\n") << QStringList{"tutar:double"}
        << Rows{{"12,5"}, {"3"}, {"-0,25"}};
    QTest::newRow("decimal point is text")
        << QByteArray("tutar\n12.5\n3\n") << QStringList{"tutar:text"} << Rows{{"12.5"}, {"3"}};
    QTest::newRow("grouped thousands are text")
        << QByteArray("tutar\n1.250,50\n") << QStringList{"tutar:text"} << Rows{{"1.250,50"}};
    QTest::newRow("spaced number is text") << QByteArray("gsm\n0532 123 45 67\n")
                                           << QStringList{"gsm:text"} << Rows{{"0532 123 45 67"}};
    QTest::newRow("exponent is text")
        << QByteArray("x\n1e5\n") << QStringList{"x:text"} << Rows{{"1e5"}};
    QTest::newRow("18 digits are a number, 19 are text")
        << QByteArray("a;b\n999999999999999999;1234567890123456789\n")
        << QStringList{"a:integer", "b:text"}
        << Rows{{"999999999999999999", "1234567890123456789"}};
    QTest::newRow("15 digits are a decimal, 16 are text")
        << QByteArray("a;b\n1234567890,12345;1234567890,123456\n")
        << QStringList{"a:double", "b:text"} << Rows{{"1234567890,12345", "1234567890,123456"}};
    QTest::newRow("blanks around a number")
        << QByteArray("n\n 42 \n") << QStringList{"n:integer"} << Rows{{"42"}};
    QTest::newRow("plus sign") << QByteArray("gsm\n+905321234567\n") << QStringList{"gsm:integer"}
                               << Rows{{"905321234567"}};
    QTest::newRow("column of Nulls is text")
        << QByteArray("a;b\n1;\n2;\n") << QStringList{"a:integer", "b:text"}
        << Rows{{"1", "\\N"}, {"2", "\\N"}};
    QTest::newRow("quoted number is a number")
        << QByteArray("n\n\"7\"\n") << QStringList{"n:integer"} << Rows{{"7"}};
}

void TestDelimitedReader::types() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, columns);
    QFETCH(Rows, rows);
    TestEnvironment env;
    const ReadResult result = readDataFile(env, bytes, ";", "E");
    QVERIFY2(result.opened, qPrintable(result.error));
    QCOMPARE(result.columns, columns);
    QCOMPARE(result.rows, rows);
}

void TestDelimitedReader::lateValueThatDoesNotFitComesBackAsText() {
    // 25 numbers decide the type; the 26th row's number was typed with
    // blanks. It must reach the sender and the reject file, not vanish.
    QByteArray bytes("gsm;ad\n");
    for (int i = 0; i < 25; ++i)
        bytes += "0532123456" + QByteArray::number(i % 10) + ";Ali\n";
    bytes += "0532 123 45 99;Veli\n";
    bytes += "05321234598;Can\n";

    TestEnvironment env;
    const ReadResult result = readDataFile(env, bytes, ";", "E");
    QVERIFY2(result.opened, qPrintable(result.error));
    QCOMPARE(result.columns, QStringList({"gsm:integer", "ad:text"}));
    QCOMPARE(result.rows.size(), 27);
    QCOMPARE(result.rows[24], QStringList({"5321234564", "Ali"}));
    QCOMPARE(result.rows[25], QStringList({"0532 123 45 99", "Veli"}));
    QCOMPARE(result.rows[26], QStringList({"5321234598", "Can"}));
}

void TestDelimitedReader::textAtTheLastScannedRowMakesTheColumnText() {
    QByteArray bytes("gsm\n");
    for (int i = 0; i < 24; ++i)
        bytes += "05321234567\n";
    bytes += "yok\n";
    bytes += "05321234567\n";

    TestEnvironment env;
    const ReadResult result = readDataFile(env, bytes, ";", "E");
    QVERIFY2(result.opened, qPrintable(result.error));
    QCOMPARE(result.columns, QStringList({"gsm:text"}));
    QCOMPARE(result.rows.size(), 26);
    QCOMPARE(result.rows[0], QStringList({"05321234567"}));
    QCOMPARE(result.rows[24], QStringList({"yok"}));
}

void TestDelimitedReader::encodings_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");

    QTest::newRow("Windows-1254") << QByteArray("m\xFC\xFEteri;tutar\nAy\xFE"
                                                "e \xC7\xFD"
                                                "nar;5\n")
                                  << TextEncoding::Windows1254;
    QTest::newRow("UTF-8") << QByteArray("müşteri;tutar\nAyşe Çınar;5\n") << TextEncoding::Utf8;
    QTest::newRow("UTF-8 with mark")
        << QByteArray("\xEF\xBB\xBFmüşteri;tutar\nAyşe Çınar;5\n") << TextEncoding::Utf8WithBom;
}

void TestDelimitedReader::encodings() {
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    TestEnvironment env;
    const ReadResult result = readDataFile(env, bytes, ";", "E");
    QVERIFY2(result.opened, qPrintable(result.error));
    QCOMPARE(result.encoding, encoding);
    // The mark is not part of the first column's name.
    QCOMPARE(result.columns, QStringList({QStringLiteral("müşteri:text"), "tutar:integer"}));
    QCOMPARE(result.rows, Rows({{QStringLiteral("Ayşe Çınar"), "5"}}));
}

void TestDelimitedReader::unreadableFiles_data() {
    QTest::addColumn<QString>("kind");

    QTest::newRow("missing") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("binary") << "binary";
    QTest::newRow("record too long") << "long";
    QTest::newRow("record too long, line ended") << "long line";
    QTest::newRow("quote never closed, file too long") << "unclosed";
    QTest::newRow("a line of separators") << "separators";
}

void TestDelimitedReader::unreadableFiles() {
    QFETCH(QString, kind);
    TestEnvironment env;
    const QString name = "data.txt";
    if (kind == "folder") {
        QVERIFY(QDir().mkpath(env.filePath("in/data.txt")));
    } else if (kind == "binary") {
        QByteArray bytes("PK\x03\x04\x14\x00\x06\x00", 8);
        bytes += QByteArray(4096, '\x01');
        env.writeFile("in/data.txt", bytes);
    } else if (kind.startsWith("long")) {
        env.writeFile("in/data.txt", "ad;gsm\n" +
                                         QByteArray(RecordStream::MaxRecordLength + 1, 'x') +
                                         (kind == "long line" ? "\n" : ""));
    } else if (kind == "separators") {
        env.writeFile("in/data.txt", "ad;gsm\n" + QByteArray(500000, ';') + "\n");
    } else if (kind == "unclosed") {
        env.writeFile("in/data.txt", "ad;gsm\n\"Ali;1\n" + QByteArray("Veli;2\n").repeated(200000));
    } else {
        QVERIFY(QDir().mkpath(env.filePath("in")));
    }
    WriteSchemaIni(env.filePath("in"), ";", "E");

    DelimitedReader reader;
    QVERIFY(!reader.open(env.filePath("in"), name));
    QVERIFY(reader.hasError());
    QVERIFY(reader.errorString().contains(name));
    QVERIFY(!reader.next());
}

void TestDelimitedReader::longFilesComeWholeAndInOrder_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("broken");
    // Past the rows that decide the types, records come in batches of 512.
    for (const int rows : {30, 537, 2048, 5000}) {
        QTest::addRow("%d rows", rows) << rows << false;
        QTest::addRow("%d rows, then a broken record", rows) << rows << true;
    }
}

void TestDelimitedReader::longFilesComeWholeAndInOrder() {
    // A sender counts on every row arriving once, in file order, and on
    // hasError() to tell a broken file from its end.
    QFETCH(int, rows);
    QFETCH(bool, broken);
    QByteArray bytes("ad;gsm\n");
    for (int i = 0; i < rows; ++i)
        bytes += "Ali " + QByteArray::number(i) + ";53212" + QByteArray::number(10000 + i) + "\n";
    if (broken)
        bytes += QByteArray("Veli;\x00\x01", 7);
    TestEnvironment env;
    const ReadResult result = readDataFile(env, bytes, ";", "E");
    QVERIFY(result.opened);
    QCOMPARE(result.rows.size(), rows);
    for (int i = 0; i < rows; ++i) {
        QCOMPARE(result.rows[i].value(0), QStringLiteral("Ali %1").arg(i));
        QCOMPARE(result.rows[i].value(1), QStringLiteral("53212%1").arg(10000 + i));
    }
    if (broken)
        QVERIFY(result.error.contains("data.txt"));
    else
        QVERIFY(result.error.isEmpty());
}

void TestDelimitedReader::readerLeftHalfWayCanBeReopenedAndDropped() {
    // The preview reads a few rows of a long file and moves on.
    QByteArray bytes("n\n");
    for (int i = 1; i <= 20000; ++i)
        bytes += QByteArray::number(i) + "\n";
    TestEnvironment env;
    env.writeFile("in/data.txt", bytes);
    env.writeFile("in/other.txt", "n\n7\n8\n");
    WriteSchemaIni(env.filePath("in"), ";", "E");

    DelimitedReader reader;
    QVERIFY(reader.open(env.filePath("in"), "data.txt"));
    for (int i = 0; i < 1000; ++i)
        QVERIFY(reader.next());
    const TextRecord kept = reader.record();
    QCOMPARE(kept.text(0), QStringLiteral("1000"));

    QVERIFY(reader.open(env.filePath("in"), "other.txt"));
    QVERIFY(reader.next());
    QCOMPARE(reader.record().text(0), QStringLiteral("7"));
    QCOMPARE(kept.text(0), QStringLiteral("1000"));

    QVERIFY(reader.open(env.filePath("in"), "data.txt"));
    for (int i = 0; i < 700; ++i)
        QVERIFY(reader.next());
    QCOMPARE(reader.record().text(0), QStringLiteral("700"));
    // Dropped here, half-way through the file.
}

void TestDelimitedReader::namedPipeDoesNotBlock() {
    TestEnvironment env;
    QVERIFY(QDir().mkpath(env.filePath("in")));
    const QByteArray pipe = QFile::encodeName(env.filePath("in/data.txt"));
    QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
    WriteSchemaIni(env.filePath("in"), ";", "E");
    DelimitedReader reader;
    QVERIFY(!reader.open(env.filePath("in"), "data.txt"));
    QVERIFY(!reader.errorString().isEmpty());
}

void TestDelimitedReader::emptyFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("headerFlag");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("no bytes") << QByteArray() << "E" << QStringList();
    QTest::newRow("header line only")
        << QByteArray("ad;gsm\r\n") << "E" << QStringList{"ad:text", "gsm:text"};
    QTest::newRow("empty lines only") << QByteArray("\r\n\r\n") << "H" << QStringList();
}

void TestDelimitedReader::emptyFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, headerFlag);
    QFETCH(QStringList, columns);
    TestEnvironment env;
    const ReadResult result = readDataFile(env, bytes, ";", headerFlag);
    QVERIFY2(result.opened, qPrintable(result.error));
    QCOMPARE(result.columns, columns);
    QCOMPARE(result.rows, Rows());
    QCOMPARE(result.error, QString());

    // The runner asks before it reads: a file with no records stays where it is.
    DelimitedReader reader;
    QVERIFY(reader.open(env.filePath("in"), "data.txt"));
    QVERIFY(reader.isEmpty());
}

void TestDelimitedReader::readersAreIndependent() {
    // The runner and a window may read the same folder in turn; neither may
    // move or close the other's records.
    QByteArray bytes("n\n");
    for (int i = 1; i <= 40; ++i)
        bytes += QByteArray::number(i) + "\n";
    TestEnvironment env;
    env.writeFile("in/data.txt", bytes);
    WriteSchemaIni(env.filePath("in"), ";", "E");

    DelimitedReader first;
    DelimitedReader second;
    QVERIFY(first.open(env.filePath("in"), "data.txt"));
    QVERIFY(first.next());
    QVERIFY(second.open(env.filePath("in"), "data.txt"));
    for (int i = 0; i < 29; ++i)
        QVERIFY(second.next());
    QVERIFY(first.next());
    QCOMPARE(first.record().text(0), QStringLiteral("2"));
    QCOMPARE(second.record().text(0), QStringLiteral("29"));

    // Reopening one on another file leaves the other where it was.
    env.writeFile("in/other.txt", "n\n99\n");
    WriteSchemaIni(env.filePath("in"), ";", "E");
    QVERIFY(second.open(env.filePath("in"), "other.txt"));
    QVERIFY(first.next());
    QCOMPARE(first.record().text(0), QStringLiteral("3"));
    second.close();
    int rest = 0;
    while (first.next())
        ++rest;
    QCOMPARE(rest, 37);
    QVERIFY(!first.hasError());
}

void TestDelimitedReader::keptRecordsOutliveTheReader() {
    TestEnvironment env;
    env.writeFile("in/data.txt", "ad;gsm\nAli;1\nVeli;2\n");
    WriteSchemaIni(env.filePath("in"), ";", "E");
    std::vector<TextRecord> kept;
    {
        DelimitedReader reader;
        QVERIFY(reader.open(env.filePath("in"), "data.txt"));
        while (reader.next())
            kept.push_back(reader.record());
    }
    QCOMPARE(kept.size(), size_t(2));
    QCOMPARE(kept[0].text(0), QStringLiteral("Ali"));
    QCOMPARE(kept[1].value(QStringLiteral("GSM")).toLongLong(), 2);
    QCOMPARE(kept[1].columns().at(1).name, QStringLiteral("gsm"));
}

void TestDelimitedReader::lookupByName() {
    TestEnvironment env;
    env.writeFile("in/data.txt", "Ad\xFD;Soyad;gsm\nAli;;5321234567\n");
    WriteSchemaIni(env.filePath("in"), ";", "E");
    DelimitedReader reader;
    QVERIFY(reader.open(env.filePath("in"), "data.txt"));
    QVERIFY(reader.next());
    const TextRecord& row = reader.record();
    QCOMPARE(row.value(QStringLiteral("ADI")).toString(), QStringLiteral("Ali"));
    QCOMPARE(row.value(QStringLiteral("adi")).toString(), QStringLiteral("Ali"));
    QCOMPARE(row.value(QStringLiteral("ADİ")).toString(), QStringLiteral("Ali"));
    QVERIFY(row.value(QStringLiteral("soyad")).isNull());
    QVERIFY(row.value(QStringLiteral("yok")).isNull());
    QCOMPARE(reader.columnIndex(QStringLiteral("GSM")), 2);
    QVERIFY(ColumnNamesMatch(QStringLiteral("𐐀x"), QStringLiteral("𐐨X")));
    QCOMPARE(reader.columnIndex(QStringLiteral("gsm ")), -1);
}

void TestDelimitedReader::rejectLine() {
    TestEnvironment env;
    env.writeFile("in/data.txt", "ad\tgsm\ttutar\nAli\t\t12,5\n");
    WriteSchemaIni(env.filePath("in"), "T", "E");
    DelimitedReader reader;
    QVERIFY(reader.open(env.filePath("in"), "data.txt"));
    QVERIFY(reader.next());
    QCOMPARE(JoinedValues(reader.record(), u";"), QStringLiteral("Ali;;12,5"));
    QCOMPARE(JoinedNames(reader.columns(), u";"), QStringLiteral("ad;gsm;tutar"));
}

void TestDelimitedReader::sampleLoad() {
    TestEnvironment env;
    env.writeFile("in/data.txt", "ad;gsm;tutar\nAli;05321234567;1,5\nVeli;;2\nCan;5;3\n");
    WriteSchemaIni(env.filePath("in"), ";", "E");
    TextSample sample = LoadTextSample(env.filePath("in"), "data.txt", 2);
    QVERIFY2(sample.ok, qPrintable(sample.error));
    Recordset& rows = sample.rows;
    QCOMPARE(rows.fieldNames(), QStringList({"ad", "gsm", "tutar"}));
    QCOMPARE(rows.field(1).type, FieldType::Integer);
    QCOMPARE(rows.field(2).type, FieldType::Double);
    QCOMPARE(rows.recordCount(), 2);
    QCOMPARE(rows.text(1), QStringLiteral("5321234567"));
    QCOMPARE(rows.text(2), QStringLiteral("1,5"));
    rows.moveNext();
    QVERIFY(rows.isNull(1));
    QVERIFY(rows.isReadOnly());

    QCOMPARE(LoadTextSample(env.filePath("in"), "data.txt", -1).rows.recordCount(), 3);
}

void TestDelimitedReader::sampleLoadFailure() {
    TestEnvironment env;
    QVERIFY(QDir().mkpath(env.filePath("in")));
    const TextSample sample = LoadTextSample(env.filePath("in"), "yok.txt", 10);
    QVERIFY(!sample.ok);
    QVERIFY(!sample.error.isEmpty());
    QCOMPARE(sample.rows.fieldCount(), 0);
}

QTEST_GUILESS_MAIN(TestDelimitedReader)
#include "tst_delimitedreader.moc"
