#include <QtTest>

#include "core/AppState.h"
#include "gateway/Gateway.h"
#include "gateway/Submission.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"

namespace {

void fill(Gateway& gateway, int count) {
    for (int i = 0; i < count; ++i) {
        gateway.addtosmsbasket(QStringLiteral("Sayin musteri, faturaniz hazir. %1").arg(i),
                               QStringLiteral("53%1").arg(i, 8, 10, QLatin1Char('0')));
    }
}

const QString File = QStringLiteral("liste.txt");
const QString Rule = QStringLiteral("Faturalar");

} // namespace

Q_DECLARE_METATYPE(SimFault)
Q_DECLARE_METATYPE(SubmissionVerdict)

class TestSubmission : public QObject {
    Q_OBJECT

private slots:
    void acceptedPackage();
    void creditDecides_data();
    void creditDecides();
    void windowComparesItsOwnCount();
    void unreadableCreditSendsNothing();
    void acceptedIdentifier_data();
    void acceptedIdentifier();
    void refusedSubmission_data();
    void refusedSubmission();
    void judgeSubmission_data();
    void judgeSubmission();
    void unknownOutcome_data();
    void unknownOutcome();
    void failedAccountCheck_data();
    void failedAccountCheck();
    void callbackRunsJustBeforeTheRequest();
    void throwingCallbackSendsNothing();
    void lostReply_data();
    void lostReply();
    void emptyBasketAsksNothing();
};

void TestSubmission::acceptedPackage() {
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;
    fill(gateway, 3);
    int calls = 0;
    SubmissionRequest request = SubmissionRequest::forActiveAccount(QStringLiteral("ACME"));
    request.beforeSubmit = [&] {
        ++calls;
    };

    const SubmissionOutcome out = SubmitPackage(gateway, request);

    QCOMPARE(out.stage, SubmissionStage::Submitted);
    QVERIFY(out.accepted);
    const auto packages = sim->packages();
    QCOMPARE(packages.size(), size_t(1));
    QCOMPARE(out.packageId, QString::fromStdString(packages[0].id));
    QCOMPARE(packages[0].messageCount, size_t(3));
    QCOMPARE(packages[0].originator, std::string("ACME"));
    QCOMPARE(out.credit, SimulatorFixture::MainCredit);
    QCOMPARE(out.messageCount, qint64(3));
    QCOMPARE(calls, 1);
    QCOMPARE(gateway.basketCount(), 0);

    QCOMPARE(out.runnerLogLine(Rule, File),
             "[Faturalar] liste.txt mesaj paketi başarıyla gönderildi. MsgID : " + out.packageId);
    QCOMPARE(out.runnerStatusLine(Rule), QString());
    QCOMPARE(out.fileLogLine(File),
             "[DosyadanSMS] liste.txt mesaj paketi başarıyla gönderildi. MsgID : " + out.packageId);
    QCOMPARE(out.fileBoxText(File), "Mesaj paketi başarıyla gönderildi. MsgID : " + out.packageId);
    QCOMPARE(out.fileBoxKind, UiServices::BoxKind::Information);
    // The routine records nothing itself.
    QVERIFY(env.ui().boxes.empty());
    QVERIFY(env.ui().statusTexts.empty());
}

void TestSubmission::creditDecides_data() {
    QTest::addColumn<bool>("hollin");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("box");

    QTest::newRow("as many as the credit") << false << 10 << true << "";
    QTest::newRow("one more than the credit") << false << 11 << false << "";
    QTest::newRow("one more, intranet gateway")
        << true << 11 << false << "liste.txt mesaj paketi gönderilemedi. Yetersiz kredi miktarı.";
}

