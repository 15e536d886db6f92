#include <QDomDocument>
#include <QtTest>

#include "core/AppState.h"
#include "core/Recordset.h"
#include "core/Routines.h"
#include "gateway/Gateway.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"

using namespace std::chrono_literals;

namespace {

// Keeps what would have gone out and answers with a fixed reply.
class RecordingTransport : public HttpTransport {
public:
    HttpResult post(const QString& url, const RequestBody& body) override {
        urls << url;
        bodies << body.toByteArray();
        HttpResult result;
        result.ok = true;
        result.status = 200;
        result.body = reply;
        result.requestComplete = true;
        return result;
    }
    QStringList urls;
    QList<QByteArray> bodies;
    QByteArray reply = "00 1";
};

enum Operation { SystemTime, Info, Status, Undelivered, StatusToDate, MsgBody, MsgIdToDate, Send };

const QString User = QStringLiteral("demo-1000");
const QString Pass = QStringLiteral("s3cret");

QString call(Gateway& gateway, Operation op) {
    switch (op) {
    case SystemTime:
        return gateway.GetSystemTime(User, Pass);
    case Info:
        return gateway.GetInfo(User, Pass);
    case Status:
        return gateway.getmsgstatus(User, Pass, QStringLiteral("1000001"));
    case Undelivered:
        return gateway.getmsgstatusundelivered(User, Pass, QStringLiteral("1000001"));
    case StatusToDate:
        return gateway.getmsgstatustodate(User, Pass, QStringLiteral("2024-03-01"),
                                          QStringLiteral("2024-03-31"));
    case MsgBody:
        return gateway.getmsgbody(User, Pass, QStringLiteral("5321234567"),
                                  QStringLiteral("1000001"));
    case MsgIdToDate:
        return gateway.getmsgidtodate(User, Pass, QStringLiteral("5321234567"),
                                      QStringLiteral("2024-03-01"), QStringLiteral("2024-03-31"));
    case Send:
        gateway.addtosmsbasket(QStringLiteral("Merhaba"), QStringLiteral("5321234567"));
        return gateway.sendsms(User, Pass, QStringLiteral("PARLEX"),
                               QStringLiteral("050320241430"));
    }
    return QString();
}

QString today() {
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

class TestGateway : public QObject {
    Q_OBJECT

private slots:
    void requestBodies_data();
    void requestBodies();
    void bodiesReachTheGatewayAsSent();
    void largeBasketGoesWithoutExpectHeader();
    void addressIsReadAtEachRequest();
    void emptyBasketSendsNothing();
    void basketKeepsInsertionOrder();
    void basketFieldSizes_data();
    void basketFieldSizes();
    void cleaningBasketEqualsCleanThenQueue_data();
    void cleaningBasketEqualsCleanThenQueue();
    void transportFailures_data();
    void transportFailures();
    void onlyAQuietExchangeStalls_data();
    void onlyAQuietExchangeStalls();
    void basketSurvivesFailureOnly();
    void repliesPassThroughUnchanged_data();
    void repliesPassThroughUnchanged();
    void hostileValuesReachTheGatewayIntact_data();
    void hostileValuesReachTheGatewayIntact();
    void quotesAreLeftAlone();
    void onlyWebAddressesAreUsed_data();
    void onlyWebAddressesAreUsed();
    void reportsFollowThePackage();
    void messageTextsComeBackIntact();
    void charactersNoXmlMayHoldAreReplaced_data();
    void charactersNoXmlMayHoldAreReplaced();
    void infoReplyReaders_data();
    void infoReplyReaders();
    void packageIdentifier_data();
    void packageIdentifier();
};

void TestGateway::requestBodies_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<QByteArray>("body");

    const QByteArray report = "<MainReportRoot><UserName>demo-1000</UserName>"
                              "<PassWord>s3cret</PassWord><Action>";
    QTest::newRow("system time") << int(SystemTime) << report + "12</Action></MainReportRoot>";
    QTest::newRow("info") << int(Info) << report + "4</Action></MainReportRoot>";
    QTest::newRow("status") << int(Status)
                            << report + "11</Action><MsgID>1000001</MsgID></MainReportRoot>";
    QTest::newRow("undelivered") << int(Undelivered)
                                 << report + "9</Action><MsgID>1000001</MsgID></MainReportRoot>";
    QTest::newRow("status to date")
        << int(StatusToDate)
        << report + "17</Action><FDate>2024-03-01</FDate><LDate>2024-03-31</LDate>"
                    "</MainReportRoot>";
    QTest::newRow("message body")
        << int(MsgBody)
        << report + "15</Action><GsmNo>5321234567</GsmNo><MsgID>1000001</MsgID>"
                    "</MainReportRoot>";
    QTest::newRow("packages to a number")
        << int(MsgIdToDate)
        << report + "14</Action><GsmNo>5321234567</GsmNo><FDate>2024-03-01</FDate>"
                    "<LDate>2024-03-31</LDate></MainReportRoot>";
    QTest::newRow("package")
        << int(Send)
        << QByteArray("<MainmsgBody><UserName>demo-1000</UserName><PassWord>s3cret</PassWord>"
                      "<Action>1</Action><Messages><Message><Mesgbody>Merhaba</Mesgbody>"
                      "<Number>5321234567</Number></Message></Messages>"
                      "<Originator>PARLEX</Originator><SDate>050320241430</SDate>"
                      "</MainmsgBody>");
}

void TestGateway::requestBodies() {
    QFETCH(int, operation);
    QFETCH(QByteArray, body);
    TestEnvironment env;
    App().gGatewayUrl = QStringLiteral("https://gateway.example/sms/com.corvane");
    auto transport = std::make_shared<RecordingTransport>();
    Gateway gateway(transport);

    call(gateway, Operation(operation));

    QCOMPARE(transport->bodies.size(), 1);
    QCOMPARE(transport->bodies.front(), body);
    QCOMPARE(transport->urls.front(), QStringLiteral("https://gateway.example/sms/com.corvane"));
}

void TestGateway::bodiesReachTheGatewayAsSent() {
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;

    QCOMPARE(gateway.GetInfo(User, Pass), QStringLiteral("1000\nPARLEX\nACME\n"));

    const auto requests = sim->requests();
    QCOMPARE(requests.size(), size_t(1));
    QCOMPARE(requests[0].path, std::string("/sms/com.corvane"));
    QCOMPARE(requests[0].body, std::string("<MainReportRoot><UserName>demo-1000</UserName>"
                                           "<PassWord>s3cret</PassWord><Action>4</Action>"
                                           "</MainReportRoot>"));
    QCOMPARE(requests[0].contentType, std::string("text/plain;charset=UTF-8"));
}

void TestGateway::largeBasketGoesWithoutExpectHeader() {
    // libcurl would otherwise ask "Expect: 100-continue" for a large body
    // and wait for an answer that some gateways never give.
    TestEnvironment env;
    SimulatorFixture sim;
    sim->setCredit(SimulatorFixture::MainUser, 100000);
    Gateway gateway;
    const QString text(160, QLatin1Char('x'));
    for (int i = 0; i < 20000; ++i)
        gateway.addtosmsbasket(text, QStringLiteral("53%1").arg(i, 8, 10, QLatin1Char('0')));

    const QString reply = gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString());

