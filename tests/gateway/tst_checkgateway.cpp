#include <QtTest>

#include "core/AppState.h"
#include "gateway/CheckGateway.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"

namespace {

const QString FailedCheck = QStringLiteral("Sistem bilgileri kontrol edilemiyor.\r\n"
                                           "Mesaj merkezine bağlantı sağlanamadı.\r\n"
                                           "Parlex uygulaması kapatılıyor...");
const QString NoConnection = QStringLiteral("Mesaj merkeziyle bağlantı kurulamıyor.");

void verifyBothBoxes(const ScriptedUi& ui) {
    QCOMPARE(ui.boxes.size(), size_t(2));
    QCOMPARE(ui.boxes[0].kind, UiServices::BoxKind::Error);
    QCOMPARE(ui.boxes[0].title, QStringLiteral("Parlex 1.0"));
    QCOMPARE(ui.boxes[0].text, FailedCheck);
    QCOMPARE(ui.boxes[1].kind, UiServices::BoxKind::Error);
    QCOMPARE(ui.boxes[1].title, QStringLiteral("Parlex"));
    QCOMPARE(ui.boxes[1].text, NoConnection);
}

} // namespace

class TestCheckGateway : public QObject {
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
    void activeAccountIsAsked_data();
    void activeAccountIsAsked();
    void unreachableGateway();
    void unknownModeAsksNothing();
};

void TestCheckGateway::replies_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("empty") << "" << false;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("-2") << "-2" << false;
    QTest::newRow("01") << "01" << false;
    QTest::newRow("html") << "html" << false;
    QTest::newRow("html page") << "<html><body>bakım</body></html>" << false;
    QTest::newRow("HTML") << "<HTML>" << false;
    QTest::newRow("Html is not looked for") << "Html" << true;
    QTest::newRow("a time") << "2006-01-05 10:20:30" << true;
    QTest::newRow("a number") << "1500" << true;
}

void TestCheckGateway::replies() {
    QFETCH(QString, reply);
    QFETCH(bool, accepted);
    TestEnvironment env;
    SimulatorFixture sim;
    sim->setFault(12, SimFault::reply(reply.toStdString()));

    const QString result = CheckGateway();

    if (accepted) {
        QCOMPARE(result, reply);
        QVERIFY(env.ui().boxes.empty());
    } else {
        QCOMPARE(result, QStringLiteral("-1"));
        verifyBothBoxes(env.ui());
    }
}

void TestCheckGateway::activeAccountIsAsked_data() {
    QTest::addColumn<bool>("hollin");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("user");
    QTest::newRow("main account") << false << "/sms/com.corvane"
                                  << "<UserName>demo-1000</UserName>";
    QTest::newRow("intranet gateway") << true << "/hollin/gw"
                                      << "<UserName>hollin</UserName>";
}

void TestCheckGateway::activeAccountIsAsked() {
    QFETCH(bool, hollin);
    QFETCH(QString, path);
    QFETCH(QString, user);
    TestEnvironment env;
    SimulatorFixture sim;
    if (hollin)
        sim.useHollinAccount();

    const QString result = CheckGateway();

    QCOMPARE(QDateTime::fromString(result, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid(), true);
    QVERIFY(env.ui().boxes.empty());
    const auto requests = sim->requests();
    QCOMPARE(requests.size(), size_t(1));
    QCOMPARE(requests[0].action, 12);
    QCOMPARE(QString::fromStdString(requests[0].path), path);
    QVERIFY(QString::fromStdString(requests[0].body).contains(user));
}

void TestCheckGateway::unreachableGateway() {
    TestEnvironment env;
    SimulatorFixture sim;
    App().gGatewayUrl =
        QStringLiteral("http://127.0.0.1:%1/sms/com.corvane").arg(SimulatorFixture::closedPort());

    QCOMPARE(CheckGateway(), QStringLiteral("-1"));
    verifyBothBoxes(env.ui());
}

void TestCheckGateway::unknownModeAsksNothing() {
    TestEnvironment env;
    SimulatorFixture sim;
    App().gGatewayMode = QStringLiteral("Başka");

    QCOMPARE(CheckGateway(), QStringLiteral("-1"));
    QCOMPARE(sim->requestCount(), 0);
    verifyBothBoxes(env.ui());
}

QTEST_GUILESS_MAIN(TestCheckGateway)
#include "tst_checkgateway.moc"
