#include <unistd.h>

#include <QProcess>
#include <QtTest>

#include "core/DbRoutines.h"
#include "support/TestEnvironment.h"
#include "support/Workbooks.h"

using namespace Qt::StringLiterals;

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun RunCli(const QStringList& arguments) {
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

// Customers on the second sheet of a workbook, as saved by a spreadsheet
// program: .xlsx or .ods.
QByteArray Book(const QString& suffix) {
    const SheetRows customers{{u"gsm"_s, u"ad"_s, u"tutar"_s, u"tarih"_s},
                              {5321234567LL, u"Ayşe"_s, 150.5, QDate(2027, 1, 15)},
                              {QVariant(), u"Numarasız"_s, 40.0, QDate(2027, 1, 18)}};
    return WorkbookBytes(suffix,
                         {{u"Eski"_s, {{u"gsm"_s}, {5339999999LL}}}, {u"Ocak"_s, customers}});
}

const QByteArray People = "ad;gsm;tutar\r\nAy\xFE\x65;05321234567;150,"
                          "50\r\n\"Veli\tK\xFDl\xFD\xE7\";;3\r\nC:\\x;0212;\r\n";

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void runOnceNamesTheCause_data();
    void runOnceNamesTheCause();
};

void TestCli::commands_data() {
    // FILE is in/liste.txt of a test folder holding `bytes` (XLSX in/liste.xlsx, ODS
    // in/liste.ods). Standard output as a whole, or its
    // beginning when `out` has no final line break; standard error says nothing, or one line naming
    // the file (exit 1) or the tool (exit 2), and holding `why` when given.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("why");

    const QStringList read{"read", "FILE", "--separator", ";", "--header", "E"};
    const auto preview = [&](const QString& templateText, const QString& column) {
        return QStringList{u"preview"_s} + read.sliced(1) +
               QStringList{u"--template"_s, templateText, u"--gsm-column"_s, column};
    };
    // read shows the values as typed; a message carries them as written.
    QTest::newRow("read: Windows-1254, header, Null, escapes")
        << read << People << 0
        << u"encoding: windows-1254\nad:text\tgsm:integer\ttutar:double\nAyşe\t5321234567\t150,5\n"
           "Veli\\tKılıç\t\\N\t3\nC:\\\\x\t212\t\\N\n"_s
        << QString();
    QTest::newRow("read: UTF-8, tab, no header")
        << QStringList{"read", "FILE", "--separator=T", "--header=H"}
        << QByteArray("Çınar\t905321234567\n\tx\n") << 0
        << u"encoding: utf-8\nF1:text\tF2:text\nÇınar\t905321234567\n\\N\tx\n"_s << QString();
    QTest::newRow("preview: three outcomes")
        << preview(u"Sayın [##AD##], borcunuz [##tutar##] TL."_s, u"GSM"_s) << People << 0
        << u"queued\t5321234567\tSayin Ayse, borcunuz 150,50 TL.\tgsm7\t1\n"
           "h01\t\tSayın Veli\\tKılıç, borcunuz 3 TL.\tucs2\t1\n"
           "h01\t\tSayın C:\\\\x, borcunuz  TL.\tgsm7\t1\nqueued=1 h01=2 h02=0 h03=0 h04=0 h05=0 sms=1\n"_s
        << QString();
    // 156 characters and the operator's code are two SMS; a backslash takes
    // two septets and a tab puts the message in UCS-2. With --one-sms a row
    // dearer than one SMS is not sent.
    const QString x152(152, u'x');
    const QStringList pad = preview(u"[##ad##]"_s + x152, u"gsm"_s);
    const QString rows =
        u"\t5321234567\tAyse%1\tgsm7\t2\nh03\t\tVeli\\tKılıç%1\tucs2\t3\n"_s.arg(x152);
    QTest::newRow("preview: parts and encodings")
        << pad << People << 0
        << u"queued"_s + rows + u"h01\t\tC:\\\\x"_s + x152 +
               u"\tgsm7\t2\nqueued=1 h01=1 h02=0 h03=1 h04=0 h05=0 sms=2\n"_s
        << QString();
    QTest::newRow("preview: --one-sms")
        << pad + QStringList{u"--one-sms"_s} << People << 0
        << u"h02"_s + QString(rows).replace(u"Ayse"_s, u"Ayşe"_s) + u"h03\t\tC:\\\\x"_s + x152 +
               u"\tgsm7\t2\nqueued=0 h01=0 h02=1 h03=2 h04=0 h05=0 sms=0\n"_s
        << QString();
    // A mistyped folder must not count with the defaults unnoticed.
    QTest::newRow("preview: a program folder without a database")
        << pad + QStringList{u"--program-folder"_s, u"FILE"_s} << People << 1 << QString()
        << u"holds no ostrel.mdb"_s;
    const auto bad = [&](const char* name, const QStringList& arguments) {
        QTest::newRow(name) << arguments << People << 2 << QString() << QString();
    };
    bad("no command", {});
    bad("unknown command", {"send", "FILE"});
    bad("no separator", {"read", "FILE", "--header", "E"});
    bad("empty separator", {"read", "FILE", "--separator=", "--header", "E"});
    bad("header flag other than E or H", {"read", "FILE", "--separator", ";", "--header", "Var"});
    bad("preview without template", QStringList(read).replaceInStrings(u"read"_s, u"preview"_s));
    bad("number column not in the file", preview(u"x"_s, u"telefon"_s));

    for (const char* command : {"read", "preview"}) {
        const QStringList arguments = *command == 'r' ? read : preview(u"x"_s, u"gsm"_s);
        QTest::addRow("%s: missing file", command)
            << QStringList(arguments).replaceInStrings(u"FILE"_s, u"FILE.yok"_s) << People << 1
            << "" << QString();
        QTest::addRow("%s: binary", command)
            << arguments << QByteArray::fromHex("7f454c46020101000000") << 1 << "" << QString();
        // Never the next rows inside this one.
        QTest::addRow("%s: quote left open", command)
            << arguments << QByteArray("ad;gsm\r\n\"Ali;05321234567\r\nVeli;05327654321\r\n") << 1
            << "" << u": 2. satırda kapanmayan tırnak"_s;
    }

    // A workbook is read as a data file; its separator is not asked for, nor used.
    const QStringList readBook{"read", "XLSX", "--header", "E", "--sheet"};
    QTest::newRow("read: .xlsx, a sheet by its name")
        << readBook + QStringList{"Ocak"} << Book(u"xlsx"_s) << 0
        << u"sheet: Ocak\ngsm:integer\tad:text\ttutar:double\ttarih:text\n"
           "5321234567\tAyşe\t150,5\t15.01.2027\n\\N\tNumarasız\t40\t18.01.2027\n"_s
        << QString();
    QTest::newRow("read: .ods, a sheet by its place, no header, a separator given")
        << QStringList{"read", "ODS", "--separator", ";", "--header", "H", "--sheet", "2"}
        << Book(u"ods"_s) << 0
        << u"sheet: Ocak\nF1:text\tF2:text\tF3:text\tF4:text\ngsm\tad\ttutar\ttarih\n"
           "5321234567\tAyşe\t150,5\t15.01.2027\n\\N\tNumarasız\t40\t18.01.2027\n"_s
        << QString();
    QTest::newRow("read: .xlsx, its first sheet")
        << QStringList{"read", "XLSX", "--header", "E"} << Book(u"xlsx"_s) << 0
        << u"sheet: Eski\ngsm:integer\n5339999999\n"_s << QString();
    // Each cell fills a template as the sheet shows it.
    QTest::newRow("preview: .xlsx")
        << QStringList{"preview",      "XLSX",
                       "--header",     "E",
                       "--sheet",      "Ocak",
                       "--template",   "[##ad##]: [##tutar##] TL, son gün [##tarih##]",
                       "--gsm-column", "gsm"}
        << Book(u"xlsx"_s) << 0
        << u"queued\t5321234567\tAyse: 150,50 TL, son gun 15.01.2027\tgsm7\t1\n"
           "h01\t\tNumarasız: 40,00 TL, son gün 18.01.2027\tgsm7\t1\n"
           "queued=1 h01=1 h02=0 h03=0 h04=0 h05=0 sms=1\n"_s
        << QString();
    QTest::newRow("read: a sheet the workbook has not")
        << readBook + QStringList{"Mart"} << Book(u"xlsx"_s) << 2 << QString()
        << u"has no sheet Mart; its sheets: Eski, Ocak"_s;
    QTest::newRow("read: a sheet past the last") << readBook + QStringList{"3"} << Book(u"xlsx"_s)
                                                 << 2 << QString() << u"its sheets: Eski, Ocak"_s;
    QTest::newRow("read: --sheet of a data file")
        << read + QStringList{"--sheet", "1"} << People << 2 << QString() << u"--sheet"_s;
    const QByteArray book = Book(u"xlsx"_s);
    QTest::newRow("read: a workbook still being written")
        << readBook + QStringList{"Ocak"} << book.left(book.size() / 2) << 1 << QString()
        << u"çalışma kitabı henüz yazılıyor"_s;

    QTest::newRow("help") << QStringList{"--help"} << People << 0 << "Usage: parlex-cli COMMAND"
                          << QString();
    QTest::newRow("help wins over bad arguments")
        << QStringList{"read", "--header", "X", "--help"} << People << 0
        << "Usage: parlex-cli read FILE" << QString();
}

