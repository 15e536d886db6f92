#include <sys/stat.h>

#include <QtTest>

#include "core/RegionalFormat.h"
#include "support/TestEnvironment.h"
#include "textsource/CodePage.h"
#include "textsource/DelimitedReader.h"
#include "textsource/RecordStream.h"
#include "textsource/SchemaIni.h"
#include "textsource/TextValues.h"

using namespace Qt::StringLiterals;

namespace {

// A data file written as in/data.txt of the test folder, described with the
// program's own Schema.ini and read to the end as a sender reads it: a line
// naming the encoding when it is UTF-8, the columns as name:type, then one
// line per record, values between tabs, Null as \N; or why it failed (the
// file named without its folder).
QString ReadBack(TestEnvironment& env, const QByteArray& bytes, const QString& separator = u";"_s,
                 const QString& headerFlag = u"E"_s) {
    env.writeFile(u"in/data.txt"_s, bytes);
    WriteSchemaIni(env.filePath(u"in"_s), separator, headerFlag);
    DelimitedReader reader;
    const auto error = [&] {
        return u"error: "_s + reader.errorString().replace(env.filePath(u"in/"_s), QString());
    };
    if (!reader.open(env.filePath(u"in"_s), u"data.txt"_s))
        return error();
    QStringList lines;
    if (reader.encoding() != TextEncoding::Windows1254)
        lines << (reader.encoding() == TextEncoding::Utf8 ? u"utf-8"_s : u"utf-8, marked"_s);
    QStringList columns, names;
    for (const TextColumn& column : reader.columns()) {
        columns << column.name + u':' + TextColumnTypeName(column.type);
        names << column.name;
    }
    lines << columns.join(u'\t');
    // A reject file holds the names as read and the values as written, a Null as nothing.
    if (JoinedNames(reader.columns(), u"\t") != names.join(u'\t'))
        lines << u"reject header differs"_s;
    // The runner asks first: a file with no records stays where it is.
    const bool empty = reader.isEmpty();
    int records = 0;
    for (; reader.next(); ++records) {
        QStringList values, written;
        for (int i = 0; i < reader.record().size(); ++i) {
            values << (reader.record().isNull(i) ? u"\\N"_s : reader.record().text(i));
            reader.record().appendWrittenText(i, written.emplace_back());
        }
        lines << values.join(u'\t');
        if (JoinedValues(reader.record(), u"\t") != written.join(u'\t'))
            lines << u"reject line differs"_s;
    }
    if (reader.hasError())
        lines << error();
    if (empty != (records == 0))
        lines << u"isEmpty() disagrees"_s;
    return lines.join(u'\n');
}

QByteArray Section(const QByteArray& name, const QByteArray& header, const QByteArray& format) {
    return "[" + name + "]\r\nColNameHeader = " + header + "\r\n" + format +
           "\r\nMaxScanRows = 25\r\nCharacterSet = ANSI\r\n";
}

} // namespace

class TestDelimitedReader : public QObject {
    Q_OBJECT

private slots:
    void readsAsTheSenderSees_data();
    void readsAsTheSenderSees();
    void unreadableFiles_data();
    void unreadableFiles();
    void longFilesComeWholeAndInOrder_data();
    void longFilesComeWholeAndInOrder();
    void readersAndRecordsAreIndependent();
    void windows1254();
    void detection_data();
    void detection();
    void numbersShowAsTheProgramShowsThem();
    void describesEveryFileOfTheFolder_data();
    void describesEveryFileOfTheFolder();
    void unusualNamesLeaveEveryFileReadable();
    void failureIsShownAndCallerGoesOn();
};

