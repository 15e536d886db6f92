#include "GatewayTestSupport.h"
#include "core/GatewayMode.h"
#include "gateway/CheckGateway.h"
#include "gateway/Submission.h"

namespace {

const QString NotSent = u" mesaj paketi gönderilemedi. "_s;

// The runner's texts: its status bar and log line for liste.txt.
QStringList RunnerShows(const SubmissionOutcome& out) {
    return {out.runnerStatusLine(u"Faturalar"_s),
            out.runnerLogLine(u"Faturalar"_s, u"liste.txt"_s)};
}

} // namespace

Q_DECLARE_METATYPE(SimFault)
Q_DECLARE_METATYPE(SubmissionVerdict)

class TestSubmission : public QObject {
    Q_OBJECT

private slots:
    void startUpCheck_data();
    void startUpCheck();
    void submissions_data();
    void submissions();
    void judgeSubmission_data();
    void judgeSubmission();
    void throwingCallbackSendsNothing();
};

void TestSubmission::startUpCheck_data() {
    // The active account's mode and how the gateway answers its clock
    // request; the reply as the program takes it, "-1" when it closes after
    // two boxes, "clock" for the simulator's own time.
    QTest::addColumn<QString>("mode");
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QString>("reply");

    const QString main = GatewayMode::Main;
    QTest::newRow("main account") << main << SimFault{} << "clock";
    QTest::newRow("intranet gateway") << GatewayMode::Hollin << SimFault{} << "clock";
    QTest::newRow("Html is not looked for") << main << SimFault::reply("Html") << "Html";
    QTest::newRow("HTTP 500 body, as sent")
        << main << SimFault::http500("Sunucu hatası: kapalı") << u"Sunucu hatası: kapalı"_s;
    QTest::newRow("Windows-1254") << main << SimFault::reply("\xDD\xFE\xF0\xFD\xDE\xD0 100")
                                  << u"İşğıŞĞ 100"_s;
    QTest::newRow("UTF-8") << main << SimFault::reply("\xC4\xB0\xC5\x9F\xC4\x9F 100")
                           << u"İşğ 100"_s;
    for (const char* reply : {"", "0", "-2", "01", "html", "<HTML>"})
        QTest::addRow("reply \"%s\"", reply) << main << SimFault::reply(reply) << "-1";
    QTest::newRow("proxy page") << main << SimFault::htmlPage() << "-1";
    QTest::newRow("unreachable") << main << SimFault::close() << "-1";
    QTest::newRow("unknown mode asks nothing") << u"Başka"_s << SimFault{} << "-1";
}

void TestSubmission::startUpCheck() {
    QFETCH(QString, mode);
    QFETCH(SimFault, fault);
    QFETCH(QString, reply);
    GatewayWorld w;
    if (mode == GatewayMode::Hollin)
        w.sim.useHollinAccount();
    App().gGatewayMode = mode;
    w.sim->setFault(12, fault);

    const QString result = CheckGateway();

    QCOMPARE(w.sim->requestCount(12), mode == u"Başka"_s ? 0 : 1);
    if (reply == u"clock")
        QVERIFY(QDateTime::fromString(result, u"yyyy-MM-dd HH:mm:ss"_s).isValid());
    else
        QCOMPARE(result, reply);
    QStringList errors;
    for (const ScriptedUi::Box& box : w.env.ui().boxes)
        errors << (box.kind == UiServices::BoxKind::Error ? box.title + ": " + box.text : "");
    QCOMPARE(errors, reply != u"-1"
                         ? QStringList()
                         : QStringList({"Parlex 1.0: Sistem bilgileri kontrol edilemiyor.\r\nMesaj "
                                        "merkezine bağlantı sağlanamadı.\r\nParlex uygulaması "
                                        "kapatılıyor...",
                                        "Parlex: Mesaj merkeziyle bağlantı kurulamıyor."}));
}