void TestSubmission::creditDecides() {
    QFETCH(bool, hollin);
    QFETCH(int, messages);
    QFETCH(bool, sent);
    QFETCH(QString, box);
    TestEnvironment env;
    SimulatorFixture sim;
    std::string user = SimulatorFixture::MainUser;
    QString originator = QStringLiteral("PARLEX");
    if (hollin) {
        sim.useHollinAccount();
        user = SimulatorFixture::HollinUser;
        originator = QStringLiteral("HOLLIN");
    }
    sim->setCredit(user, 10);
    Gateway gateway;
    fill(gateway, messages);

    const SubmissionOutcome out =
        SubmitPackage(gateway, SubmissionRequest::forActiveAccount(originator));

    QCOMPARE(out.credit, qint64(10));
    QCOMPARE(out.accepted, sent);
    QCOMPARE(sim->requestCount(1), sent ? 1 : 0);
    QCOMPARE(sim->credit(user), sent ? qint64(0) : qint64(10));
    if (!sent) {
        QCOMPARE(out.stage, SubmissionStage::InsufficientCredit);
        QCOMPARE(out.runnerLogLine(Rule, File),
                 "[Faturalar] liste.txt mesaj paketi gönderilemedi. Yetersiz kredi miktarı.");
        QCOMPARE(out.runnerStatusLine(Rule), QString());
        QCOMPARE(out.fileLogLine(File),
                 "[DosyadanSMS] liste.txt mesaj paketi gönderilemedi. Yetersiz kredi miktarı.");
        QCOMPARE(out.fileBoxText(File), box);
        QCOMPARE(gateway.basketCount(), 0);
    }
}

void TestSubmission::windowComparesItsOwnCount() {
    // The window compares the rows it accepted, even after the user took
    // some out of the list.
    TestEnvironment env;
    SimulatorFixture sim;
    sim->setCredit(SimulatorFixture::MainUser, 10);
    Gateway gateway;
    fill(gateway, 5);
    SubmissionRequest request = SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX"));
    request.messageCount = 11;

    const SubmissionOutcome out = SubmitPackage(gateway, request);
    QCOMPARE(out.stage, SubmissionStage::InsufficientCredit);
    QCOMPARE(sim->requestCount(1), 0);
}

void TestSubmission::unreadableCreditSendsNothing() {
    TestEnvironment env;
    SimulatorFixture sim;
    sim->setFault(4, SimFault::reply("bilinmiyor\nPARLEX\n"));
    Gateway gateway;
    fill(gateway, 1);

    const SubmissionOutcome out =
        SubmitPackage(gateway, SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX")));
    QCOMPARE(out.stage, SubmissionStage::InsufficientCredit);
    QCOMPARE(out.credit, qint64(0));
    QCOMPARE(sim->requestCount(1), 0);
}

void TestSubmission::acceptedIdentifier_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("id");
    QTest::newRow("two digits, blank, number") << "00 123456"
                                               << "123456";
    QTest::newRow("three other characters, trailing blank") << "ok:4711 "
                                                            << "4711";
    QTest::newRow("letters, digits and hyphens, 64 of them")
        << "00 " + QString(60, 'a') + "-B-9" << QString(60, 'a') + "-B-9";
}

