#include <unistd.h>

#include <QProcess>
#include <QtTest>

#include "core/DbRoutines.h"
#include "support/TestEnvironment.h"

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(PARLEX_CLI), arguments);
    CliRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

const QByteArray kPeople = "ad;gsm;tutar\r\n"
                           "Ay\xFE"
                           "e;05321234567;12,5\r\n"
                           "\"Veli\r\nK\xFD"
                           "l\xFD\xE7\";;3\r\n"
                           "C:\\x;0212;\r\n";

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void readDescribesTheFolder();
    void preview_data();
    void preview();
    void badArguments_data();
    void badArguments();
    void unreadableFile_data();
    void unreadableFile();
    void help_data();
    void help();
    void runOnceNamesTheCause_data();
    void runOnceNamesTheCause();
};

void TestCli::read_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Windows-1254 with header")
        << kPeople << ";"
        << "E"
        << QStringLiteral("encoding: windows-1254\n"
                          "ad:text\tgsm:integer\ttutar:double\n"
                          "Ayşe\t5321234567\t12,5\n"
                          "Veli\\r\\nKılıç\t\\N\t3\n"
                          "C:\\\\x\t212\t\\N\n");
    QTest::newRow("UTF-8, tab, no header") << QByteArray("Çınar\t905321234567\n\tx\n") << "T"
                                           << "H"
                                           << QStringLiteral("encoding: utf-8\n"
                                                             "F1:text\tF2:text\n"
                                                             "Çınar\t905321234567\n"
                                                             "\\N\tx\n");
    QTest::newRow("header only") << QByteArray("ad;gsm\r\n") << ";"
                                 << "E"
                                 << QStringLiteral("encoding: windows-1254\n"
                                                   "ad:text\tgsm:text\n");
}

void TestCli::read() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, separator);
    QFETCH(QString, header);
    QFETCH(QString, expected);
    TestEnvironment env;
    const QString file = env.writeFile("in/liste.txt", bytes);
    const CliRun run = runCli({"read", file, "--separator", separator, "--header", header});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, expected);
    QCOMPARE(run.exitCode, 0);
}

void TestCli::readDescribesTheFolder() {
    TestEnvironment env;
    const QString file = env.writeFile("in/liste.txt", kPeople);
    env.writeFile("in/eski.csv", "x");
    const CliRun run = runCli({"read", file, "--separator=;", "--header=H"});
    QCOMPARE(run.exitCode, 0);
    QFile schema(env.filePath("in/Schema.ini"));
    QVERIFY(schema.open(QIODevice::ReadOnly));
    const QByteArray section = "ColNameHeader = False\r\nFormat=Delimited(;)\r\n"
                               "MaxScanRows = 25\r\nCharacterSet = ANSI\r\n";
    QCOMPARE(schema.readAll(), "[eski.csv]\r\n" + section + "[liste.txt]\r\n" + section);
}

void TestCli::preview_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("gsmColumn");
    QTest::addColumn<QString>("expected");

    QTest::newRow("three outcomes")
        << kPeople << "Sayın [##AD##], borcunuz [##tutar##] TL."
        << "GSM"
        << QStringLiteral("queued\t5321234567\tSayin Ayse, borcunuz 12,5 TL.\n"
                          "h01\t\tSayın Veli\\r\\nKılıç, borcunuz 3 TL.\n"
                          "h01\t\tSayın C:\\\\x, borcunuz  TL.\n"
                          "queued=1 h01=2 h02=0 h03=0\n");

    // The name column makes the filled message 160 or 161 characters.
    const QByteArray fits(150, 'a');
    const QByteArray over(151, 'a');
    QTest::newRow("160 and 161 characters")
        << "ad;gsm\n" + fits + ";5321234567\n" + over + ";5321234567\n" + over + ";12\n" + fits +
               ";\n"
        << "[##ad##] 123456789"
        << "gsm"
        << "queued\t5321234567\t" + QString::fromLatin1(fits) + " 123456789\n" +
               "h02\t5321234567\t" + QString::fromLatin1(over) + " 123456789\n" + "h03\t\t" +
               QString::fromLatin1(over) + " 123456789\n" + "h01\t\t" + QString::fromLatin1(fits) +
               " 123456789\n" + "queued=1 h01=1 h02=1 h03=1\n";
    QTest::newRow("no records") << QByteArray("ad;gsm\n") << "x"
                                << "gsm"
                                << "queued=0 h01=0 h02=0 h03=0\n";
}