void TestDelimitedReader::readsAsTheSenderSees_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("headerFlag");
    QTest::addColumn<QString>("read"); // as ReadBack tells it

    // With a header line, and without (H).
    const auto row = [](const char* name, const QByteArray& bytes, const QString& read,
                        const QString& separator = u";"_s, const QString& headerFlag = u"E"_s) {
        QTest::newRow(name) << bytes << separator << headerFlag << read;
    };
    const auto plain = [&](const char* name, const QByteArray& bytes, const QString& read,
                           const QString& separator = u";"_s) {
        row(name, bytes, read, separator, u"H"_s);
    };
    // Columns
    row("header names", "ad;gsm;tutar\nAli;5321234567;10\n",
        "ad:text\tgsm:integer\ttutar:integer\nAli\t5321234567\t10");
    plain("no header: F1 onwards", "Ali;5321234567\n", "F1:text\tF2:integer\nAli\t5321234567");
    row("names trimmed, empty and repeated ones get their position", " ad ;;AD;ad;;F2\na\n",
        "ad:text\tF2:text\tAD_3:text\tad_4:text\tF5:text\tF2_6:text\na\t\\N\t\\N\t\\N\t\\N\t\\N");
    row("dotless and dotted i are one letter", "ad\xFD;ADI\na;b\n",
        u"adı:text\tADI_2:text\na\tb"_s);
    row("rows wider than the header", "ad\nAli;5321234567\n",
        "ad:text\tF2:integer\nAli\t5321234567");
    row("quoted header", "\"ad;soyad\";gsm\nAli;1\n", "ad;soyad:text\tgsm:integer\nAli\t1");
    // Records and fields
    plain("CR LF, LF and CR line ends, empty lines no records", "\r\na;b\r\n\r\nc;d\ne;f\rg;h",
          "F1:text\tF2:text\na\tb\nc\td\ne\tf\ng\th");
    plain("empty and missing fields are Null", "a;;c\n;;\nd\n",
          "F1:text\tF2:text\tF3:text\na\t\\N\tc\n\\N\t\\N\t\\N\nd\t\\N\t\\N");
    plain("quoted separator, doubled quote, empty", "\"Ali; Veli\";\"5 \"\"A\"\"\";\"\"\n",
          u"F1:text\tF2:text\tF3:text\nAli; Veli\t5 \"A\"\t\\N"_s);
    plain("quote inside a field, text after the closing quote", "5\" ekran;\"ab\"cd\n",
          "F1:text\tF2:text\n5\" ekran\tabcd");
    // A quote left open must not carry the next customers' rows into this
    // one's message: the file is refused, naming the line (header and empty
    // lines counted).
    row("quote left open", "gsm;ad;tutar\n5321000001;\"Ayse;x\n5321000002;Veli;20\n",
        "error: data.txt: 2. satırda kapanmayan tırnak");
    plain("quote left open after empty lines, CR LF", "\r\na;b\r\n\r\n\"c;d\r\ne;f\r\n",
          "error: data.txt: 4. satırda kapanmayan tırnak");
    plain("quote left open on a CR-ended line", "a;b\r\"c\rd\r",
          "error: data.txt: 2. satırda kapanmayan tırnak");
    plain("quote left open at the end of the file", "a;b\nc;\"d",
          "error: data.txt: 2. satırda kapanmayan tırnak");
    plain("doubled quote at the end of the line closes nothing", "a;\"b\"\"\nc;d\n",
          "error: data.txt: 1. satırda kapanmayan tırnak");
    plain("quoted line break", "a;\"Sat\xFDr 1\r\nSat\xFDr 2\"\n",
          "error: data.txt: 1. satırda kapanmayan tırnak");
    row("quote left open in the header", "\"gsm;ad\n5321000001;Ali\n",
        "error: data.txt: 1. satırda kapanmayan tırnak");
    row("quote left open past the scanned rows",
        "gsm;ad\n" + QByteArray("5321234567;Ali\n").repeated(30) + "5321234568;\"Veli\n",
        "gsm:integer\tad:text\n" + u"5321234567\tAli\n"_s.repeated(30) +
            "error: data.txt: 32. satırda kapanmayan tırnak");
    plain("tab", "a\tb;c\n", "F1:text\tF2:text\na\tb;c", "T");
    plain("several characters", "a||b|c||\n", "F1:text\tF2:text\tF3:text\na\tb|c\t\\N", "||");
    plain("separator with a quote turns quoting off", "\"a\"\";\"b\n", "F1:text\tF2:text\n\"a\"\tb",
          "\";\"");
    plain("empty separator: the line is one field", "a;b\n", "F1:text\na;b", "");
    plain("comma, quoted decimal", "Ali,\"1,5\"\n", "F1:text\tF2:double\nAli\t1,5", ",");
    plain("blank", "a b\n", "F1:text\tF2:text\na\tb", " ");
    // Types
    row("number column loses the leading zero, text column keeps it",
        "gsm;kod\n05321234567;05\n05321234568;A5\n",
        "gsm:integer\tkod:text\n5321234567\t05\n5321234568\tA5");
    row("twelve digits stay whole, sign and blanks go", "gsm;n\n+905321234567; -42 \n",
        "gsm:integer\tn:integer\n905321234567\t-42");
    row("decimal comma", "tutar\n12,5\n3\n-0,25\n", "tutar:double\n12,5\n3\n-0,25");
    row("only plain numbers are numbers", "a;b;c;d\n12.5;1.250,50;0532 123 45 67;1e5\n",
        "a:text\tb:text\tc:text\td:text\n12.5\t1.250,50\t0532 123 45 67\t1e5");
    row("18 digits and 15 with decimals, no more",
        "a;b;c;d\n999999999999999999;1234567890123456789;1234567890,12345;1234567890,123456\n",
        "a:integer\tb:text\tc:double\td:text\n999999999999999999\t1234567890123456789\t"
        "1234567890,12345\t1234567890,123456");
    row("quoted number, column of Nulls", "n;b\n\"7\";\n", "n:integer\tb:text\n7\t\\N");
    // 25 rows decide the type; a late number typed with blanks must reach
    // the sender and the reject file, not vanish.
    row("late value that does not fit comes back as text",
        "gsm;ad\n" + QByteArray("05321234567;Ali\n").repeated(25) + "0532 123 45 99;Veli\n",
        "gsm:integer\tad:text\n" + u"5321234567\tAli\n"_s.repeated(25) + "0532 123 45 99\tVeli");
    row("text at the last scanned row makes the column text",
        "gsm\n" + QByteArray("05321234567\n").repeated(24) + "yok\n05321234567\n",
        "gsm:text\n" + u"05321234567\n"_s.repeated(24) + "yok\n05321234567");
    // Encodings
    row("Windows-1254", "m\xFC\xFEteri;tutar\nAy\xFE\x65 \xC7\xFDnar;5\n",
        u"müşteri:text\ttutar:integer\nAyşe Çınar\t5"_s);
    row("UTF-8", "müşteri;tutar\nAyşe Çınar;5\n",
        u"utf-8\nmüşteri:text\ttutar:integer\nAyşe Çınar\t5"_s);
    row("UTF-8 with a mark, not part of the first name", "\xEF\xBB\xBFmüşteri;tutar\nAyşe;5\n",
        u"utf-8, marked\nmüşteri:text\ttutar:integer\nAyşe\t5"_s);
    // No records
    row("no bytes", "", "");
    row("header line only", "ad;gsm\r\n", "ad:text\tgsm:text");
    plain("empty lines only", "\r\n\r\n", "");
}