void TestSubmission::submissions_data() {
    // How the gateway answers the account check (credit 10) and the package,
    // the messages in the basket and those the send window counts (0: the
    // basket's); what the runner shows in its status bar and log, %1 the
    // identifier of the package the gateway holds.
    QTest::addColumn<SimFault>("check");
    QTest::addColumn<SimFault>("reply");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("counted");
    QTest::addColumn<QStringList>("shown");

    const QString tag = u"[Faturalar] liste.txt"_s;
    const auto credit = [&](const char* name, int messages, int counted, const QString& log) {
        QTest::newRow(name) << SimFault{} << SimFault{} << messages << counted
                            << QStringList{"", log.isEmpty() ? "" : tag + log};
    };
    const QString accepted = u" mesaj paketi başarıyla gönderildi. MsgID : "_s;
    const QString noCredit = NotSent + "Yetersiz kredi miktarı.";
    credit("the gateway's reply", 2, 0, accepted + "%1");
    credit("as many as the credit", 10, 0, accepted + "%1");
    credit("one more than the credit", 11, 0, noCredit);
    credit("window's own count over the credit", 5, 11, noCredit);
    credit("empty basket: nothing asked", 0, 0, "");
    QTest::newRow("credit not a number") << SimFault::reply("bilinmiyor\nPARLEX\n") << SimFault{}
                                         << 1 << 0 << QStringList{"", tag + noCredit};

    const auto check = [&](const char* name, SimFault fault, const QString& status) {
        QTest::newRow(name) << fault << SimFault{} << 2 << 0
                            << QStringList{"[Faturalar] " + status,
                                           tag + " kullanıcı bilgileri kontrol edilemiyor."};
    };
    check("no connection", SimFault::close(),
          "Kullanıcı bilgileri kontrol edilemiyor. İnternet bağlantınız kapalı ya da bir "
          "güvenlik uygulaması denetiminde olabilir.");
    check("wrong password", SimFault::reply("01"),
          "Kullanıcı bilgileri kontrol edilemiyor. Mesaj gönderimi yapılamıyor.");
    check("proxy page at the check", SimFault::htmlPage(),
          "Kullanıcı bilgilerinizde hata var. Ağınız Proxy Sunucusu denetiminde olabilir.");
    check("other html at the check", SimFault::reply("<html>bakım</html>"),
          "Hata kodu : <html>bakım</html>");
    check("04 at the check", SimFault::reply("04"), "Hata kodu : 04");

    const auto send = [&](const char* name, SimFault fault, const QString& log) {
        QTest::newRow(name) << SimFault{} << fault << 2 << 0
                            << QStringList{"", log.isEmpty() ? "" : tag + log};
    };
    send("two digits, blank, number", SimFault::reply("00 123456"), accepted + "123456");
    send("line end of a CR LF gateway", SimFault::reply("00 123456\r\n"), accepted + "123456");
    const std::string id64 = std::string(60, 'a') + "-B-9";
    send("64 letters, digits and hyphens", SimFault::reply("00 " + id64),
         accepted + QString::fromStdString(id64));
    send("06", SimFault::reply("06"), NotSent + "Tanımsız Originator bilgisi.");
    for (const char* code : {"04", "05"})
        send(code, SimFault::reply(code),
             NotSent + "Mesaj merkeziyle bağlantı kurulamadı. Proxy Server veya Firewall "
                       "kullanıyorsanız gerekli ayarları Yapmalısınız.");
    send("proxy page", SimFault::htmlPage(),
         NotSent + "Ağınız Proxy Sunucusu denetiminde olabilir.");
    send("lower-case html page", SimFault::reply("<html>x</html>"), "");
    // Logged by the runner with the code.
    for (const char* code : {"-2", "01", "02", "03", "07", "08", "09", "10", "11", "12", "13"})
        send(code, SimFault::reply(code), "");
    // times -1: the gateway stops just before the package leaves.
    send("gateway gone before the package left", SimFault{SimFault::Kind::Close, "", {}, false, -1},
         NotSent + "Mesaj merkeziyle bağlantı kurulamıyor.");
    const QString unknown = u" dosyasının gönderim sonucu bilinmiyor: "_s;
    send("HTTP 500", SimFault::http500("Internal Server Error"),
         unknown + "mesaj merkezinin yanıtı \"Internal Server Error\" (HTTP 500).");
    send("garbage", SimFault::reply("00 !garbage"),
         unknown + "mesaj merkezinin yanıtı \"00 !garbage\".");
    send("a word, no identifier", SimFault::reply("ERROR"),
         unknown + "mesaj merkezinin yanıtı \"ERROR\".");
    send("long reply, cut", SimFault::reply(std::string(300, 'x')),
         unknown + "mesaj merkezinin yanıtı \"" + QString(200, u'x') + "\".");
    send("reply lost after the package was taken", SimFault::close(true),
         unknown + "yanıt alınamadı (Empty reply from server).");
}

