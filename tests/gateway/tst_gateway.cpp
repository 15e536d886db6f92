#include "GatewayTestSupport.h"
#include "core/Recordset.h"
#include "core/Routines.h"
#include "textsource/CodePage.h"

using namespace std::chrono_literals;

namespace {

// Keeps what would have gone out and answers "00 1".
class RecordingTransport : public HttpTransport {
public:
    HttpResult post(const QString& url, const RequestBody& body) override {
        urls << url;
        bodies << body.toByteArray();
        return HttpResult{true, 200, "00 1", QString(), true};
    }
    QStringList urls;
    QList<QByteArray> bodies;
};

} // namespace

class TestGateway : public QObject {
    Q_OBJECT

private slots:
    void everyOperationPostsItsDocument();
    void largePackageGoesWithoutExpectHeader();
    void queuedMessages_data();
    void queuedMessages();
    void transportFailures_data();
    void transportFailures();
    void onlyAQuietExchangeStalls_data();
    void onlyAQuietExchangeStalls();
    void infoReplyReaders_data();
    void infoReplyReaders();
    void longRepliesDecoded_data();
    void longRepliesDecoded();
};

void TestGateway::everyOperationPostsItsDocument() {
    TestEnvironment env;
    auto transport = std::make_shared<RecordingTransport>();
    App().gGatewayUrl = u"https://old.example/sms"_s;
    Gateway g(transport);
    // A change of account mode takes effect with the next request.
    App().gGatewayUrl = u"https://gateway.example/sms/com.corvane"_s;
    const QString id = u"1000001"_s, gsm = u"5321234567"_s, from = u"2024-03-01"_s;
    QCOMPARE(g.sendsms(User, Pass, u"PARLEX"_s, QString()), u"-2"_s); // empty: nothing posted
    g.GetSystemTime(User, Pass);
    g.GetInfo(User, Pass);
    g.getmsgstatus(User, Pass, id);
    g.getmsgstatustodate(User, Pass, from, u"2024-03-31"_s);
    g.getmsgbody(User, Pass, gsm, id);
    g.getmsgidtodate(User, Pass, gsm, from, u"2024-03-31"_s);
    // Messages in the order queued; markup escaped in every value, quotes need not be.
    g.addtosmsbasket(u"\"Ali\" & <b>"_s, gsm);
    g.addtosmsbasket(u"it's"_s, u"5320000002"_s);
    g.sendsms(u"Ali&Veli"_s, u"x</PassWord><Action>4</Action>"_s, u"A&B"_s, u"050320241430"_s);

    const QByteArray head = "<MainReportRoot><UserName>demo-1000</UserName>"
                            "<PassWord>s3cret</PassWord><Action>";
    const QByteArray dates = "<FDate>2024-03-01</FDate><LDate>2024-03-31</LDate>";
    const QByteArray tail = "</MainReportRoot>";
    QCOMPARE(transport->bodies,
             QList<QByteArray>({
                 head + "12</Action>" + tail,
                 head + "4</Action>" + tail,
                 head + "11</Action><MsgID>1000001</MsgID>" + tail,
                 head + "17</Action>" + dates + tail,
                 head + "15</Action><GsmNo>5321234567</GsmNo><MsgID>1000001</MsgID>" + tail,
                 head + "14</Action><GsmNo>5321234567</GsmNo>" + dates + tail,
                 "<MainmsgBody><UserName>Ali&amp;Veli</UserName><PassWord>x&lt;/PassWord&gt;"
                 "&lt;Action&gt;4&lt;/Action&gt;</PassWord><Action>1</Action><Messages>"
                 "<Message><Mesgbody>\"Ali\" &amp; &lt;b&gt;</Mesgbody><Number>5321234567"
                 "</Number></Message><Message><Mesgbody>it's</Mesgbody><Number>5320000002"
                 "</Number></Message></Messages><Originator>A&amp;B</Originator>"
                 "<SDate>050320241430</SDate></MainmsgBody>",
             }));
    QCOMPARE(transport->urls.first(), App().gGatewayUrl);
}

