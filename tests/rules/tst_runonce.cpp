#include <QProcess>
#include <QtTest>

#include "support/RunnerWorld.h"
#include "core/AppState.h"
#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"
#include "core/InstanceLock.h"
#include "rules/RuleRunner.h"

// parlex-cli run-once in a process of its own, as a user or a cron job
// would start it, against the in-process simulator.
class TestRunOnce : public QObject {
    Q_OBJECT

private slots:
    void sendsAndPrintsThePass();
    void refusesToRun_data();
    void refusesToRun();
    void crashAfterSubmissionNeverSendsAgain();
    void terminatedPassFinishesOnlyTheFileInHand();

private:
    // The database as start-up will find it: the account remembered and the
    // main endpoint at the simulator. The connection is closed so the child
    // process has the file to itself.
    static void rememberAccount(RunnerWorld& w);
    static QProcess* start(RunnerWorld& w, QObject* parent);
};

void TestRunOnce::rememberAccount(RunnerWorld& w) {
    SaveAccount(SimulatorFixture::UserName, SimulatorFixture::Password,
                SimulatorFixture::ClientCode, QStringLiteral("1"), QStringLiteral("Parlex"),
                QString());
    SetParam(QLatin1String(ParamName::MainSecureAddress), w.sim.url(QString()));
    App().gConnection.close();
}

QProcess* TestRunOnce::start(RunnerWorld& w, QObject* parent) {
    auto* process = new QProcess(parent);
    process->start(
        QStringLiteral(PARLEX_CLI),
        {QStringLiteral("run-once"), QStringLiteral("--program-folder"), w.env.folder()});
    return process;
}

void TestRunOnce::sendsAndPrintsThePass() {
    RunnerWorld w;
    rememberAccount(w);
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;Ali;10\n");

    QProcess cli;
    cli.start(QStringLiteral(PARLEX_CLI),
              {QStringLiteral("run-once"), QStringLiteral("--program-folder"), w.env.folder()});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const QStringList lines =
        QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    const QString id = QString::fromStdString(w.sim->packages().at(0).id);
    QVERIFY(lines.last().endsWith(
        QStringLiteral("\t[Borç] liste.txt mesaj paketi başarıyla gönderildi. MsgID : ") + id));
    QVERIFY(QFile::exists(w.out + "/liste.txt"));
}

void TestRunOnce::refusesToRun_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("message");

    QTest::newRow("account not remembered") << "forget"
                                            << "no account is remembered";
    QTest::newRow("another Parlex holds the folder") << "lock"
                                                     << "another Parlex";
    QTest::newRow("settings mode unknown") << "mode"
                                           << "could not be loaded";
}

void TestRunOnce::refusesToRun() {
    QFETCH(QString, obstacle);
    QFETCH(QString, message);

    RunnerWorld w;
    rememberAccount(w);
    if (obstacle == QLatin1String("forget")) {
        SaveAccount(QString(), QString(), QString(), QStringLiteral("0"), QStringLiteral("Parlex"),
                    QString());
    } else if (obstacle == QLatin1String("mode")) {
        ExecuteSql(QStringLiteral("UPDATE tbl_ayarlar SET flg_gw = '7'"));
    }
    App().gConnection.close();
    InstanceLock lock(w.env.folder());
    if (obstacle == QLatin1String("lock"))
        QVERIFY(lock.tryLock());
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;Ali;10\n");

    QProcess cli;
    cli.start(QStringLiteral(PARLEX_CLI),
              {QStringLiteral("run-once"), QStringLiteral("--program-folder"), w.env.folder()});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 1);
    const QString error = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(w.sim->requestCount(), 0);
    QVERIFY(QFile::exists(w.in + "/liste.txt"));
}

void TestRunOnce::crashAfterSubmissionNeverSendsAgain() {
    RunnerWorld w;
    rememberAccount(w);
    // The gateway holds its answer; the program dies while it waits.
    w.sim->setFault(1, SimFault::delayed(std::chrono::seconds(30)));
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;Ali;10\n");

    QProcess* cli = start(w, this);
    QTRY_COMPARE_WITH_TIMEOUT(w.sim->arrivedCount(1), 1, 30000);
    cli->kill();
    QVERIFY(cli->waitForFinished(10000));
    delete cli;

    // The program comes back and its timer runs the next pass.
    w.sim->clearFaults();
    OtoMesaj();
    OtoMesaj();
    QCOMPARE(w.sim->arrivedCount(1), 1);
    QVERIFY(!QFile::exists(w.in + "/liste.txt"));
    QVERIFY(QFile::exists(w.in + "/sonucu_belirsiz/liste.txt"));
    QVERIFY2(w.logLines().last().contains(QStringLiteral("gönderim sonucu bilinmiyor")),
             qPrintable(w.logLines().join(u'\n')));
}

void TestRunOnce::terminatedPassFinishesOnlyTheFileInHand() {
    RunnerWorld w;
    rememberAccount(w);
    w.sim->setFault(1, SimFault::delayed(std::chrono::milliseconds(500)));
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        w.drop(QString::fromLatin1(name), "gsm;ad;tutar\n5321234567;Ali;10\n");

    QProcess* cli = start(w, this);
    QTRY_COMPARE_WITH_TIMEOUT(w.sim->arrivedCount(1), 1, 30000);
    cli->terminate();
    QVERIFY(cli->waitForFinished(30000));
    QCOMPARE(cli->exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli->exitCode(), 0);
    delete cli;

    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(w.packageRows(), 1);
    QVERIFY(QFile::exists(w.out + "/a.txt"));
    QCOMPARE(RunnerWorld::files(w.in), (QStringList{"Schema.ini", "b.txt", "c.txt"}));
}

QTEST_GUILESS_MAIN(TestRunOnce)
#include "tst_runonce.moc"