void TestDelimitedReader::readsAsTheSenderSees() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, separator);
    QFETCH(QString, headerFlag);
    QFETCH(QString, read);
    TestEnvironment env;
    QCOMPARE(ReadBack(env, bytes, separator, headerFlag), read);
}

void TestDelimitedReader::unreadableFiles_data() {
    // How in/data.txt is made: a file, a folder, a named pipe (which must
    // not block), nothing, or a file that came after the Schema.ini.
    QTest::addColumn<QString>("made");
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray tooLong = "ad;gsm\n" + QByteArray(RecordStream::MaxRecordLength + 1, 'x');
    QTest::newRow("missing") << "nothing" << QByteArray();
    QTest::newRow("folder") << "folder" << QByteArray();
    QTest::newRow("named pipe") << "pipe" << QByteArray();
    QTest::newRow("no Schema.ini section") << "late" << QByteArray("ad\nAli\n");
    QTest::newRow("binary") << "file"
                            << QByteArray("PK\x03\x04\x14\x00\x06\x00", 8) +
                                   QByteArray(4096, '\x01');
    QTest::newRow("record too long") << "file" << tooLong;
    QTest::newRow("record too long, line ended") << "file" << tooLong + "\n";
    QTest::newRow("a line of separators") << "file"
                                          << "ad;gsm\n" + QByteArray(500000, ';') + "\n";
}

