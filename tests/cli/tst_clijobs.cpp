#include <memory>

#include <QProcess>
#include <QtTest>

#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"
#include "core/InstanceLock.h"
#include "core/Routines.h"
#include "gateway/Gateway.h"
#include "optout/OptOutList.h"
#include "reports/StatusListExport.h"
#include "support/RunnerWorld.h"
#include "support/Workbooks.h"
#include "textsource/PackagePolicy.h"

namespace {

const QByteArray List = "gsm;ad\n05321234567;Ali\n5337654321;Veli\n123;Kısa\n";

// A program folder as start-up finds it: the account remembered, the main
// endpoint at the simulator, passes a second apart.
struct CliWorld : RunnerWorld {
    CliWorld() {
        SaveAccount(SimulatorFixture::UserName, SimulatorFixture::Password,
                    SimulatorFixture::ClientCode, QStringLiteral("1"), QStringLiteral("Parlex"),
                    QString());
        SetParam(QLatin1String(ParamName::MainSecureAddress), sim.url(QString()));
        SetParam(QLatin1String(ParamName::CheckPeriod), QStringLiteral("1000"));
        list = env.writeFile(QStringLiteral("liste/ocak.txt"), List);
    }
    // parlex-cli in a process of its own, standard input not a terminal.
    std::unique_ptr<QProcess> start(QStringList arguments) {
        App().gConnection.close();
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral(PARLEX_CLI),
                       arguments << QStringLiteral("--program-folder") << env.folder());
        return process;
    }
    QString list;
};

// A send of the list; the rows add their options.
const QStringList Send = {
    "send", "FILE",         "--separator", ";",          "--header",
    "E",    "--gsm-column", "gsm",         "--template", "Sayın [##ad##], kampanya başladı."};

// The same list on the second sheet of a workbook; it needs no separator.
const QStringList SendBook = {
    "send",         "BOOK", "--header",   "E",
    "--gsm-column", "gsm",  "--template", "Sayın [##ad##], kampanya başladı.",
    "--yes"};

} // namespace

class TestCliJobs : public QObject {
    Q_OBJECT

private slots:
    void jobs_data();
    void jobs();
    void commercialAndUnique_data();
    void commercialAndUnique();
    void sendStoppedInFlightStillRecordsThePackage();
    void sendKilledInFlightIsNotSentAgainUnasked();
    void watchSendsDroppedFilesUntilTerminated();
    void reports_data();
    void reports();
    void optOut_data();
    void optOut();
};