void TestGateway::largePackageGoesWithoutExpectHeader() {
    // libcurl would otherwise ask "Expect: 100-continue" for a large body and
    // wait for an answer that some gateways never give.
    GatewayWorld w;
    w.sim->setCredit(SimulatorFixture::MainUser, 100000);
    w.fill(20000);

    QVERIFY(w.gateway.sendsms(User, Pass, u"PARLEX"_s, QString()).startsWith(u"00 "));

    const SimRequestRecord request = w.sim->requests().at(0);
    QCOMPARE(request.path + ' ' + request.contentType + " Expect:" + request.expect,
             "/sms/com.corvane text/plain;charset=UTF-8 Expect:");
    QCOMPARE(w.sim->packages().at(0).messageCount, size_t(20000));
}

void TestGateway::queuedMessages_data() {
    // Whether the basket refuses a message (over 160 characters once
    // cleaned) or number (over 20); for characters no XML document may hold,
    // what the gateway gets instead: one stray control character must not
    // make it refuse the whole package ("02").
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("gsm");
    QTest::addColumn<bool>("raises");
    QTest::addColumn<QString>("sent");

    const QString gsm = u"5321234567"_s, r(QChar(0xFFFD));
    QTest::newRow("160 characters") << QString(160, u'a') << gsm << false << "";
    QTest::newRow("160 characters of two bytes") << QString(160, u'ж') << gsm << false << "";
    QTest::newRow("161 characters") << QString(161, u'a') << gsm << true << "";
    QTest::newRow("161 that clean to 160") << QString(160, u'a') + u'\n' << gsm << false << "";
    QTest::newRow("20-character number") << "a" << QString(20, u'5') << false << "";
    QTest::newRow("21-character number") << "a" << QString(21, u'5') << true << "";
    QTest::newRow("Turkish letters") << u"Sayın Ayşe Öztürk, ÇĞİŞÜ çğışü é"_s << gsm << false << "";
    QTest::newRow("markup, tilde, line breaks") << u"a & <c> ~d\r\nb\rc\nd"_s << gsm << false << "";
    QTest::newRow("surrogate pairs, one split by a line break")
        << u"gül 😀 "_s + QChar(0xD83D) + u'\n' + QChar(0xDE00) << gsm << false << "";
    QTest::newRow("lone surrogates")
        << QChar(0xD83D) + u"x"_s + QChar(0xDE00) << gsm << false << r + u'x' + r;
    QTest::newRow("controls") << u"a\x01z\x0B\x1F"_s << gsm << false << u'a' + r + u'z' + r + r;
    QTest::newRow("non-characters, tab kept")
        << QString(QChar(0xFFFE)) + QChar(0xFFFF) + u'\t' << gsm << false << r + r + u'\t';
}

void TestGateway::queuedMessages() {
    QFETCH(QString, message);
    QFETCH(QString, gsm);
    QFETCH(bool, raises);
    QFETCH(QString, sent);
    TestEnvironment env;
    auto transport = std::make_shared<RecordingTransport>();
    Gateway g(transport);
    // Cleaned, then queued; and cleaned on the way in, as the senders queue.
    for (const bool onTheWay : {false, true}) {
        g.addtosmsbasket(u"önce"_s, u"5320000001"_s);
        try {
            if (onTheWay)
                g.addCleanedToBasket(message, gsm);
            else
                g.addtosmsbasket(CleanMessageText(message), gsm);
            QVERIFY(!raises);
        } catch (const RecordsetError&) {
            QVERIFY(raises);
        }
        g.sendsms(User, Pass, u"PARLEX"_s, QString());
    }
    // A refused row leaves no trace in the package.
    QCOMPARE(transport->bodies[0].count("<Message>"), raises ? 1 : 2);
    QCOMPARE(transport->bodies[1], transport->bodies[0]);
    if (!sent.isEmpty())
        QVERIFY(transport->bodies[0].contains("<Mesgbody>" + sent.toUtf8() + "</Mesgbody>"));
}

void TestGateway::transportFailures_data() {
    // An address (%1: a port nobody listens on) or a fault of the simulator;
    // requestComplete: whether the gateway may have acted on the request.
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("requestComplete");
    QTest::newRow("refused port") << "http://127.0.0.1:%1/sms/com.corvane" << false;
    QTest::newRow("local file") << "file:///etc/hostname" << false;
    QTest::newRow("ftp") << "ftp://127.0.0.1:%1/" << false;
    QTest::newRow("connection cut") << "close" << true;
    QTest::newRow("request taken, then silence") << "stall" << true;
}