void TestDelimitedReader::unreadableFiles() {
    QFETCH(QString, made);
    QFETCH(QByteArray, bytes);
    TestEnvironment env;
    const QString folder = env.filePath(u"in"_s), path = env.filePath(u"in/data.txt"_s);
    QVERIFY(QDir().mkpath(made == u"folder" ? path : folder));
    if (made == u"pipe")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (made == u"late")
        WriteSchemaIni(folder, u";"_s, u"E"_s);
    if (made == u"file" || made == u"late")
        env.writeFile(u"in/data.txt"_s, bytes);
    if (made != u"late")
        WriteSchemaIni(folder, u";"_s, u"E"_s);

    DelimitedReader reader;
    QVERIFY(!reader.open(folder, u"data.txt"_s));
    QVERIFY2(reader.errorString().contains(u"data.txt"), qPrintable(reader.errorString()));
    QVERIFY(!reader.next());
}

void TestDelimitedReader::longFilesComeWholeAndInOrder_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("broken");
    // Past the rows that decide the types, records come in batches of 512.
    for (const int rows : {30, 537, 5000}) {
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
    QString read = u"ad:text\tgsm:integer"_s;
    for (int i = 0; i < rows; ++i) {
        bytes += "Ali " + QByteArray::number(i) + ";53212" + QByteArray::number(10000 + i) + "\n";
        read += u"\nAli %1\t53212%2"_s.arg(i).arg(10000 + i);
    }
    if (broken)
        bytes += QByteArray("Veli;\x00\x01", 7);
    TestEnvironment env;
    const QStringList parts = ReadBack(env, bytes).split(u"\nerror: "_s);
    QCOMPARE(parts.first(), read);
    QCOMPARE(parts.size(), broken ? 2 : 1);
}

void TestDelimitedReader::readersAndRecordsAreIndependent() {
    // The runner and a window may read the same folder in turn; neither may
    // move or close the other's records. The preview reads a few rows of a
    // long file, keeps some and moves on.
    TestEnvironment env;
    QByteArray bytes("n\n");
    for (int i = 1; i <= 20000; ++i)
        bytes += QByteArray::number(i) + "\n";
    env.writeFile(u"in/data.txt"_s, bytes);
    env.writeFile(u"in/other.txt"_s, "n\n99\n");
    const QString folder = env.filePath(u"in"_s);
    WriteSchemaIni(folder, u";"_s, u"E"_s);
    auto first = std::make_unique<DelimitedReader>();
    DelimitedReader second;
    QVERIFY(first->open(folder, u"data.txt"_s) && first->next());
    QVERIFY(second.open(folder, u"data.txt"_s));
    for (int i = 0; i < 1000; ++i)
        QVERIFY(second.next());
    const TextRecord kept = second.record();
    QVERIFY(first->next());
    QCOMPARE(first->record().text(0), u"2"_s);

    QVERIFY(second.open(folder, u"other.txt"_s) && second.next());
    QCOMPARE(second.record().text(0), u"99"_s);
    QVERIFY(first->next());
    QCOMPARE(first->record().text(0), u"3"_s);
    second.close();
    for (int i = 4; i <= 700; ++i)
        QVERIFY(first->next());
    QCOMPARE(first->record().text(0), u"700"_s);
    first.reset(); // dropped half-way through the file
    QCOMPARE(kept.text(0), u"1000"_s);
}

void TestDelimitedReader::windows1254() {
    QCOMPARE(DecodeWindows1254("\xD0\xDC\xDE\xDD\xD6\xC7\xF0\xFC\xFE\xFD\xF6\xE7\x80"),
             u"ĞÜŞİÖÇğüşıöç€"_s);
    // Reject files are written back from decoded rows: every byte of a data
    // file comes back as it was, the undefined ones too.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    QCOMPARE(DecodeWindows1254(all).size(), qsizetype(256));
    QCOMPARE(EncodeText(DecodeWindows1254(all), TextEncoding::Windows1254), all);
    QCOMPARE(EncodeText(u"a😀b名"_s, TextEncoding::Windows1254), "a?b?");
    // Plain letters are copied eight at a time; the others still each become
    // their own byte, or one '?'.
    QCOMPARE(EncodeText(u"Sayın Ayşe Yılmaz, 150 TL😀 borcunuz名"_s, TextEncoding::Windows1254),
             "Say\xFDn Ay\xFE"
             "e Y\xFDlmaz, 150 TL? borcunuz?");
    // UTF-8 files are written back with their mark, when they had one.
    QCOMPARE(ByteOrderMark(TextEncoding::Utf8WithBom) + EncodeText(u"ş", TextEncoding::Utf8WithBom),
             "\xEF\xBB\xBF\xC5\x9F");
    QCOMPARE(EncodeText(u"Ayşe Yılmaz 😀"_s, TextEncoding::Utf8),
             "Ay\xC5\x9F"
             "e Y\xC4\xB1lmaz \xF0\x9F\x98\x80");
    QCOMPARE(ByteOrderMark(TextEncoding::Utf8) + ByteOrderMark(TextEncoding::Windows1254), "");
}