void TestCliJobs::jobs_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // standard output when done, else standard error

    const QDate next = QDate::currentDate().addMonths(1);
    const QDate fifth(next.year(), next.month(), 5);
    QTest::newRow("sent now")
        << Send + QStringList{"--yes"} << "" << 0
        << "queued=2 h01=1 h02=0 h03=0 h04=0 h05=0 sms=2\ncredit=1000\nMsgID: ";
    // Ali's message is 155 characters, Veli's and Kısa's 156: with the
    // operator's five, one SMS and two.
    const QString x152(152, 'x');
    const QStringList sendLong = Send + QStringList{"--yes", "--template", "[##ad##]" + x152};
    QTest::newRow("two SMS a message")
        << sendLong << "" << 0
        << "queued=2 h01=1 h02=0 h03=0 h04=0 h05=0 sms=3\ncredit=1000\nMsgID: ";
    QTest::newRow("no operator's code in the settings")
        << sendLong << "suffix0" << 0
        << "queued=2 h01=1 h02=0 h03=0 h04=0 h05=0 sms=2\ncredit=1000\nMsgID: ";
    QTest::newRow("--one-sms")
        << sendLong + QStringList{"--one-sms"} << "" << 0
        << "queued=1 h01=0 h02=1 h03=1 h04=0 h05=0 sms=1\ncredit=1000\nMsgID: ";
    QTest::newRow("the one-SMS option in the settings")
        << sendLong << "onesms" << 0
        << "queued=1 h01=0 h02=1 h03=1 h04=0 h05=0 sms=1\ncredit=1000\nMsgID: ";
    // preview counts with the folder's settings without its lock.
    const QStringList preview = {"preview",      "FILE", "--separator", ";",
                                 "--header",     "E",    "--template",  "[##ad##]" + x152,
                                 "--gsm-column", "gsm"};
    const QString ali = "queued\t5321234567\tAli" + x152 + "\tgsm7\t1\n";
    const QString veli = "\t5337654321\tVeli" + x152 + "\tgsm7\t%1\n";
    const QString kisa = "\t\tKısa" + x152 + "\tgsm7\t%1\n";
    QTest::newRow("preview, desktop running")
        << preview << "lock" << 0
        << ali + "queued" + veli.arg(2) + "h01" + kisa.arg(2) +
               "queued=2 h01=1 h02=0 h03=0 h04=0 h05=0 sms=3\n";
    QTest::newRow("preview, no operator's code in the settings")
        << preview << "suffix0" << 0
        << ali + "queued" + veli.arg(1) + "h01" + kisa.arg(1) +
               "queued=2 h01=1 h02=0 h03=0 h04=0 h05=0 sms=2\n";
    QTest::newRow("preview, the one-SMS option in the settings")
        << preview << "onesms" << 0
        << ali + "h02" + veli.arg(2) + "h03" + kisa.arg(2) +
               "queued=1 h01=0 h02=1 h03=1 h04=0 h05=0 sms=1\n";
    QTest::newRow("the fifth at 14:30")
        << Send + QStringList{"--yes", "--at", fifth.toString("dd.MM.yyyy") + " 14:30"} << "" << 0
        << fifth.toString("ddMMyyyy") + "1430";
    QTest::newRow("another sender")
        << Send + QStringList{"--yes", "--originator", "ACME"} << "" << 0 << "MsgID: ";
    QTest::newRow("unknown sender") << Send + QStringList{"--yes", "--originator", "X"} << "" << 1
                                    << "its sender names: PARLEX, ACME";
    QTest::newRow("credit too small") << Send + QStringList{"--yes"} << "credit" << 1
                                      << "Gönderim yapabilecek kadar kontörünüz yok.";
    QTest::newRow("outcome unknown")
        << Send + QStringList{"--yes"} << "sendsms" << 3 << "raporları kontrol edin.";
    QTest::newRow("refused by the gateway")
        << Send + QStringList{"--yes"} << "refused" << 1 << "Tanımsız Originator bilgisi.";
    QTest::newRow("a word for an answer")
        << Send + QStringList{"--yes"} << "word" << 3 << "raporları kontrol edin.";
    QTest::newRow("nobody to confirm") << Send << "" << 1 << "add --yes";
    QTest::newRow("no such column")
        << Send + QStringList{"--yes", "--gsm-column", "tel"} << "" << 2 << "its columns: gsm, ad";
    QTest::newRow("quote left open")
        << Send + QStringList{"--yes"} << "quote" << 1 << ": 2. satırda kapanmayan tırnak";
    QTest::newRow("bad date") << Send + QStringList{"--yes", "--at", "31.02.2030 10:00"} << "" << 2
                              << "is not a date";
    QTest::newRow("send, desktop running")
        << Send + QStringList{"--yes"} << "lock" << 1 << "another Parlex";
    QTest::newRow("send, unknown option")
        << QStringList{"send", "--now"} << "" << 2 << "unknown option --now";
    QTest::newRow("report from a word")
        << QStringList{"report", "package", "1000001"} << "report" << 1 << "okunamıyor";
    QTest::newRow("a workbook's sheet")
        << SendBook + QStringList{"--sheet", "Ocak"} << "" << 0
        << "queued=2 h01=1 h02=0 h03=0 h04=0 h05=0 sms=2\ncredit=1000\nMsgID: ";
    QTest::newRow("a sheet the workbook has not")
        << SendBook + QStringList{"--sheet", "Mart"} << "" << 2 << "its sheets: Eski, Ocak";
    QTest::newRow("credit") << QStringList{"credit"} << "" << 0
                            << "credit=1000\noriginator=PARLEX\noriginator=ACME\n";
    QTest::newRow("credit, gateway away")
        << QStringList{"credit"} << "away" << 1 << "kontör bilgisi alınamadı";
    QTest::newRow("watch, desktop running")
        << QStringList{"watch"} << "lock" << 1 << "another Parlex";
    QTest::newRow("watch, switched off") << QStringList{"watch"} << "off" << 1 << "switched off";
    QTest::newRow("watch, stray argument")
        << QStringList{"watch", "x"} << "" << 2 << "unexpected argument x";
}