    QVERIFY2(reply.startsWith(QLatin1String("00 ")), qPrintable(reply));
    const auto requests = sim->requests();
    QCOMPARE(requests.size(), size_t(1));
    QVERIFY(requests[0].bodySize > 4'000'000);
    QCOMPARE(requests[0].expect, std::string());
    QCOMPARE(sim->packages().front().messageCount, size_t(20000));
}

void TestGateway::addressIsReadAtEachRequest() {
    TestEnvironment env;
    auto transport = std::make_shared<RecordingTransport>();
    Gateway gateway(transport);

    App().gGatewayUrl = QStringLiteral("https://a.example/sms/com.corvane");
    gateway.GetInfo(User, Pass);
    App().gGatewayUrl = QStringLiteral("http://192.168.1.5/hollin");
    gateway.GetInfo(QStringLiteral("demo"), Pass);

    QCOMPARE(transport->urls, QStringList({QStringLiteral("https://a.example/sms/com.corvane"),
                                           QStringLiteral("http://192.168.1.5/hollin")}));
}

void TestGateway::emptyBasketSendsNothing() {
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;

    QCOMPARE(gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString()),
             QStringLiteral("-2"));

    gateway.addtosmsbasket(QStringLiteral("a"), QStringLiteral("5321234567"));
    gateway.clearsmsbasket();
    QCOMPARE(gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString()),
             QStringLiteral("-2"));
    QCOMPARE(sim->requestCount(), 0);
}