void TestDelimitedReader::detection_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("expected");

    const auto W = TextEncoding::Windows1254, U = TextEncoding::Utf8, M = TextEncoding::Utf8WithBom;
    QTest::newRow("empty") << QByteArray() << W;
    QTest::newRow("plain ASCII") << QByteArray("ad;gsm\r\nAli;5321234567\r\n") << W;
    QTest::newRow("Windows-1254 letters") << QByteArray("Ay\xFE\x65;Y\xFDlmaz") << W;
    QTest::newRow("UTF-8 letters") << QByteArray("Ay\xC5\x9F\x65 \xE2\x82\xAC") << U;
    QTest::newRow("four-byte character") << QByteArray("\xF0\x9F\x98\x80") << U;
    QTest::newRow("mark") << QByteArray("\xEF\xBB\xBF;ad") << M;
    QTest::newRow("mark before invalid bytes") << QByteArray("\xEF\xBB\xBF\xFE") << M;
    QTest::newRow("invalid after valid UTF-8")
        << QByteArray("\xC5\x9F").repeated(5000) + QByteArray("\xFE") << W;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << W;
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << W;
    QTest::newRow("beyond the last code point") << QByteArray("\xF4\x90\x80\x80") << W;
    QTest::newRow("cut off at the end") << QByteArray("ab\xE2\x82") << W;
    // Two Windows-1254 letters that happen to form a UTF-8 sequence: such a
    // file is read as UTF-8, the price of accepting UTF-8 without a mark.
    QTest::newRow("1254 pair that is UTF-8") << QByteArray("\xC3\xBC") << U;
}

void TestDelimitedReader::detection() {
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, expected);
    QCOMPARE(DetectEncoding(bytes), expected);
    // Files are read in pieces: a character split between two reads must
    // not change the answer.
    for (qsizetype piece = 1; piece <= 3; ++piece) {
        EncodingDetector detector;
        for (qsizetype i = 0; i < bytes.size(); i += piece)
            detector.feed(QByteArrayView(bytes).sliced(i, std::min(piece, bytes.size() - i)));
        QCOMPARE(detector.result(), expected);
    }
}

void TestDelimitedReader::numbersShowAsTheProgramShowsThem() {
    // Templates and reject lines must show a number exactly as the program's
    // grids and texts do (RegionalNumberText), whatever the file held; and a
    // number's own text may stand for it only when it is exactly that. The
    // quick paths are compared with the program's over many values, the same
    // on every run.
    quint64 state = 20240601;
    const auto below = [&](int bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state >> 33) % bound);
    };
    const char* const pieces[] = {"0", "00", "1", "3", "5", "7", "9", "0000", "12", "48", "90"};
    int standing = 0;
    for (int n = 0; n < 300000; ++n) {
        QString text = QLatin1String(below(6) ? "" : " ");
        text += QLatin1String(below(5) == 0 ? "-" : below(4) == 0 ? "+" : "");
        for (int k = 1 + below(4); k > 0; --k)
            text += QLatin1String(pieces[below(11)]);
        for (int k = below(2) * (1 + below(4)); k > 0; --k)
            text += (text.contains(u',') ? QString() : QStringLiteral(",")) + pieces[below(11)];
        text += QLatin1String(below(6) ? "" : " ");
        bool asWritten = false;
        if (const std::optional<double> value = ParseDecimalNumber(text, &asWritten)) {
            QCOMPARE(NumberText(*value), RegionalNumberText(*value));
            QCOMPARE(asWritten, text == RegionalNumberText(*value));
            standing += asWritten;
        }
        if (const std::optional<qint64> value = ParseWholeNumber(text, &asWritten))
            QCOMPARE(asWritten, text == QString::number(*value));
    }
    QVERIFY(standing > 10000); // the rule is not simply "never"

    for (const double value : {0.0, -0.0, 1e-4, 9.9999e-5, 0.1 + 0.2, 999999999999999.9})
        QCOMPARE(NumberText(value), RegionalNumberText(value));
}