// The windows' jobs from a script: the package sent once and recorded as
// the window records it, or nothing sent and the reason said in one line.
void TestCliJobs::jobs() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, fault);
    QFETCH(int, exitCode);
    QFETCH(QString, said);

    CliWorld w;
    if (fault == "credit")
        w.sim->setCredit(SimulatorFixture::MainUser, 1);
    if (fault == "sendsms")
        w.sim->setFault(1, SimFault::http500("Internal Server Error"));
    if (fault == "refused")
        w.sim->setFault(1, SimFault::reply("06"));
    if (fault == "word")
        w.sim->setFault(1, SimFault::reply("NOT OK"));
    if (fault == "report")
        w.sim->setFault(11, SimFault::reply("BAKIM"));
    if (fault == "away")
        w.sim->setFault(4, SimFault::close());
    if (fault == "off")
        SetAutoSendSwitch(false);
    if (fault == "suffix0")
        SetParam(QLatin1String(ParamName::OperatorSuffix), "0");
    if (fault == "onesms")
        SetParam(QLatin1String(ParamName::OneSmsOnly), "1");
    if (fault == "quote") // the next rows must not go inside Ali's message
        w.env.writeFile(QStringLiteral("liste/ocak.txt"),
                        "gsm;ad\n05321234567;\"Ali\n5337654321;Veli\n");
    InstanceLock desktop(w.env.folder());
    if (fault == "lock")
        QVERIFY(desktop.tryLock());
    w.drop(QStringLiteral("a.txt"), List);

    if (arguments.contains("BOOK")) {
        w.list = w.env.filePath("liste/ocak.xlsx");
        WriteXlsx(
            w.list,
            {{"Eski", {{"gsm"}, {5339999999LL}}},
             {"Ocak",
              {{"gsm", "ad"}, {"05321234567", "Ali"}, {5337654321LL, "Veli"}, {123, "Kısa"}}}});
    }
    arguments.replaceInStrings(QStringLiteral("FILE"), w.list);
    const auto cli = w.start(arguments.replaceInStrings(QStringLiteral("BOOK"), w.list));
    QVERIFY(cli->waitForFinished(60000));
    const QString out = QString::fromUtf8(cli->readAllStandardOutput());
    const QString err = QString::fromUtf8(cli->readAllStandardError());
    QCOMPARE(cli->exitCode(), exitCode);
    const bool sent = exitCode == 0 && arguments.first() == "send";
    QCOMPARE(w.sim->packageCount(), sent ? 1 : 0);
    QCOMPARE(w.packageRows(), sent ? 1 : 0);
    // Only a submission of unknown outcome stays in the journal, for the
    // next send of the file to find.
    QCOMPARE(OpenRecordset("SELECT COUNT(*) FROM tbl_gonderim_gunlugu").value(0).toInt(),
             exitCode == 3 ? 1 : 0);
    // The reason is the last line (developer warnings may come before).
    if (exitCode)
        QVERIFY2(err.section('\n', -2).contains(said), qPrintable(err));
    else if (!sent)
        QCOMPARE(out, said);
    if (!sent)
        return;
    const SimPackageSummary package = w.sim->packages().at(0);
    QVERIFY2(out.contains(said) || QString::fromStdString(package.sendDate) == said,
             qPrintable(out));
    QVERIFY(out.endsWith("MsgID: " + QString::fromStdString(package.id) + "\n"));
    Recordset row = OpenRecordset("SELECT msgtip, paket_boyut, dosya_adi, originator, gtarih, "
                                  "tarih FROM tbl_giden_txt");
    const QString name = QFileInfo(w.list).fileName();
    const QString queued = out.section("queued=", 1).section(' ', 0, 0);
    QCOMPARE(QStringList({row.text(0), row.text(1), row.text(2), row.text(3)}),
             QStringList({"Dosyadan gönderim", queued, name, package.originator.c_str()}));
    QCOMPARE(row.text(4).endsWith("14:30:00"), arguments.contains("--at"));
    // A workbook's reject rows go into a workbook under its header row.
    if (name.endsWith(".xlsx"))
        QCOMPARE(SheetLines(w.env.filePath("liste/h01_ocak.xlsx")),
                 QStringList({"gsm;ad", "123;Kısa"}));
    else
        for (const QString reject : {"h01", "h02", "h03"})
            QCOMPARE(QFileInfo::exists(w.env.filePath("liste/" + reject + "_ocak.txt")),
                     !out.contains(reject + "=0"));
    // Listed first among the packages, as the reports window lists it.
    const auto history = w.start({QStringLiteral("packages")});
    QVERIFY(history->waitForFinished(60000));
    QVERIFY(QString::fromUtf8(history->readAllStandardOutput())
                .startsWith(QString::fromStdString(package.id) + "\tDosyadan gönderim\t" + name +
                            "\t"));
}