void TestSubmission::submissions() {
    QFETCH(SimFault, check);
    QFETCH(SimFault, reply);
    QFETCH(int, messages);
    QFETCH(int, counted);
    QFETCH(QStringList, shown);
    GatewayWorld w;
    w.sim->setCredit(SimulatorFixture::MainUser, 10);
    w.sim->setFault(4, check);
    w.sim->setFault(1, reply);
    w.fill(messages);
    int checks = -1, packages = -1;
    SubmissionRequest request = SubmissionRequest::forActiveAccount(u"PARLEX"_s);
    if (counted)
        request.messageCount = counted;
    // The runner notes the package in flight here.
    request.beforeSubmit = [&] {
        checks = w.sim->requestCount(4);
        packages = w.sim->requestCount(1);
        if (reply.times < 0)
            w.sim->stop();
    };

    const SubmissionOutcome out = SubmitPackage(w.gateway, request);

    QCOMPARE(w.sim->requestCount(4), messages ? 1 : 0);
    // Called only for a package that leaves: after the check, before it leaves.
    QCOMPARE(checks, w.sim->requestCount(1) || reply.times < 0 ? 1 : -1);
    QCOMPARE(packages, checks == 1 ? 0 : -1);
    const int held = w.sim->packageCount();
    shown[1].replace(u"%1"_s, held ? QString::fromStdString(w.sim->packages()[0].id) : QString());
    QCOMPARE(RunnerShows(out), shown);
    QCOMPARE(out.accepted, shown[1].contains(u"başarıyla"));
    // The gateway charges what it holds; only a request that may have
    // arrived can be held unanswered.
    QCOMPARE(w.sim->credit(SimulatorFixture::MainUser), held ? 10 - messages : 10);
    QCOMPARE(out.requestMayHaveArrived, reply.process);
    QCOMPARE(w.gateway.basketCount(), 0);
    // The routine records nothing itself.
    QVERIFY(w.env.ui().boxes.empty() && w.env.ui().statusTexts.empty());
}

void TestSubmission::judgeSubmission_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("status");     // 0: no reply came
    QTest::addColumn<bool>("wholeLeft"); // the whole request left this machine
    QTest::addColumn<SubmissionVerdict>("verdict");

    const auto A = SubmissionVerdict::Accepted, R = SubmissionVerdict::Refused,
               U = SubmissionVerdict::Unknown;
    QTest::newRow("gateway's own form") << "00 4711" << 200 << true << A;
    QTest::newRow("ended by LF") << "00 4711\n" << 200 << true << A;
    QTest::newRow("ended by CR LF") << "00 4711\r\n" << 200 << true << A;
    QTest::newRow("other digits, letters and hyphens") << "14 a-7B" << 200 << true << A;
    QTest::newRow("server error page") << "Internal Server Error" << 500 << true << U;
    QTest::newRow("acceptance form, server error") << "00 4711" << 500 << true << U;
    QTest::newRow("acceptance form, not found") << "00 4711" << 404 << true << U;
    QTest::newRow("garbage identifier") << "00 !garbage" << 200 << true << U;
    // Words of a server or a proxy that answers in its place.
    for (const char* word : {"ERROR", "NOT OK", "FAILED", "BAKIM", "OK", "ok:4711 "})
        QTest::addRow("\"%s\"", word) << word << 200 << true << U;
    QTest::newRow("letters after three characters") << "!garbage" << 200 << true << U;
    QTest::newRow("refusal code with an identifier") << "06 4711" << 200 << true << U;
    QTest::newRow("two blanks") << "00  4711" << 200 << true << U;
    QTest::newRow("leading blank") << " 00 4711" << 200 << true << U;
    QTest::newRow("trailing blank") << "00 4711 " << 200 << true << U;
    QTest::newRow("two lines") << "00 4711\n00 4712" << 200 << true << U;
    QTest::newRow("line end alone") << "00 \r\n" << 200 << true << U;
    QTest::newRow("one digit") << "0 4711" << 200 << true << U;
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

void TestSubmission::throwingCallbackSendsNothing() {
    // A sender that cannot note the submission in flight must not submit.
    GatewayWorld w;
    w.fill(2);
    SubmissionRequest request = SubmissionRequest::forActiveAccount(u"PARLEX"_s);
    request.beforeSubmit = [] {
        throw std::runtime_error("disk full");
    };

    QVERIFY_THROWS_EXCEPTION(std::runtime_error, SubmitPackage(w.gateway, request));
    QCOMPARE(w.sim->requestCount(1), 0);
}

QTEST_GUILESS_MAIN(TestSubmission)
#include "tst_submission.moc"