void TestGateway::basketKeepsInsertionOrder() {
    TestEnvironment env;
    auto transport = std::make_shared<RecordingTransport>();
    Gateway gateway(transport);
    gateway.addtosmsbasket(QStringLiteral("bir"), QStringLiteral("5320000001"));
    gateway.addtosmsbasket(QStringLiteral("iki"), QStringLiteral("5320000002"));
    gateway.addtosmsbasket(QStringLiteral("uc"), QStringLiteral("5320000003"));

    gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString());

    const QByteArray body = transport->bodies.front();
    const QByteArray messages =
        "<Messages>"
        "<Message><Mesgbody>bir</Mesgbody><Number>5320000001</Number></Message>"
        "<Message><Mesgbody>iki</Mesgbody><Number>5320000002</Number></Message>"
        "<Message><Mesgbody>uc</Mesgbody><Number>5320000003</Number></Message>"
        "</Messages>";
    QVERIFY2(body.contains(messages), body.constData());
}

void TestGateway::basketFieldSizes_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("gsm");
    QTest::addColumn<bool>("raises");

    QTest::newRow("160 characters") << QString(160, QLatin1Char('a')) << "5321234567" << false;
    QTest::newRow("160 Turkish letters") << QString(160, QChar(0x015F)) << "5321234567" << false;
    QTest::newRow("161 characters") << QString(161, QLatin1Char('a')) << "5321234567" << true;
    QTest::newRow("20-character number") << "a" << QString(20, QLatin1Char('5')) << false;
    QTest::newRow("21-character number") << "a" << QString(21, QLatin1Char('5')) << true;
}

void TestGateway::basketFieldSizes() {
    QFETCH(QString, message);
    QFETCH(QString, gsm);
    QFETCH(bool, raises);
    TestEnvironment env;
    auto transport = std::make_shared<RecordingTransport>();
    Gateway gateway(transport);
    gateway.addtosmsbasket(QStringLiteral("önce"), QStringLiteral("5320000001"));

    bool raised = false;
    try {
        gateway.addtosmsbasket(message, gsm);
    } catch (const RecordsetError&) {
        raised = true;
    }
    QCOMPARE(raised, raises);
    QCOMPARE(gateway.basketCount(), raises ? 1 : 2);

    // A refused row leaves no trace in the package.
    gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString());
    QCOMPARE(transport->bodies.front().count("<Message>"), raises ? 1 : 2);
}

void TestGateway::cleaningBasketEqualsCleanThenQueue_data() {
    // The senders queue through addCleanedToBasket; the package must be the
    // one CleanMessageText and addtosmsbasket would have made.
    QTest::addColumn<QString>("message");

    QTest::newRow("Turkish letters") << QStringLiteral("Sayın Ayşe Öztürk, ÇĞİŞÜ çğışü é");
    QTest::newRow("markup characters") << QStringLiteral("a & b <c> ~d");
    QTest::newRow("line breaks") << QStringLiteral("a\r\nb\rc\nd");
    QTest::newRow("other controls kept") << QStringLiteral("a\tb");
    QTest::newRow("characters beyond Latin-1") << QStringLiteral("€ ₺ ж");
    QTest::newRow("surrogate pair") << QStringLiteral("gül 😀 gül");
    QTest::newRow("pair split by a line break")
        << QString(QChar(0xD83D)) + QLatin1Char('\n') + QChar(0xDE00);
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + QLatin1Char('x');
    QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) + QLatin1Char('x');
    QTest::newRow("160 characters") << QString(160, QLatin1Char('a'));
    QTest::newRow("161 that clean to 160") << QString(160, QLatin1Char('a')) + QLatin1Char('\n');
    QTest::newRow("161 characters") << QString(161, QLatin1Char('a'));
    QTest::newRow("empty") << QString();
}