// --commercial leaves out the numbers on the program folder's opt-out list
// and ends every message with the refusal line, or warns that there is
// none; --unique sends a number once. Both count what they left out.
void TestCliJobs::commercialAndUnique_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("counts");

    const QString r = "Ret için RET yazıp 4609'a gönderin";
    QTest::newRow("send, commercial")
        << "send" << QStringList{"--commercial"} << r << "queued=1 h01=1 h02=0 h03=0 h04=2 h05=0 sms=1";
    QTest::newRow("send, commercial, no refusal line")
        << "send" << QStringList{"--commercial"} << ""
        << "queued=1 h01=1 h02=0 h03=0 h04=2 h05=0 sms=1";
    QTest::newRow("send, unique") << "send" << QStringList{"--unique"} << ""
                                  << "queued=2 h01=1 h02=0 h03=0 h04=0 h05=1 sms=2";
    QTest::newRow("preview, both") << "preview" << QStringList{"--commercial", "--unique"} << r
                                   << "queued=1 h01=1 h02=0 h03=0 h04=2 h05=0 sms=1";
    QTest::newRow("preview, unique") << "preview" << QStringList{"--unique"} << ""
                                     << "queued=2 h01=1 h02=0 h03=0 h04=0 h05=1 sms=2";
}

void TestCliJobs::commercialAndUnique() {
    QFETCH(QString, command);
    QFETCH(QStringList, options);
    QFETCH(QString, refusal);
    QFETCH(QString, counts);
    CliWorld w;
    SetParam(QLatin1String(ParamName::RefusalText), refusal);
    ExecuteSql("INSERT INTO tbl_ret (numara,kaynak) VALUES ('5321234567','komut')");
    w.env.writeFile("liste/ocak.txt",
                    "gsm;ad\n05321234567;Ali\n5337654321;Veli\n+90 532 123 45 67;Ali\n123;Kısa\n");
    QStringList arguments = QStringList(Send).replaceInStrings("FILE", w.list) + options;
    arguments[0] = command;
    if (command == "send")
        arguments << "--yes";
    const auto cli = w.start(arguments);
    QVERIFY(cli->waitForFinished(60000));
    const QStringList out = QString::fromUtf8(cli->readAllStandardOutput()).split('\n');
    const QString err = QString::fromUtf8(cli->readAllStandardError());
    QCOMPARE(cli->exitCode(), 0);
    QCOMPARE(out.value(command == "send" ? 0 : out.size() - 2), counts);
    const bool commercial = options.contains("--commercial");
    QCOMPARE(err.contains(NoRefusalLineText), commercial && refusal.isEmpty());
    if (command != "send")
        return;
    QCOMPARE(QFileInfo::exists(w.env.filePath("liste/h04_ocak.txt")), commercial);
    QCOMPARE(QFileInfo::exists(w.env.filePath("liste/h05_ocak.txt")), !commercial);
    const auto messages = w.sim->packageMessages(w.sim->packages().at(0).id);
    QCOMPARE(QString::fromStdString(messages.back().text),
             refusal.isEmpty() ? QString("Sayin Veli, kampanya basladi.")
                               : "Sayin Veli, kampanya basladi. " + CleanMessageText(refusal));
}

