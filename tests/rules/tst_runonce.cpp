#include <memory>

#include <QProcess>
#include <QtTest>

#include "core/AppState.h"
#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"
#include "core/InstanceLock.h"
#include "rules/RuleRunner.h"
#include "support/RunnerWorld.h"

namespace {

const QByteArray List = "gsm;ad;tutar\n5321234567;Ali;10\n";

// The database as start-up will find it: the account remembered and the
// main endpoint at the simulator.
void rememberAccount(RunnerWorld& w) {
    SaveAccount(SimulatorFixture::UserName, SimulatorFixture::Password,
                SimulatorFixture::ClientCode, QStringLiteral("1"), QStringLiteral("Parlex"),
                QString());
    SetParam(QLatin1String(ParamName::MainSecureAddress), w.sim.url(QString()));
}

// parlex-cli run-once in a process of its own, as a user or a cron job would
// start it, with the database file to itself.
std::unique_ptr<QProcess> start(RunnerWorld& w) {
    App().gConnection.close();
    auto process = std::make_unique<QProcess>();
    process->start(
        QStringLiteral(PARLEX_CLI),
        {QStringLiteral("run-once"), QStringLiteral("--program-folder"), w.env.folder()});
    return process;
}

} // namespace

class TestRunOnce : public QObject {
    Q_OBJECT

private slots:
    void sendsOrRefusesToRun_data();
    void sendsOrRefusesToRun();
    void crashAfterSubmissionNeverSendsAgain();
    void terminatedPassFinishesOnlyTheFileInHand();
};

void TestRunOnce::sendsOrRefusesToRun_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("message"); // on standard output when sent, else on standard error

    QTest::newRow("sent") << ""
                          << "\t[Borç] liste.txt mesaj paketi başarıyla gönderildi. MsgID : ";
    QTest::newRow("account not remembered") << "forget"
                                            << "no account is remembered";
    QTest::newRow("another Parlex holds the folder") << "lock"
                                                     << "another Parlex";
    QTest::newRow("settings mode unknown") << "mode"
                                           << "could not be loaded";
}

void TestRunOnce::sendsOrRefusesToRun() {
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
    InstanceLock lock(w.env.folder());
    if (obstacle == QLatin1String("lock"))
        QVERIFY(lock.tryLock());
    w.drop(QStringLiteral("liste.txt"), List);

    const auto cli = start(w);
    QVERIFY(cli->waitForFinished(60000));
    const bool sent = obstacle.isEmpty();
    QCOMPARE(cli->exitCode(), sent ? 0 : 1);
    const QString output =
        QString::fromUtf8(sent ? cli->readAllStandardOutput() : cli->readAllStandardError());
    // Sent: the pass's log lines, the last one naming the package.
    const QString id = sent ? QString::fromStdString(w.sim->packages().at(0).id) : QString();
    QVERIFY2(sent ? output.endsWith(message + id + "\n") : output.contains(message),
             qPrintable(output));
    QCOMPARE(w.sim->requestCount() > 0, sent);
    QCOMPARE(QFile::exists(w.out + "/liste.txt"), sent);
}

void TestRunOnce::crashAfterSubmissionNeverSendsAgain() {
    RunnerWorld w;
    rememberAccount(w);
    // The gateway holds its answer; the program dies while it waits.
    w.sim->setFault(1, SimFault::delayed(std::chrono::seconds(30)));
    w.drop(QStringLiteral("liste.txt"), List + ";Veli;20\n");

    auto cli = start(w);
    QTRY_COMPARE_WITH_TIMEOUT(w.sim->arrivedCount(1), 1, 30000);
    cli->kill();
    QVERIFY(cli->waitForFinished(10000));

    // The program comes back and its timer runs the next pass.
    w.sim->clearFaults();
    OtoMesaj();
    OtoMesaj();
    QCOMPARE(w.sim->arrivedCount(1), 1);
    QCOMPARE(RunnerWorld::files(w.in + "/sonucu_belirsiz"), QStringList{"liste.txt"});
    QVERIFY2(w.env.logLines().last().contains(QStringLiteral("gönderim sonucu bilinmiyor")),
             qPrintable(w.env.logLines().join(u'\n')));
    // The row that was not sent is kept, and no empty reject file is left.
    QCOMPARE(RunnerWorld::files(w.out), QStringList{"h01_liste.txt"});
    QCOMPARE(RunnerWorld::read(w.out + "/h01_liste.txt"),
             QByteArray("gsm;ad;tutar\r\n;Veli;20\r\n"));
}

void TestRunOnce::terminatedPassFinishesOnlyTheFileInHand() {
    RunnerWorld w;
    rememberAccount(w);
    w.sim->setFault(1, SimFault::delayed(std::chrono::milliseconds(500)));
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        w.drop(QString::fromLatin1(name), List);

    auto cli = start(w);
    QTRY_COMPARE_WITH_TIMEOUT(w.sim->arrivedCount(1), 1, 30000);
    cli->terminate();
    QVERIFY(cli->waitForFinished(30000));
    QCOMPARE(cli->exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli->exitCode(), 0);

    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(w.packageRows(), 1);
    QCOMPARE(RunnerWorld::files(w.out), QStringList{"a.txt"});
    QCOMPARE(RunnerWorld::files(w.in), (QStringList{"Schema.ini", "b.txt", "c.txt"}));
}

QTEST_GUILESS_MAIN(TestRunOnce)
#include "tst_runonce.moc"