void TestGateway::cleaningBasketEqualsCleanThenQueue() {
    QFETCH(QString, message);
    TestEnvironment env;
    const QString number = QStringLiteral("5321234567");

    auto expectedTransport = std::make_shared<RecordingTransport>();
    Gateway expected(expectedTransport);
    bool expectedRaises = false;
    try {
        expected.addtosmsbasket(CleanMessageText(message), number);
    } catch (const RecordsetError&) {
        expectedRaises = true;
    }
    auto transport = std::make_shared<RecordingTransport>();
    Gateway gateway(transport);
    bool raises = false;
    try {
        gateway.addCleanedToBasket(message, number);
    } catch (const RecordsetError&) {
        raises = true;
    }
    QCOMPARE(raises, expectedRaises);
    if (raises) {
        QCOMPARE(gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString()),
                 QStringLiteral("-2"));
        return;
    }
    gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString());
    expected.sendsms(User, Pass, QStringLiteral("PARLEX"), QString());
    QCOMPARE(transport->bodies.size(), 1);
    QCOMPARE(transport->bodies.front(), expectedTransport->bodies.front());
}

void TestGateway::transportFailures_data() {
    // requestComplete: whether the gateway may have acted on the request.
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("requestComplete");
    QTest::newRow("refused port") << "refused" << false;
    QTest::newRow("connection cut") << "close" << true;
    QTest::newRow("request taken, then silence") << "stall" << true;
}

void TestGateway::transportFailures() {
    QFETCH(QString, failure);
    QFETCH(bool, requestComplete);
    TestEnvironment env;
    SimulatorFixture sim;
    std::shared_ptr<HttpTransport> transport;
    if (failure == QLatin1String("refused")) {
        App().gGatewayUrl = QStringLiteral("http://127.0.0.1:%1/sms/com.corvane")
                                .arg(SimulatorFixture::closedPort());
    } else if (failure == QLatin1String("close")) {
        sim->setFault(4, SimFault::close());
    } else {
        // The simulator cuts the delay short when the test ends.
        sim->setFault(4, SimFault::delayed(60s));
        transport = std::make_shared<CurlTransport>(GatewayTimeouts{2s, 300ms});
    }
    Gateway gateway(transport);

    QCOMPARE(gateway.GetInfo(User, Pass), QStringLiteral("-1"));
    QVERIFY(gateway.lastExchange().transportFailed);
    QVERIFY(!gateway.lastExchange().error.isEmpty());
    QCOMPARE(gateway.lastExchange().requestComplete, requestComplete);
}

void TestGateway::onlyAQuietExchangeStalls_data() {
    // libcurl's counts, sampled every 900 ms against a 1 s stall period, grow
    // by these steps for a number of samples and then stand still.
    QTest::addColumn<int>("sentStep");
    QTest::addColumn<int>("receivedStep");
    QTest::addColumn<int>("moving");
    QTest::addColumn<int>("endsAt"); // the sample that ends it, -1 for none
    QTest::newRow("large upload that keeps moving") << 1000 << 0 << 100 << -1;
    QTest::newRow("slow reply that keeps coming") << 0 << 10 << 100 << -1;
    QTest::newRow("request sent, then silence") << 1000 << 0 << 3 << 5;
    QTest::newRow("nothing ever moves") << 0 << 0 << 0 << 2;
}

void TestGateway::onlyAQuietExchangeStalls() {
    QFETCH(int, sentStep);
    QFETCH(int, receivedStep);
    QFETCH(int, moving);
    QFETCH(int, endsAt);
    const StallWatch::Clock::time_point start;
    StallWatch watch(1s, start);
    int ended = -1;
    for (int i = 0; ended < 0 && i < 100; ++i) {
        const int steps = std::min(i, moving);
        if (watch.stalled(steps * sentStep, steps * receivedStep, start + i * 900ms))
            ended = i;
    }
    QCOMPARE(ended, endsAt);
}