// Ctrl+C or SIGTERM once the package has left: its reply is awaited and
// it is recorded, so nobody sends it again thinking it never went.
void TestCliJobs::sendStoppedInFlightStillRecordsThePackage() {
    CliWorld w;
    w.sim->setFault(1, SimFault::delayed(std::chrono::milliseconds(800)));
    const auto cli = w.start((Send + QStringList{"--yes"}).replaceInStrings("FILE", w.list));
    QTRY_COMPARE_WITH_TIMEOUT(w.sim->arrivedCount(1), 1, 30000);
    cli->terminate();
    QVERIFY(cli->waitForFinished(30000));
    QCOMPARE(cli->exitCode(), 0);
    QVERIFY(cli->readAllStandardOutput().contains("MsgID: "));
    QCOMPARE(w.packageRows(), 1);
}

// Killed while the gateway holds the package: sending the list again, here
// or renamed elsewhere, sends nothing and says why until the user, having
// checked the reports, asks for it with --resend.
void TestCliJobs::sendKilledInFlightIsNotSentAgainUnasked() {
    CliWorld w;
    SimFault held = SimFault::delayed(std::chrono::milliseconds(1500));
    held.times = 1;
    w.sim->setFault(1, held);
    const auto send = [&w](const QString& file, const QStringList& more = {}) {
        auto cli = w.start(QStringList(Send).replaceInStrings("FILE", file) << "--yes" << more);
        return cli;
    };
    const auto killed = send(w.list);
    QTRY_COMPARE_WITH_TIMEOUT(w.sim->arrivedCount(1), 1, 30000);
    killed->kill();
    QVERIFY(killed->waitForFinished(30000));
    QTRY_COMPARE_WITH_TIMEOUT(w.sim->packageCount(), 1, 30000); // taken all the same

    const QString renamed = w.env.writeFile("baska/kopya.txt", List);
    for (const QString& file : {w.list, renamed}) {
        const auto again = send(file);
        QVERIFY(again->waitForFinished(60000));
        const QString err = QString::fromUtf8(again->readAllStandardError());
        QCOMPARE(again->exitCode(), 3);
        QVERIFY2(err.contains(QFileInfo(file).fileName() + " dosyası") &&
                     err.contains("raporları kontrol edin") && err.contains("--resend"),
                 qPrintable(err));
    }
    QCOMPARE(w.sim->arrivedCount(1), 1);
    QCOMPARE(w.packageRows(), 0);
    QCOMPARE(w.env.logLines().filter("gönderim sonucu bilinmiyor").size(), 1); // once

    const auto resent = send(w.list, {"--resend"});
    QVERIFY(resent->waitForFinished(60000));
    QCOMPARE(resent->exitCode(), 0);
    QCOMPARE(w.sim->packageCount(), 2);
    QCOMPARE(w.packageRows(), 1);
    QCOMPARE(OpenRecordset("SELECT COUNT(*) FROM tbl_gonderim_gunlugu").value(0).toInt(), 0);
}