void TestDelimitedReader::describesEveryFileOfTheFolder_data() {
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("headerFlag");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("format");

    const auto row = [](const char* name, const char* separator, const char* flag,
                        const QByteArray& header, const QByteArray& format) {
        QTest::newRow(name) << separator << flag << header << "Format=" + format;
    };
    row("tab with header", "T", "E", "True", "TabDelimited");
    row("semicolon without header", ";", "H", "False", "Delimited(;)");
    row("lower-case t and e are no tab, no header", "t", "e", "False", "Delimited(t)");
    row("several characters written whole", "||", "E", "True", "Delimited(||)");
}

void TestDelimitedReader::describesEveryFileOfTheFolder() {
    QFETCH(QString, separator);
    QFETCH(QString, headerFlag);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, format);
    TestEnvironment env;
    for (const char* name : {"b.csv", "notes.doc", "müşteri.txt", "a.txt", "sub/inner.txt"})
        env.writeFile(u"in/"_s + QString::fromUtf8(name), "x");
    env.writeFile(u"in/Schema.ini"_s, "[old.txt]\r\nColNameHeader = True\r\n");

    WriteSchemaIni(env.filePath(u"in"_s), separator, headerFlag);

    // The old file replaced; the files of the folder itself in name order,
    // with Turkish names in Windows-1254 as the original wrote them.
    QFile file(env.filePath(u"in/Schema.ini"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), Section("a.txt", header, format) + Section("b.csv", header, format) +
                                 Section("m\xFC\xFEteri.txt", header, format) +
                                 Section("notes.doc", header, format));
    QVERIFY(env.ui().boxes.empty());
}

void TestDelimitedReader::unusualNamesLeaveEveryFileReadable() {
    // A name Windows-1254 cannot hold makes the file UTF-8 with a mark (not
    // "?"); a name with a line break gets no section, which it would break.
    TestEnvironment env;
    const QStringList names{u"名单.txt"_s, u"a\nFormat=Delimited(,).txt"_s, u"şube.txt"_s};
    for (const QString& name : names)
        env.writeFile(u"in/"_s + name, "ad;gsm\r\nAli;5321234567\r\n");
    WriteSchemaIni(env.filePath(u"in"_s), u";"_s, u"E"_s);
    for (const QString& name : {names[0], names[2]}) {
        DelimitedReader reader;
        QVERIFY2(reader.open(env.filePath(u"in"_s), name), qPrintable(reader.errorString()));
        QCOMPARE(reader.columnNames(), QStringList({"ad", "gsm"}));
    }
}

void TestDelimitedReader::failureIsShownAndCallerGoesOn() {
    TestEnvironment env;
    QVERIFY(QDir().mkpath(env.filePath(u"in/Schema.ini"_s))); // cannot be written
    WriteSchemaIni(env.filePath(u"in"_s), u";"_s, u"E"_s);

    QCOMPARE(env.ui().boxes.size(), size_t(1));
    const ScriptedUi::Box& box = env.ui().boxes.front();
    QCOMPARE(box.kind, UiServices::BoxKind::Error);
    QCOMPARE(box.title, u"Şema bilgisi"_s);
    // The system's description follows.
    const QString said = u"Şema bilgisi oluşturulamadı.\r\nSistemin ürettiği hata mesajı : "_s;
    QVERIFY2(box.text.startsWith(said) && box.text.size() > said.size(), qPrintable(box.text));
    // The runner goes on with its rule's own layout, in which T is a tab.
    QCOMPARE(RuleTextFormat(u"T"_s, u"E"_s).separator, u"\t"_s);
}

QTEST_GUILESS_MAIN(TestDelimitedReader)
#include "tst_delimitedreader.moc"
