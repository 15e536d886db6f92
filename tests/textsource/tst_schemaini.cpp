#include <QDir>
#include <QFile>
#include <QtTest>

#include "support/TestEnvironment.h"
#include "textsource/DelimitedReader.h"
#include "textsource/SchemaIni.h"

namespace {

QByteArray section(const QByteArray& name, const QByteArray& header, const QByteArray& format) {
    return "[" + name + "]\r\nColNameHeader = " + header + "\r\n" + format +
           "\r\nMaxScanRows = 25\r\nCharacterSet = ANSI\r\n";
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

const QString kSchemaBoxText = QStringLiteral("Şema bilgisi oluşturulamadı.\r\n"
                                              "Sistemin ürettiği hata mesajı : ");

} // namespace

class TestSchemaIni : public QObject {
    Q_OBJECT

private slots:
    void describesEveryFileOfTheFolder_data();
    void describesEveryFileOfTheFolder();
    void turkishFileNamesAreSingleByte();
    void namesOutsideTheCodePageStayReadable();
    void nameWithLineBreakCannotCorruptTheNextSection();
    void failureIsShownAndCallerGoesOn_data();
    void failureIsShownAndCallerGoesOn();
    void readerTakesTheWrittenSettings_data();
    void readerTakesTheWrittenSettings();
    void readerRefusesFileWithoutSection();
    void splitChosenPath_data();
    void splitChosenPath();
};

void TestSchemaIni::describesEveryFileOfTheFolder_data() {
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("headerFlag");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("format");

    QTest::newRow("tab with header")
        << "T"
        << "E" << QByteArray("True") << QByteArray("Format=TabDelimited");
    QTest::newRow("semicolon without header")
        << ";"
        << "H" << QByteArray("False") << QByteArray("Format=Delimited(;)");
    QTest::newRow("empty flag means no header")
        << ","
        << "" << QByteArray("False") << QByteArray("Format=Delimited(,)");
    QTest::newRow("lower-case e is not E")
        << ","
        << "e" << QByteArray("False") << QByteArray("Format=Delimited(,)");
    QTest::newRow("several characters written whole")
        << "||"
        << "E" << QByteArray("True") << QByteArray("Format=Delimited(||)");
    QTest::newRow("lower-case t is a separator")
        << "t"
        << "E" << QByteArray("True") << QByteArray("Format=Delimited(t)");
    QTest::newRow("empty separator")
        << ""
        << "E" << QByteArray("True") << QByteArray("Format=Delimited()");
}

void TestSchemaIni::describesEveryFileOfTheFolder() {
    QFETCH(QString, separator);
    QFETCH(QString, headerFlag);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, format);

    TestEnvironment env;
    env.writeFile("in/b.csv", "x");
    env.writeFile("in/notes.doc", "x");
    env.writeFile("in/a.txt", "x");
    env.writeFile("in/Schema.ini", "[old.txt]\r\nColNameHeader = True\r\n");
    env.writeFile("in/sub/inner.txt", "x"); // sub-folders are not described
    const QString folder = env.filePath("in");

    WriteSchemaIni(folder, separator, headerFlag);

    // The old file is replaced, the files are in name order, with no blank
    // line between sections.
    QCOMPARE(readAll(env.filePath("in/Schema.ini")), section("a.txt", header, format) +
                                                         section("b.csv", header, format) +
                                                         section("notes.doc", header, format));
    QVERIFY(env.ui().boxes.empty());
}

void TestSchemaIni::turkishFileNamesAreSingleByte() {
    TestEnvironment env;
    env.writeFile(QStringLiteral("in/müşteri.txt"), "x");
    WriteSchemaIni(env.filePath("in"), ";", "E");
    QCOMPARE(readAll(env.filePath("in/Schema.ini")),
             section("m\xFC\xFEteri.txt", "True", "Format=Delimited(;)"));
}

void TestSchemaIni::namesOutsideTheCodePageStayReadable() {
    TestEnvironment env;
    env.writeFile(QStringLiteral("in/名单.txt"), "ad;gsm\r\nAli;5321234567\r\n");
    env.writeFile(QStringLiteral("in/şube.txt"), "ad;gsm\r\nAyşe;5321234568\r\n");
    const QString folder = env.filePath("in");
    WriteSchemaIni(folder, ";", "E");

    // Both files can be read back through their sections.
    for (const QString& name : {QStringLiteral("名单.txt"), QStringLiteral("şube.txt")}) {
        DelimitedReader reader;
        QVERIFY2(reader.open(folder, name), qPrintable(reader.errorString()));
        QCOMPARE(reader.columnNames(), QStringList({"ad", "gsm"}));
        QVERIFY(reader.next());
    }
}