// The unit's job: every dropped file sent at the next pass, the desktop kept
// out meanwhile, and SIGTERM in a pass finishing the file in hand only.
void TestCliJobs::watchSendsDroppedFilesUntilTerminated() {
    CliWorld w;
    const auto cli = w.start({QStringLiteral("watch")});
    w.drop(QStringLiteral("a.txt"), List);
    QTRY_COMPARE_WITH_TIMEOUT(w.sim->packageCount(), 1, 30000);
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT(
        (out += cli->readAllStandardOutput()).contains("a.txt mesaj paketi başarıyla gönderildi"),
        30000);
    InstanceLock desktop(w.env.folder());
    QVERIFY(!desktop.tryLock());
    QCOMPARE(desktop.holderPid(), cli->processId());

    w.sim->setFault(1, SimFault::delayed(std::chrono::milliseconds(800)));
    w.drop(QStringLiteral("b.txt"), List);
    w.drop(QStringLiteral("c.txt"), List);
    QTRY_COMPARE_WITH_TIMEOUT(w.sim->arrivedCount(1), 2, 30000);
    cli->terminate();
    QVERIFY(cli->waitForFinished(30000));
    QCOMPARE(cli->exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli->exitCode(), 0);
    QCOMPARE(w.sim->packageCount(), 2);
    QCOMPARE(w.packageRows(), 2);
    QVERIFY(QFile::exists(w.out + "/b.txt") && QFile::exists(w.in + "/c.txt"));
    QVERIFY(desktop.tryLock());
}

void TestCliJobs::reports_data() {
    QTest::addColumn<QStringList>("arguments"); // after "report"; ID is the package's
    QTest::addColumn<QStringList>("states");    // the state texts --status lets through

    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    const QStringList all = {"Beklemede", "İletildi", "Zaman Aşımı", "Reddedildi"};
    QTest::newRow("package") << QStringList{"package", "ID"} << all;
    QTest::newRow("package, delivered or rejected")
        << QStringList{"package", "ID", "--status", "iletildi,reddedildi"}
        << QStringList{"İletildi", "Reddedildi"};
    QTest::newRow("range") << QStringList{"range", today, today} << all;
    QTest::newRow("range, waiting or timed out")
        << QStringList{"range", today, today, "--status", "beklemede,zaman_asimi"}
        << QStringList{"Beklemede", "Zaman Aşımı"};
    QTest::newRow("number") << QStringList{"number", "5321000007", today, today} << QStringList{};
}

// The reports window's jobs: every row once, the filter as its boxes, the
// counts of the whole report, and the workbook holding the rows printed.
void TestCliJobs::reports() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, states);

    CliWorld w;
    Gateway gateway;
    for (int i = 0; i < 20; ++i)
        gateway.addtosmsbasket("Deneme", QString("53210000%1").arg(i, 2, 10, QChar('0')));
    const QString id =
        PackageIdOf(gateway.sendsms(App().gatewayUserName(), App().gPassword, "PARLEX", QString()));
    arguments.replaceInStrings(QStringLiteral("ID"), id);

    const auto cli = w.start(QStringList{"report"} << arguments);
    QVERIFY(cli->waitForFinished(60000));
    QCOMPARE(cli->exitCode(), 0);
    QStringList rows = QString::fromUtf8(cli->readAllStandardOutput()).split('\n');
    rows.removeLast();
    if (states.isEmpty()) {
        QVERIFY2(rows.size() == 1 && rows[0].startsWith(id + "\t"), qPrintable(rows.join('\n')));
        return;
    }
    // toplam=N beklemede=N iletildi=N zaman_asimi=N reddedildi=N
    const QStringList counts = rows.takeLast().split(' ');
    QCOMPARE(counts.first(), QStringLiteral("toplam=20"));
    int listed = 0;
    for (int i = 0; i < 4; ++i)
        listed += states.contains(StatusList::stateText(StatusList::State(i)))
                      ? counts[i + 1].section('=', 1).toInt()
                      : 0;
    QCOMPARE(rows.size(), listed);
    for (const QString& row : rows)
        QVERIFY2(row.startsWith("53210000") && states.contains(row.section('\t', 1)),
                 qPrintable(row));

    const QString book = w.env.filePath("rapor.xlsx");
    const auto xlsx = w.start(QStringList{"report"} << arguments << "--xlsx" << book);
    QVERIFY(xlsx->waitForFinished(60000));
    QCOMPARE(xlsx->exitCode(), 0);
    QProcess python;
    python.start("/usr/bin/python3", {"-c",
                                      "import openpyxl, sys\n"
                                      "for r in openpyxl.load_workbook(sys.argv[1])['Sayfa1']"
                                      ".iter_rows(values_only=True): print('\\t'.join(r))",
                                      book});
    QVERIFY(python.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).split('\n'),
             QStringList{StatusListExport::columnNames().join('\t')} << rows << QString());
}