void TestGateway::basketSurvivesFailureOnly() {
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;
    for (int i = 1; i <= 3; ++i)
        gateway.addtosmsbasket(QStringLiteral("mesaj %1").arg(i),
                               QStringLiteral("532000000%1").arg(i));

    App().gGatewayUrl =
        QStringLiteral("http://127.0.0.1:%1/sms/com.corvane").arg(SimulatorFixture::closedPort());
    QCOMPARE(gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString()),
             QStringLiteral("-1"));
    QCOMPARE(gateway.basketCount(), 3);

    // The same basket goes out whole once the gateway answers.
    sim.useMainAccount();
    const QString reply = gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString());
    QVERIFY2(reply.startsWith(QLatin1String("00 ")), qPrintable(reply));
    QCOMPARE(sim->packages().front().messageCount, size_t(3));
    QCOMPARE(gateway.basketCount(), 0);

    // A refusal is a reply too: the basket is emptied.
    gateway.addtosmsbasket(QStringLiteral("x"), QStringLiteral("5320000009"));
    QCOMPARE(gateway.sendsms(User, Pass, QStringLiteral("YOK"), QString()), QStringLiteral("06"));
    QCOMPARE(gateway.basketCount(), 0);
}

void TestGateway::repliesPassThroughUnchanged_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<QString>("reply");

    QTest::newRow("proxy page")
        << int(SimFault::Kind::HtmlPage)
        << QByteArray("<HTML><HEAD><TITLE>Yasak</TITLE></HEAD><BODY>Proxy</BODY></HTML>\r\n")
        << "<HTML><HEAD><TITLE>Yasak</TITLE></HEAD><BODY>Proxy</BODY></HTML>\r\n";
    QTest::newRow("HTTP 500 body")
        << int(SimFault::Kind::Http500) << QByteArray("Sunucu hatası: veritabanı kapalı")
        << QStringLiteral("Sunucu hatası: veritabanı kapalı");
    QTest::newRow("code") << int(SimFault::Kind::Reply) << QByteArray("04") << "04";
    QTest::newRow("empty") << int(SimFault::Kind::Reply) << QByteArray() << "";
    QTest::newRow("Windows-1254 reply")
        << int(SimFault::Kind::Reply) << QByteArray("\xDD\xFE\xF0\xFD\xDE\xD0 100")
        << QStringLiteral("İşğıŞĞ 100");
    QTest::newRow("UTF-8 reply") << int(SimFault::Kind::Reply)
                                 << QByteArray("\xC4\xB0\xC5\x9F\xC4\x9F 100")
                                 << QStringLiteral("İşğ 100");
}

void TestGateway::repliesPassThroughUnchanged() {
    QFETCH(int, kind);
    QFETCH(QByteArray, served);
    QFETCH(QString, reply);
    TestEnvironment env;
    SimulatorFixture sim;
    SimFault fault;
    fault.kind = SimFault::Kind(kind);
    fault.text = served.toStdString();
    sim->setFault(12, fault);
    Gateway gateway;

    QCOMPARE(gateway.GetSystemTime(User, Pass), reply);
    QVERIFY(!gateway.lastExchange().transportFailed);
}

void TestGateway::hostileValuesReachTheGatewayIntact_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("originator");

    QTest::newRow("markup in the password") << "demo-1000"
                                            << "a<b&c"
                                            << "PARLEX";
    QTest::newRow("element injection") << "demo-1000"
                                       << "x</PassWord><Action>4</Action><PassWord>y"
                                       << "PARLEX";
    QTest::newRow("entity-looking text") << "demo-1000"
                                         << "&amp;&lt;"
                                         << "PARLEX";
    QTest::newRow("ampersand in the user") << "Ali&Veli-1000"
                                           << "s3cret"
                                           << "PARLEX";
    QTest::newRow("markup in the originator") << "demo-1000"
                                              << "s3cret"
                                              << "A&B<C>";
}

void TestGateway::hostileValuesReachTheGatewayIntact() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, originator);
    TestEnvironment env;
    SimulatorFixture sim;
    sim->addAccount(
        SimAccount{user.toStdString(), password.toStdString(), 20, {originator.toStdString()}});
    Gateway gateway;

    QCOMPARE(gateway.GetInfo(user, password), QStringLiteral("20\n") + originator + u'\n');
    gateway.addtosmsbasket(QStringLiteral("Merhaba"), QStringLiteral("5321234567"));
    const QString reply = gateway.sendsms(user, password, originator, QString());
    QVERIFY2(reply.startsWith(QLatin1String("00 ")), qPrintable(reply));
    QCOMPARE(sim->packages().front().originator, originator.toStdString());
}

