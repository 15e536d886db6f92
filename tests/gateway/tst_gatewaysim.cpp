#include <QProcess>
#include <QRegularExpression>

#include "GatewayTestSupport.h"

namespace {

// Starts the command and points the client at it; false when it does not
// say where it listens.
bool startSimulator(QProcess& process, const QStringList& arguments) {
    process.start(QStringLiteral(PARLEX_GATEWAY_SIM), arguments);
    if (!process.waitForStarted(10000))
        return false;
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(10000))
            return false;
    }
    const auto match = QRegularExpression(u"^listening on 127\\.0\\.0\\.1:(\\d+)$"_s)
                           .match(QString::fromUtf8(process.readLine()).trimmed());
    App().gGatewayUrl = u"http://127.0.0.1:%1/com.corvane"_s.arg(match.captured(1));
    return match.hasMatch();
}

} // namespace

class TestGatewaySim : public QObject {
    Q_OBJECT

private slots:
    void commandKeepsItsStateAcrossRestarts();
    void badCommandLinesAreRefused_data();
    void badCommandLinesAreRefused();
    void packagesAreReadStrictly_data();
    void packagesAreReadStrictly();
};

void TestGatewaySim::commandKeepsItsStateAcrossRestarts() {
    // As the demo runs it: the password may hold colons.
    TestEnvironment env;
    const QStringList arguments =
        u"--port 0 --final --account ali-7:p:a:ss:7:PARLEX,ACME"_s.split(u' ')
        << u"--state"_s << env.filePath(u"state"_s);
    const QString user = u"ali-7"_s, password = u"p:a:ss"_s;
    QString id;
    for (const bool restarted : {false, true}) {
        QProcess process;
        QVERIFY(startSimulator(process, arguments));
        Gateway gateway;
        QCOMPARE(gateway.GetInfo(user, password),
                 restarted ? u"5\nPARLEX\nACME\n"_s : u"7\nPARLEX\nACME\n"_s);
        if (restarted) {
            // Each line ends in the number, one separator and the state digit.
            QStringList states;
            for (const QString& line : gateway.getmsgstatus(user, password, id).split(u'\n'))
                states << line.right(12).left(10) + u'=' + line.right(1);
            QCOMPARE(states, QStringList({"5321234560=3", "5321234567=5", "="}));
            // An unknown account sees nothing.
            QCOMPARE(gateway.getmsgstatus(u"x"_s, u"y"_s, id), u"01"_s);
        }
        gateway.addtosmsbasket(u"Merhaba"_s, u"5321234560"_s);
        gateway.addtosmsbasket(u"Selam"_s, u"5321234567"_s);
        const QString next = PackageIdOf(gateway.sendsms(user, password, u"PARLEX"_s, QString()));
        // Identifiers go on where they stopped.
        QVERIFY(next.toLongLong() > id.toLongLong());
        id = next;
        process.terminate();
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }
}

void TestGatewaySim::badCommandLinesAreRefused_data() {
    QTest::addColumn<QStringList>("arguments"); // PORT: one in use
    QTest::addColumn<int>("exitCode");
    QTest::newRow("port too large") << QStringList{"--port", "70000"} << 2;
    QTest::newRow("unknown option") << QStringList{"--host", "0.0.0.0"} << 2;
    QTest::newRow("port in use") << QStringList{"--port", "PORT"} << 1;
}

void TestGatewaySim::badCommandLinesAreRefused() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    GatewaySimulator busy;
    QVERIFY(busy.start(0));
    QProcess process;
    process.start(QStringLiteral(PARLEX_GATEWAY_SIM),
                  arguments.replaceInStrings(u"PORT"_s, QString::number(busy.port())));
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY(!process.readAllStandardError().isEmpty());
}

void TestGatewaySim::packagesAreReadStrictly_data() {
    // A message's text as a client might post it, and the text stored, or
    // the refusal code. A client that forgets to escape a value is caught
    // here as at the real gateway.
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("stored");

    const auto row = [](const char* name, const QByteArray& text, const QString& stored) {
        QTest::newRow(name) << text << stored;
    };
    row("named entities", "a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos;", "a & b <c> \"d\" 'e'");
    row("character references", "&#351;&#x15F;&#x15e;", u"şşŞ"_s);
    row("CDATA", "<![CDATA[a & <b>]]>", "a & <b>");
    row("many comments in a row", "a" + QByteArray("<!---->").repeated(200000) + "b", "ab");
    row("bare ampersand", "a & b", "02");
    row("bare less-than", "a < b", "02");
    row("reference to a control", "&#1;", "02");
    row("raw control character", "a\x01z", "02");
    row("control character in CDATA", "<![CDATA[a\x0b]]>", "02");
    row("end tag of another name", "Ali</Mesgbod>", "02");
    row("161 characters", QByteArray(161, 'x'), "11");
}

void TestGatewaySim::packagesAreReadStrictly() {
    QFETCH(QByteArray, text);
    QFETCH(QString, stored);
    GatewayWorld w;
    const QByteArray body = "<MainmsgBody><UserName>demo-1000</UserName><PassWord>s3cret"
                            "</PassWord><Action>1</Action><Messages><Message><Mesgbody>" +
                            text +
                            "</Mesgbody><Number>5321234567</Number></Message></Messages>"
                            "<Originator>PARLEX</Originator><SDate></SDate></MainmsgBody>";
    const QString reply =
        QString::fromUtf8(CurlTransport().post(w.sim.url(), RequestBody(body)).body);
    const bool refused = stored.size() == 2 && stored[0].isDigit();
    QCOMPARE(reply.left(2), refused ? stored : u"00"_s);
    QCOMPARE(w.sim->credit(SimulatorFixture::MainUser), SimulatorFixture::MainCredit - !refused);
    if (!refused)
        QCOMPARE(
            QString::fromStdString(w.sim->packageMessages(reply.mid(3).toStdString()).at(0).text),
            stored);
}

QTEST_GUILESS_MAIN(TestGatewaySim)
#include "tst_gatewaysim.moc"