void TestCli::commands() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, why);
    TestEnvironment env;
    const QString name = arguments.contains(u"XLSX"_s)  ? u"liste.xlsx"_s
                         : arguments.contains(u"ODS"_s) ? u"liste.ods"_s
                                                        : u"liste.txt"_s;
    const QString file = env.writeFile(u"in/"_s + name, bytes);
    for (const QString& placeholder : {u"FILE"_s, u"XLSX"_s, u"ODS"_s})
        arguments.replaceInStrings(placeholder, file);
    const CliRun run = RunCli(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(out.endsWith(u'\n') || out.isEmpty() ? run.out : run.out.left(out.size()), out);
    QCOMPARE(run.err.count(u'\n'), exitCode ? 1 : 0);
    QVERIFY2(exitCode != 1 || run.err.contains(arguments[1]), qPrintable(run.err));
    QVERIFY2(exitCode != 2 || run.err.startsWith(u"parlex-cli"), qPrintable(run.err));
    QVERIFY2(run.err.contains(why), qPrintable(run.err));
}

void TestCli::runOnceNamesTheCause_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("cause");

    QTest::newRow("another program holds the database")
        << "locked" << u"veritabanı başka bir program tarafından kullanılıyor."_s;
    QTest::newRow("lock file cannot be made in a read-only folder")
        << "read-only" << u"klasöre yazılamıyor."_s;
}

void TestCli::runOnceNamesTheCause() {
    QFETCH(QString, obstacle);
    QFETCH(QString, cause);
    TestEnvironment env;
    OpenDatabase();
    App().gConnection.close();
    Database other;
    if (obstacle == u"locked") {
        other.open(DatabasePath());
        other.execute(u"PRAGMA locking_mode = EXCLUSIVE"_s);
        other.execute(u"BEGIN EXCLUSIVE"_s);
    } else {
        if (geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        QVERIFY(QFile::setPermissions(env.folder(), QFile::ReadOwner | QFile::ExeOwner));
    }
    const CliRun run = RunCli({"run-once", "--program-folder", env.folder()});
    QFile::setPermissions(env.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    // The tool's own last word, not only the log of the box.
    const QStringList said = run.err.split(u'\n').filter(u"parlex-cli run-once: "_s);
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().endsWith(cause), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