void TestSchemaIni::nameWithLineBreakCannotCorruptTheNextSection() {
    TestEnvironment env;
    env.writeFile(QStringLiteral("in/a\nFormat=Delimited(,).txt"), "x");
    env.writeFile("in/b.txt", "ad;gsm\nAli;5321234567\n");
    const QString folder = env.filePath("in");
    WriteSchemaIni(folder, ";", "E");

    QCOMPARE(readAll(env.filePath("in/Schema.ini")),
             section("b.txt", "True", "Format=Delimited(;)"));
}

void TestSchemaIni::failureIsShownAndCallerGoesOn_data() {
    QTest::addColumn<QString>("setup");

    QTest::newRow("missing folder") << "missing";
    QTest::newRow("Schema.ini is a folder") << "schema-folder";
}

void TestSchemaIni::failureIsShownAndCallerGoesOn() {
    QFETCH(QString, setup);

    TestEnvironment env;
    QString folder = env.filePath("in");
    if (setup == "missing")
        folder = env.filePath("nowhere");
    else
        QVERIFY(QDir().mkpath(env.filePath("in/Schema.ini")));

    WriteSchemaIni(folder, ";", "E");

    QCOMPARE(env.ui().boxes.size(), size_t(1));
    const ScriptedUi::Box& box = env.ui().boxes.front();
    QCOMPARE(box.kind, UiServices::BoxKind::Error);
    QCOMPARE(box.title, QStringLiteral("Şema bilgisi"));
    QVERIFY2(box.text.startsWith(kSchemaBoxText), qPrintable(box.text));
    // The system's description follows.
    QVERIFY(box.text.size() > kSchemaBoxText.size());
}

void TestSchemaIni::readerTakesTheWrittenSettings_data() {
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("headerFlag");
    QTest::addColumn<QString>("expectedSeparator");
    QTest::addColumn<bool>("expectedHeader");

    QTest::newRow("T is tab") << "T"
                              << "E"
                              << "\t" << true;
    QTest::newRow("semicolon") << ";"
                               << "H"
                               << ";" << false;
    QTest::newRow("closing parenthesis") << ")"
                                         << "E"
                                         << ")" << true;
    QTest::newRow("blank") << " "
                           << "E"
                           << " " << true;
    QTest::newRow("several characters") << "<;>"
                                        << "H"
                                        << "<;>" << false;
}

void TestSchemaIni::readerTakesTheWrittenSettings() {
    QFETCH(QString, separator);
    QFETCH(QString, headerFlag);
    QFETCH(QString, expectedSeparator);
    QFETCH(bool, expectedHeader);

    TestEnvironment env;
    env.writeFile("in/a.txt", "x");
    WriteSchemaIni(env.filePath("in"), separator, headerFlag);

    QString error;
    const std::optional<TextFormat> format = ReadSchemaSection(env.filePath("in"), "a.txt", &error);
    QVERIFY2(format, qPrintable(error));
    QCOMPARE(format->separator, expectedSeparator);
    QCOMPARE(format->header, expectedHeader);
    QCOMPARE(format->maxScanRows, 25);
}

void TestSchemaIni::readerRefusesFileWithoutSection() {
    TestEnvironment env;
    env.writeFile("in/a.txt", "ad\nAli\n");
    DelimitedReader reader;
    // No description file yet.
    QVERIFY(!reader.open(env.filePath("in"), "a.txt"));
    QVERIFY(!reader.errorString().isEmpty());

    // A file that arrived after the description was written.
    WriteSchemaIni(env.filePath("in"), ";", "E");
    env.writeFile("in/late.txt", "ad\nAli\n");
    QVERIFY(!reader.open(env.filePath("in"), "late.txt"));
    QVERIFY(reader.errorString().contains("late.txt"));
}

void TestSchemaIni::splitChosenPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");

    QTest::newRow("nested") << "/home/ali/Listeler/ocak.txt"
                            << "/home/ali/Listeler/"
                            << "ocak.txt";
    QTest::newRow("root") << "/liste.txt"
                          << "/"
                          << "liste.txt";
    QTest::newRow("doubled separator kept") << "/veri//ocak.csv"
                                            << "/veri//"
                                            << "ocak.csv";
    QTest::newRow("no folder") << "ocak.txt"
                               << ""
                               << "ocak.txt";
    QTest::newRow("blanks and dots") << "/home/ali/Yeni klasör/ocak.2024.txt"
                                     << "/home/ali/Yeni klasör/"
                                     << "ocak.2024.txt";
}

void TestSchemaIni::splitChosenPath() {
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    const ChosenPath split = SplitChosenPath(path);
    QCOMPARE(split.folder, folder);
    QCOMPARE(split.file, file);
}

QTEST_GUILESS_MAIN(TestSchemaIni)
#include "tst_schemaini.moc"