void TestSubmission::acceptedIdentifier() {
    QFETCH(QString, reply);
    QFETCH(QString, id);
    TestEnvironment env;
    SimulatorFixture sim;
    sim->setFault(1, SimFault::reply(reply.toStdString()));
    Gateway gateway;
    fill(gateway, 2);

    const SubmissionOutcome out =
        SubmitPackage(gateway, SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX")));
    QVERIFY(out.accepted);
    QCOMPARE(out.packageId, id);
    QCOMPARE(out.sendReply, reply);
    QCOMPARE(out.runnerLogLine(Rule, File),
             "[Faturalar] liste.txt mesaj paketi başarıyla gönderildi. MsgID : " + id);
}

void TestSubmission::refusedSubmission_data() {
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("box");

    const QString firewall = QStringLiteral(
        " mesaj paketi gönderilemedi. Mesaj merkeziyle bağlantı kurulamadı. Proxy Server veya "
        "Firewall kullanıyorsanız gerekli ayarları Yapmalısınız.");
    const QString firewallBox = QStringLiteral(
        "liste.txt mesaj paketi gönderilemedi. Mesaj merkeziyle bağlantı kurulamadı. \r\nProxy "
        "Server veya Firewall kullanıyorsanız gerekli ayarları Yapmalısınız.");
    const QString originator =
        QStringLiteral(" mesaj paketi gönderilemedi. Tanımsız Originator bilgisi.");
    const QString proxy =
        QStringLiteral(" mesaj paketi gönderilemedi. Ağınız Proxy Sunucusu denetiminde olabilir.");
    const std::string page = "<HTML><BODY>Yasak</BODY></HTML>";

    QTest::newRow("06") << SimFault::reply("06") << "06" << originator << "liste.txt" + originator;
    QTest::newRow("04") << SimFault::reply("04") << "04" << firewall << firewallBox;
    QTest::newRow("05") << SimFault::reply("05") << "05" << firewall << firewallBox;
    QTest::newRow("proxy page") << SimFault::htmlPage() << "" << proxy << "liste.txt" + proxy;
    QTest::newRow("lower-case html page")
        << SimFault::reply("<html><body>x</body></html>") << "<html><body>x</body></html>"
        << ""
        << "";
    for (const char* code : {"-2", "01", "02", "03", "07", "08", "09", "10", "11", "12", "13"})
        QTest::newRow(code) << SimFault::reply(code) << code << ""
                            << "";
}

void TestSubmission::refusedSubmission() {
    QFETCH(SimFault, fault);
    QFETCH(QString, reply);
    QFETCH(QString, log);
    QFETCH(QString, box);
    TestEnvironment env;
    SimulatorFixture sim;
    sim->setFault(1, fault);
    Gateway gateway;
    fill(gateway, 2);

    const SubmissionOutcome out =
        SubmitPackage(gateway, SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX")));

    QCOMPARE(out.stage, SubmissionStage::Submitted);
    QVERIFY(!out.accepted);
    QCOMPARE(out.packageId, QString());
    if (fault.kind != SimFault::Kind::HtmlPage)
        QCOMPARE(out.sendReply, reply);
    QCOMPARE(out.runnerLog, log);
    QCOMPARE(out.runnerLogLine(Rule, File),
             log.isEmpty() ? QString() : QStringLiteral("[Faturalar] liste.txt") + log);
    QCOMPARE(out.fileLogLine(File),
             log.isEmpty() ? QString() : QStringLiteral("[DosyadanSMS] liste.txt") + log);
    QCOMPARE(out.fileBoxText(File), box);
    QCOMPARE(out.runnerStatusLine(Rule), QString());
    QCOMPARE(gateway.basketCount(), 0);
}

void TestSubmission::judgeSubmission_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("status");     // 0: no reply came
    QTest::addColumn<bool>("wholeLeft"); // the whole request left this machine
    QTest::addColumn<SubmissionVerdict>("verdict");

    const auto A = SubmissionVerdict::Accepted;
    const auto R = SubmissionVerdict::Refused;
    const auto U = SubmissionVerdict::Unknown;
    QTest::newRow("gateway's own form") << "00 4711" << 200 << true << A;
    QTest::newRow("server error page") << "Internal Server Error" << 500 << true << U;
    QTest::newRow("acceptance form, server error") << "00 4711" << 500 << true << U;
    QTest::newRow("acceptance form, not found") << "00 4711" << 404 << true << U;
    QTest::newRow("garbage identifier") << "00 !garbage" << 200 << true << U;
    QTest::newRow("letters after three characters") << "!garbage" << 200 << true << A;
    QTest::newRow("three digits") << "100" << 200 << true << U;
    QTest::newRow("two digits") << "00" << 200 << true << U;
    QTest::newRow("empty") << "" << 200 << true << U;
    QTest::newRow("identifier with a slash") << "00 47/11" << 200 << true << U;
    QTest::newRow("identifier of 65") << "00 " + QString(65, '7') << 200 << true << U;
    QTest::newRow("blank in the identifier") << "00 47 11" << 200 << true << U;
    QTest::newRow("no reply after the whole request") << "-1" << 0 << true << U;
    QTest::newRow("no reply, request cut early") << "-1" << 0 << false << R;
    QTest::newRow("garbage, request cut early") << "00 !garbage" << 200 << false << R;
    QTest::newRow("refusal code") << "06" << 200 << true << R;
    QTest::newRow("refusal code, server error") << "05" << 503 << true << R;
    QTest::newRow("a substring of the code list only") << "0" << 200 << true << U;
    QTest::newRow("proxy page") << "<HTML>Yasak</HTML>" << 403 << true << R;
    QTest::newRow("html server error") << "<html>Hata</html>" << 502 << true << U;
}

void TestSubmission::judgeSubmission() {
    QFETCH(QString, reply);
    QFETCH(int, status);
    QFETCH(bool, wholeLeft);
    QFETCH(SubmissionVerdict, verdict);
    Gateway::Exchange exchange;
    exchange.sent = true;
    exchange.transportFailed = status == 0;
    exchange.httpStatus = status;
    exchange.requestComplete = wholeLeft;
    QCOMPARE(JudgeSubmission(reply, exchange), verdict);
}

void TestSubmission::unknownOutcome_data() {
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QString>("cause");
    QTest::newRow("HTTP 500") << SimFault::http500("Internal Server Error")
                              << "mesaj merkezinin yanıtı \"Internal Server Error\" (HTTP 500)";
    QTest::newRow("garbage") << SimFault::reply("00 !garbage")
                             << "mesaj merkezinin yanıtı \"00 !garbage\"";
    QTest::newRow("long reply, cut") << SimFault::reply(std::string(300, 'x'))
                                     << "mesaj merkezinin yanıtı \"" + QString(200, 'x') + "\"";
    QTest::newRow("reply lost after the package was taken")
        << SimFault::close(true) << "yanıt alınamadı (Empty reply from server)";
}

void TestSubmission::unknownOutcome() {
    QFETCH(SimFault, fault);
    QFETCH(QString, cause);
    TestEnvironment env;
    SimulatorFixture sim;
    sim->setFault(1, fault);
    Gateway gateway;
    fill(gateway, 2);

    const SubmissionOutcome out =
        SubmitPackage(gateway, SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX")));

    QCOMPARE(out.verdict, SubmissionVerdict::Unknown);
    QVERIFY(!out.accepted);
    QCOMPARE(out.packageId, QString());
    QCOMPARE(out.runnerLogLine(Rule, File),
             "[Faturalar] liste.txt dosyasının gönderim sonucu bilinmiyor: " + cause + ".");
    QCOMPARE(out.fileBoxText(File),
             "liste.txt mesaj paketinin gönderim sonucu bilinmiyor: " + cause +
                 ". Paketi yeniden göndermeden önce mesaj merkezindeki raporları kontrol edin.");
}

void TestSubmission::failedAccountCheck_data() {
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<bool>("wrongPassword");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("fileLog");
    QTest::addColumn<QString>("box");

    const QString noInternet =
        QStringLiteral("Kullanıcı bilgileri kontrol edilemiyor. İnternet bağlantınız kapalı ya "
                       "da bir güvenlik uygulaması denetiminde olabilir.");
    QTest::newRow("no connection") << SimFault::close() << false << "[Faturalar] " + noInternet
                                   << "[DosyadanSMS] " + noInternet << noInternet;
    QTest::newRow("wrong password")
        << SimFault{} << true
        << "[Faturalar] Kullanıcı bilgileri kontrol edilemiyor. Mesaj gönderimi yapılamıyor."
        << "[DosyadanSMS] Kullanıcı bilgilerinizde hata var. Mesaj gönderimi yapılamıyor."
        << "Kullanıcı bilgilerinizde hata var. Mesaj gönderimi yapılamıyor.";
    QTest::newRow("proxy page")
        << SimFault::htmlPage() << false
        << "[Faturalar] Kullanıcı bilgilerinizde hata var. Ağınız Proxy Sunucusu denetiminde "
           "olabilir."
        << "[DosyadanSMS] Kullanıcı bilgileriniz kontrol edilemiyor. Ağınız Proxy Sunucusu "
           "denetiminde olabilir."
        << "Kullanıcı bilgileriniz kontrol edilemiyor. Ağınız Proxy Sunucusu denetiminde "
           "olabilir.";
    QTest::newRow("other html") << SimFault::reply("<html>bakım</html>") << false
                                << "[Faturalar] Hata kodu : <html>bakım</html>"
                                << "[DosyadanSMS] Mesaj merkeziyle bağlantı kurulamıyor."
                                << "";
    QTest::newRow("04") << SimFault::reply("04") << false << "[Faturalar] Hata kodu : 04"
                        << "[DosyadanSMS] Hata kodu : 04"
                        << "Hata kodu : 04";
    QTest::newRow("06") << SimFault::reply("06") << false << "[Faturalar] Hata kodu : 06"
                        << "[DosyadanSMS] Hata kodu : 06"
                        << "Hata kodu : 06";
    QTest::newRow("empty") << SimFault::reply("") << false << "[Faturalar] Hata kodu : "
                           << "[DosyadanSMS] Hata kodu : "
                           << "Hata kodu : ";
}

void TestSubmission::failedAccountCheck() {
    QFETCH(SimFault, fault);
    QFETCH(bool, wrongPassword);
    QFETCH(QString, status);
    QFETCH(QString, fileLog);
    QFETCH(QString, box);
    TestEnvironment env;
    SimulatorFixture sim;
    sim->setFault(4, fault);
    if (wrongPassword)
        App().gPassword = QStringLiteral("yanlis");
    Gateway gateway;
    fill(gateway, 2);
    bool called = false;
    SubmissionRequest request = SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX"));
    request.beforeSubmit = [&] {
        called = true;
    };

    const SubmissionOutcome out = SubmitPackage(gateway, request);

    QCOMPARE(out.stage, SubmissionStage::AccountCheckFailed);
    QVERIFY(!out.accepted);
    QVERIFY(!called);
    QCOMPARE(sim->requestCount(1), 0);
    QCOMPARE(out.runnerStatusLine(Rule), status);
    QCOMPARE(out.runnerLogLine(Rule, File),
             QStringLiteral("[Faturalar] liste.txt kullanıcı bilgileri kontrol edilemiyor."));
    QCOMPARE(out.fileLogLine(File), fileLog);
    QCOMPARE(out.fileBoxText(File), box);
    QCOMPARE(out.fileBoxKind, UiServices::BoxKind::Error);
    QCOMPARE(gateway.basketCount(), 0);
}

void TestSubmission::callbackRunsJustBeforeTheRequest() {
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;
    fill(gateway, 2);
    int infoRequestsSeen = -1;
    int sendRequestsSeen = -1;
    SubmissionRequest request = SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX"));
    request.beforeSubmit = [&] {
        infoRequestsSeen = sim->requestCount(4);
        sendRequestsSeen = sim->requestCount(1);
    };

    SubmitPackage(gateway, request);

    QCOMPARE(infoRequestsSeen, 1);
    QCOMPARE(sendRequestsSeen, 0);
    QCOMPARE(sim->requestCount(1), 1);
}

void TestSubmission::throwingCallbackSendsNothing() {
    // A sender that cannot note the submission in flight must not submit.
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;
    fill(gateway, 2);
    SubmissionRequest request = SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX"));
    request.beforeSubmit = [] {
        throw std::runtime_error("disk full");
    };

    QVERIFY_THROWS_EXCEPTION(std::runtime_error, SubmitPackage(gateway, request));
    QCOMPARE(sim->requestCount(1), 0);
    QCOMPARE(sim->packageCount(), 0);
}

void TestSubmission::lostReply_data() {
    QTest::addColumn<bool>("accepted");
    QTest::newRow("accepted, reply lost") << true;
    QTest::newRow("gateway gone before the request") << false;
}

void TestSubmission::lostReply() {
    QFETCH(bool, accepted);
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;
    fill(gateway, 2);
    SubmissionRequest request = SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX"));
    if (accepted)
        sim->setFault(1, SimFault::close(true));
    else
        request.beforeSubmit = [&] {
            sim->stop();
        };

    const SubmissionOutcome out = SubmitPackage(gateway, request);

    QCOMPARE(out.sendReply, QStringLiteral("-1"));
    QVERIFY(!out.accepted);
    QVERIFY(!out.transportError.isEmpty());
    QCOMPARE(sim->packageCount(), accepted ? 1 : 0);
    // Only a request that may have arrived can have been accepted.
    QCOMPARE(out.requestMayHaveArrived, accepted);
}

void TestSubmission::emptyBasketAsksNothing() {
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;
    const SubmissionOutcome out =
        SubmitPackage(gateway, SubmissionRequest::forActiveAccount(QStringLiteral("PARLEX")));
    QCOMPARE(out.stage, SubmissionStage::NothingToSend);
    QCOMPARE(sim->requestCount(), 0);
}

QTEST_GUILESS_MAIN(TestSubmission)
#include "tst_submission.moc"