void TestCliJobs::optOut_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // standard output when done, else standard error's end
    QTest::addColumn<QStringList>("after");

    const QStringList one = {"5321234567"};
    const QStringList import = {"optout", "import",          "IYS",  "--separator",
                                ";",      "--header",        "E",    "--gsm-column",
                                "gsm",    "--status-column", "durum"};
    QTest::newRow("add in three forms")
        << QStringList{}
        << QStringList{"optout", "add", "+90 532 123 45 67", "05321234567", "5321234567"} << 0
        << "added 5321234567\nalready 5321234567\nalready 5321234567\nadded=1 already=2\n"
        << one;
    QTest::newRow("add with a landline adds none")
        << QStringList{} << QStringList{"optout", "add", "05339998877", "0212 123 45 67"} << 1
        << "0212 123 45 67: Geçerli bir GSM numarası değil" << QStringList{};
    QTest::newRow("remove") << one
                            << QStringList{"optout", "remove", "0532 123 45 67", "5339998877"} << 0
                            << "removed 5321234567\nmissing 5339998877\nremoved=1 missing=1\n"
                            << QStringList{};
    QTest::newRow("import an İYS export")
        << one << import << 0 << "added=1 already=1 invalid=1 not_ret=1\n"
        << QStringList{"5321234567", "5339998877"};
    QTest::newRow("import, quote left open")
        << one << import + QStringList{"QUOTE"} << 1 << "kapanmayan tırnak" << one;
    QTest::newRow("import, no such column")
        << one << import + QStringList{"--status-column", "durumu"} << 2
        << "its columns: gsm, durum" << one;
    QTest::newRow("import without the numbers' column")
        << one << import.mid(0, 7) << 2 << "--gsm-column is missing" << one;
    QTest::newRow("count") << QStringList{"5321234567", "5339998877"}
                           << QStringList{"optout", "count"} << 0 << "count=2\n"
                           << QStringList{"5321234567", "5339998877"};
    QTest::newRow("list") << QStringList{"5339998877", "5321234567"}
                          << QStringList{"optout", "list"} << 0
                          << "5321234567\tDATE\telle\t\n5339998877\tDATE\telle\t\n"
                          << QStringList{"5321234567", "5339998877"};
    QTest::newRow("an unknown action") << one << QStringList{"optout", "purge"} << 2
                                       << "add, remove, import, list or count?" << one;
}

// The opt-out list from a script, on the program folder's database: every
// number in the one form the senders compare, nothing half done.
void TestCliJobs::optOut() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QStringList, after);

    CliWorld w;
    AddOptOutNumbers(before, OptOutSource::Typed);
    const QByteArray iys =
        "gsm;durum\n05321234567;RET\n05339998877;RET\n05441112233;ONAY\n0212;RET\n";
    const QString file = w.env.writeFile(QStringLiteral("iys.csv"),
                                         arguments.removeAll("QUOTE") ? iys + "\"0555;RET\n" : iys);
    const auto cli = w.start(arguments.replaceInStrings(QStringLiteral("IYS"), file));
    QVERIFY(cli->waitForFinished(60000));
    QString out = QString::fromUtf8(cli->readAllStandardOutput());
    const QString err = QString::fromUtf8(cli->readAllStandardError());
    QCOMPARE(cli->exitCode(), exitCode);
    if (exitCode)
        QVERIFY2(err.section('\n', -2).contains(said), qPrintable(err));
    else
        QCOMPARE(
            out.replace(QRegularExpression("\t\\d\\d\\.\\d\\d\\.\\d{4} [\\d:]+\t"), "\tDATE\t"),
            said);
    QStringList listed;
    Recordset rs = OpenRecordset("SELECT numara, kaynak FROM tbl_ret ORDER BY numara");
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        listed << rs.text(0);
    QCOMPARE(listed, after);
}

QTEST_GUILESS_MAIN(TestCliJobs)
#include "tst_clijobs.moc"