void TestCli::preview() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, templateText);
    QFETCH(QString, gsmColumn);
    QFETCH(QString, expected);
    TestEnvironment env;
    const QString file = env.writeFile("in/liste.txt", bytes);
    const CliRun run = runCli({"preview", file, "--separator", ";", "--header", "E", "--template",
                               templateText, "--gsm-column", gsmColumn});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, expected);
    QCOMPARE(run.exitCode, 0);
}

void TestCli::badArguments_data() {
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("no command") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"send", "FILE"};
    QTest::newRow("no file") << QStringList{"read", "--separator", ";", "--header", "E"};
    QTest::newRow("two files") << QStringList{"read", "FILE",     "FILE", "--separator",
                                              ";",    "--header", "E"};
    QTest::newRow("no separator") << QStringList{"read", "FILE", "--header", "E"};
    QTest::newRow("empty separator")
        << QStringList{"read", "FILE", "--separator", "", "--header", "E"};
    QTest::newRow("header flag other than E or H")
        << QStringList{"read", "FILE", "--separator", ";", "--header", "Var"};
    QTest::newRow("option without value") << QStringList{"read", "FILE", "--separator"};
    QTest::newRow("unknown option")
        << QStringList{"read", "FILE", "--separator", ";", "--header", "E", "--quiet"};
    QTest::newRow("preview without template") << QStringList{
        "preview", "FILE", "--separator", ";", "--header", "E", "--gsm-column", "gsm"};
    QTest::newRow("preview without number column")
        << QStringList{"preview", "FILE", "--separator", ";", "--header", "E", "--template", "x"};
    QTest::newRow("number column not in the file")
        << QStringList{"preview",    "FILE", "--separator",  ";",      "--header", "E",
                       "--template", "x",    "--gsm-column", "telefon"};
}

void TestCli::badArguments() {
    QFETCH(QStringList, arguments);
    TestEnvironment env;
    const QString file = env.writeFile("in/liste.txt", kPeople);
    arguments.replaceInStrings("FILE", file);
    const CliRun run = runCli(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY(run.err.startsWith("parlex-cli"));
}

void TestCli::unreadableFile_data() {
    QTest::addColumn<QString>("kind");

    QTest::newRow("missing") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("binary") << "binary";
}

void TestCli::unreadableFile() {
    QFETCH(QString, kind);
    TestEnvironment env;
    QString file = env.filePath("in/liste.txt");
    if (kind == "folder")
        QVERIFY(QDir().mkpath(file));
    else if (kind == "binary")
        env.writeFile("in/liste.txt", QByteArray("\x7F"
                                                 "ELF\x02\x01\x01\x00\x00\x00",
                                                 10));
    for (const QString& command : {QStringLiteral("read"), QStringLiteral("preview")}) {
        QStringList arguments{command, file, "--separator", ";", "--header", "E"};
        if (command == "preview")
            arguments << "--template"
                      << "x"
                      << "--gsm-column"
                      << "gsm";
        const CliRun run = runCli(arguments);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(run.err.contains(file), qPrintable(run.err));
    }
}

void TestCli::help_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("usage");

    QTest::newRow("program") << QStringList{"--help"} << "Usage: parlex-cli COMMAND";
    QTest::newRow("read") << QStringList{"read", "--help"} << "Usage: parlex-cli read FILE";
    QTest::newRow("preview") << QStringList{"preview", "-h"} << "Usage: parlex-cli preview FILE";
    QTest::newRow("help wins over bad arguments")
        << QStringList{"read", "--header", "X", "--help"} << "Usage: parlex-cli read FILE";
}

void TestCli::help() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, usage);
    const CliRun run = runCli(arguments);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(usage), qPrintable(run.out));
    QCOMPARE(run.err, QString());
}

void TestCli::runOnceNamesTheCause_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("cause");

    QTest::newRow("another program holds the database")
        << "locked"
        << "veritabanı başka bir program tarafından kullanılıyor.";
    QTest::newRow("lock file cannot be made in a read-only folder") << "read-only"
                                                                    << "klasöre yazılamıyor.";
}

void TestCli::runOnceNamesTheCause() {
    QFETCH(QString, obstacle);
    QFETCH(QString, cause);
    TestEnvironment env;
    OpenDatabase();
    App().gConnection.close();
    Database other;
    if (obstacle == "locked") {
        other.open(DatabasePath());
        other.execute(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        other.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    } else {
        if (geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        QVERIFY(QFile::setPermissions(env.folder(), QFile::ReadOwner | QFile::ExeOwner));
    }
    const CliRun run = runCli({"run-once", "--program-folder", env.folder()});
    QFile::setPermissions(env.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    // The tool's own last word, not only the log of the box.
    const QStringList said = run.err.split(u'\n').filter(QStringLiteral("parlex-cli run-once: "));
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().endsWith(cause), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