void TestGateway::quotesAreLeftAlone() {
    TestEnvironment env;
    auto transport = std::make_shared<RecordingTransport>();
    Gateway gateway(transport);
    gateway.GetInfo(User, QStringLiteral("it's \"x\""));
    QVERIFY(transport->bodies.front().contains("<PassWord>it's \"x\"</PassWord>"));
}

void TestGateway::onlyWebAddressesAreUsed_data() {
    QTest::addColumn<QString>("url");
    QTest::newRow("local file") << "file:///etc/hostname";
    QTest::newRow("ftp") << "ftp://127.0.0.1/";
    QTest::newRow("empty") << "";
    QTest::newRow("garbage") << "::: not an address";
}

void TestGateway::onlyWebAddressesAreUsed() {
    QFETCH(QString, url);
    TestEnvironment env;
    SimulatorFixture sim;
    App().gGatewayUrl = url;
    Gateway gateway;
    QCOMPARE(gateway.GetSystemTime(User, Pass), QStringLiteral("-1"));
}

void TestGateway::reportsFollowThePackage() {
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;
    gateway.addtosmsbasket(QStringLiteral("bir"), QStringLiteral("5320000010"));
    gateway.addtosmsbasket(QStringLiteral("iki"), QStringLiteral("5320000017"));
    gateway.addtosmsbasket(QStringLiteral("uc"), QStringLiteral("5320000018"));
    const QString id = PackageIdOf(gateway.sendsms(User, Pass, QStringLiteral("ACME"), QString()));
    QVERIFY(!id.isEmpty());

    // Each line ends in the number, one separator and the state digit.
    const QString lines = gateway.getmsgstatus(User, Pass, id);
    QStringList states;
    for (const QString& line : lines.split(u'\n', Qt::SkipEmptyParts))
        states << line.right(12).left(10) + u'=' + line.right(1);
    QCOMPARE(states, QStringList({QStringLiteral("5320000010=3"), QStringLiteral("5320000017=5"),
                                  QStringLiteral("5320000018=2")}));
    QVERIFY(lines.endsWith(u'\n'));

    QCOMPARE(gateway.getmsgstatusundelivered(User, Pass, id).count(u'\n'), 2);
    QCOMPARE(gateway.getmsgstatustodate(User, Pass, today(), today()).count(u'\n'), 3);
    QCOMPARE(gateway.getmsgstatustodate(User, Pass, QStringLiteral("2001-01-01"),
                                        QStringLiteral("2001-01-02")),
             QStringLiteral("18"));
    QCOMPARE(gateway.getmsgstatustodate(User, Pass, today(), QStringLiteral("2001-01-01")),
             QStringLiteral("17"));
    QCOMPARE(gateway.getmsgstatustodate(User, Pass, QStringLiteral("01.03.2024"), today()),
             QStringLiteral("17"));

    const QString packages =
        gateway.getmsgidtodate(User, Pass, QStringLiteral("5320000017"), today(), today());
    QCOMPARE(packages.section(u' ', 0, 0), id);
    QVERIFY(packages.endsWith(u'\n'));
    QCOMPARE(gateway.getmsgidtodate(User, Pass, QStringLiteral("5329999999"), today(), today()),
             QStringLiteral("08"));
    QCOMPARE(gateway.getmsgstatus(User, Pass, QStringLiteral("999")), QStringLiteral("08"));

    // Another account never sees the package.
    QCOMPARE(gateway.getmsgstatus(QStringLiteral("hollin"), QStringLiteral("h0llin"), id),
             QStringLiteral("08"));
    QCOMPARE(gateway.getmsgstatus(User, QStringLiteral("yanlis"), id), QStringLiteral("01"));
}