void TestGateway::transportFailures() {
    QFETCH(QString, failure);
    QFETCH(bool, requestComplete);
    TestEnvironment env;
    SimulatorFixture sim;
    std::shared_ptr<HttpTransport> transport;
    if (failure == u"close") {
        sim->setFault(1, SimFault::close());
    } else if (failure == u"stall") {
        // The simulator cuts the delay short when the test ends.
        sim->setFault(1, SimFault::delayed(60s));
        transport = std::make_shared<CurlTransport>(GatewayTimeouts{2s, 300ms});
    } else {
        App().gGatewayUrl = failure.arg(SimulatorFixture::closedPort());
    }
    Gateway gateway(transport);
    for (int i = 0; i < 3; ++i)
        gateway.addtosmsbasket(u"Merhaba"_s, u"5321234567"_s);

    QCOMPARE(gateway.sendsms(User, Pass, u"PARLEX"_s, QString()), u"-1"_s);
    QVERIFY(!gateway.lastExchange().error.isEmpty());
    QCOMPARE(gateway.lastExchange().requestComplete, requestComplete);
    // Counted before the connection closes: tests that count submissions rely on it.
    QCOMPARE(failure == u"stall" ? sim->arrivedCount(1) : sim->requestCount(), requestComplete);

    // The basket is kept for another try, and emptied by the reply to it.
    sim->clearFaults();
    sim.useMainAccount();
    const QString reply = gateway.sendsms(User, Pass, u"PARLEX"_s, QString());
    QCOMPARE(sim->packageMessages(PackageIdOf(reply).toStdString()).size(), size_t(3));
    QCOMPARE(gateway.basketCount(), 0);
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

void TestGateway::infoReplyReaders_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<qint64>("credit");
    QTest::addColumn<QStringList>("originators");
    QTest::addColumn<QString>("creditText"); // shown by the settings window and the wizard

    QTest::newRow("last piece without LF")
        << "1500\nPARLEX\nACME" << qint64(1500) << QStringList{"PARLEX"} << "1500";
    QTest::newRow("CR LF lines") << " 25\r\nPARLEX\r\n"
                                 << qint64(25) << QStringList{"PARLEX"} << " 25";
    QTest::newRow("decimal") << "12,5\n" << qint64(0) << QStringList() << "12,5";
}

void TestGateway::infoReplyReaders() {
    QFETCH(QString, reply);
    QFETCH(qint64, credit);
    QFETCH(QStringList, originators);
    QFETCH(QString, creditText);
    QCOMPARE(CreditOf(reply), credit);
    QCOMPARE(OriginatorsOf(reply), originators);
    const std::optional<AccountInfo> account = AccountInfoOf(reply);
    QVERIFY(account);
    QCOMPARE(account->creditText, creditText);
    QCOMPARE(account->credit, credit);
    QCOMPARE(account->originators, originators);
}

// A reply of megabytes is decoded a piece at a time with a breath between
// pieces, and reads exactly as if decoded at once: characters across a cut,
// a byte order mark inside it, a bad byte late in it (the whole reply is
// then Windows-1254).
void TestGateway::longRepliesDecoded_data() {
    QTest::addColumn<QByteArray>("reply");
    const QByteArray ascii(3 << 20, 'x');
    QTest::newRow("characters across every cut") << "a" + QByteArray("ş€𝄞").repeated(400000);
    QTest::newRow("byte order marks inside") << QByteArray("\xEF\xBB\xBF"
                                                           "a")
                                                    .repeated(800000);
    QTest::newRow("Windows-1254 at the end") << ascii + "\xDD\xFE";
    QTest::newRow("a sequence cut at the end") << ascii + "\xC5";
    QTest::newRow("short") << QByteArray("00 1");
}

void TestGateway::longRepliesDecoded() {
    QFETCH(QByteArray, reply);
    TestEnvironment env;
    struct Fixed : HttpTransport {
        QByteArray reply;
        HttpResult post(const QString&, const RequestBody&) override {
            return HttpResult{true, 200, reply, QString(), true};
        }
    };
    auto transport = std::make_shared<Fixed>();
    transport->reply = reply;
    Gateway gateway(transport);
    int breaths = 0;
    gateway.setBreath([&] { ++breaths; });
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString whole = utf8.decode(reply);
    if (utf8.hasError())
        whole = DecodeWindows1254(reply);
    QVERIFY(gateway.GetInfo("user", "password") == whole);
    // At least one breath a megabyte.
    QVERIFY(breaths >= reply.size() >> 20);
    QCOMPARE(breaths > 0, reply.size() > (1 << 20));
}

QTEST_GUILESS_MAIN(TestGateway)
#include "tst_gateway.moc"