void TestGateway::messageTextsComeBackIntact() {
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;
    const QString first = QStringLiteral("Fatura < 100 TL & son gün > yarın");
    gateway.addtosmsbasket(first, QStringLiteral("5321234567"));
    gateway.addtosmsbasket(QStringLiteral("ikinci"), QStringLiteral("5321234567"));
    gateway.addtosmsbasket(QStringLiteral("başkası"), QStringLiteral("5329999999"));
    const QString id =
        PackageIdOf(gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString()));

    QDomDocument doc;
    QVERIFY(doc.setContent(gateway.getmsgbody(User, Pass, QStringLiteral("5321234567"), id)));
    const QDomNodeList bodies = doc.elementsByTagName(QStringLiteral("msgbody"));
    QCOMPARE(bodies.size(), 2);
    QCOMPARE(bodies.at(0).toElement().text(), first);
    QCOMPARE(bodies.at(1).toElement().text(), QStringLiteral("ikinci"));
    QCOMPARE(gateway.getmsgbody(User, Pass, QStringLiteral("5320000000"), id),
             QStringLiteral("08"));
}

void TestGateway::charactersNoXmlMayHoldAreReplaced_data() {
    // A stray control character in one row must not make the gateway refuse
    // the whole package as malformed ("02"): it arrives as U+FFFD.
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("cleaned");

    const QString r(QChar(0xFFFD));
    for (const bool cleaned : {false, true}) {
        const char* way = cleaned ? "cleaned" : "as queued";
        QTest::addRow("controls, %s", way) << QStringLiteral("a\x01"
                                                             "b\x0B"
                                                             "c\x1F")
                                           << u'a' + r + u'b' + r + u'c' + r << cleaned;
        QTest::addRow("non-characters, %s", way)
            << QString(QChar(0xFFFE)) + QChar(0xFFFF) + u'x' << r + r + u'x' << cleaned;
        QTest::addRow("tab kept, %s", way)
            << QStringLiteral("a\tb") << QStringLiteral("a\tb") << cleaned;
    }
}

void TestGateway::charactersNoXmlMayHoldAreReplaced() {
    QFETCH(QString, message);
    QFETCH(QString, stored);
    QFETCH(bool, cleaned);
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;
    if (cleaned)
        gateway.addCleanedToBasket(message, QStringLiteral("5321234567"));
    else
        gateway.addtosmsbasket(message, QStringLiteral("5321234567"));
    const QString reply = gateway.sendsms(User, Pass, QStringLiteral("PARLEX"), QString());
    QVERIFY2(reply.startsWith(QLatin1String("00 ")), qPrintable(reply));
    const auto messages = sim->packageMessages(PackageIdOf(reply).toStdString());
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(QString::fromStdString(messages[0].text), stored);
}

void TestGateway::infoReplyReaders_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<qint64>("credit");
    QTest::addColumn<QStringList>("originators");

    QTest::newRow("credit and two senders") << "1500\nPARLEX\nACME\n"
                                            << qint64(1500) << QStringList{"PARLEX", "ACME"};
    QTest::newRow("last piece without LF")
        << "1500\nPARLEX\nACME" << qint64(1500) << QStringList{"PARLEX"};
    QTest::newRow("CR LF lines") << " 25\r\nPARLEX\r\n" << qint64(25) << QStringList{"PARLEX"};
    QTest::newRow("credit only") << "7" << qint64(7) << QStringList();
    QTest::newRow("not a number") << "bilinmiyor\nPARLEX\n" << qint64(0) << QStringList{"PARLEX"};
    QTest::newRow("decimal") << "12,5\n" << qint64(0) << QStringList();
    QTest::newRow("empty") << "" << qint64(0) << QStringList();
}

void TestGateway::infoReplyReaders() {
    QFETCH(QString, reply);
    QFETCH(qint64, credit);
    QFETCH(QStringList, originators);
    QCOMPARE(CreditOf(reply), credit);
    QCOMPARE(OriginatorsOf(reply), originators);
}

void TestGateway::packageIdentifier_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("id");
    QTest::newRow("two digits, blank, number") << "00 123456"
                                               << "123456";
    QTest::newRow("three other characters, trailing blank") << "OK:987 "
                                                            << "987";
    QTest::newRow("line end") << "00 42\r\n"
                              << "42";
}

void TestGateway::packageIdentifier() {
    QFETCH(QString, reply);
    QFETCH(QString, id);
    QCOMPARE(PackageIdOf(reply), id);
}

QTEST_GUILESS_MAIN(TestGateway)
#include "tst_gateway.moc"
