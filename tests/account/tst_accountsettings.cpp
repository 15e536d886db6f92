#include <QtTest>

#include "account/AccountSettings.h"
#include "auxiliary/AuxiliaryAddresses.h"
#include "core/GatewayMode.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"

using namespace Qt::StringLiterals;

// Saving the account and the polling period, the credit and the maker's
// web addresses, without a window.
class TestAccountSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatorFixture> sim;

    AccountForm mainForm() {
        AccountForm form;
        form.userName_m = SimulatorFixture::UserName;
        form.password_m = SimulatorFixture::Password;
        form.clientCode_m = SimulatorFixture::ClientCode;
        form.remember_m = true;
        form.periodText = u"60"_s;
        return form;
    }
    AccountForm hollinForm(const QString& url) {
        AccountForm form = mainForm();
        form.mainAccount = false;
        form.hollinUrl = url;
        form.userName_i = u"hollin"_s;
        form.password_i = u"h0llin"_s;
        return form;
    }
    QString stored(const char* column) {
        return OpenRecordset(u"SELECT "_s + QLatin1String(column) + u" FROM tbl_ayarlar"_s).text(0);
    }
    QString lastBox() { return env->ui().boxes.empty() ? QString() : env->ui().boxes.back().text; }

private slots:
    void init() {
        env = std::make_unique<TestEnvironment>();
        sim = std::make_unique<SimulatorFixture>();
    }
    void cleanup() {
        sim.reset();
        env.reset();
    }

    // Only a whole number of seconds, at least a minute, that the timer can
    // hold is stored; the next start reads it back.
    void pollingPeriod_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("outcome"); // the stored value, or the box's first words
        const QString atLeast = u"Otomatik gönderim hizmeti kontrol süresi en az"_s;
        const QString whole = u"Otomatik gönderim hizmeti kontrol süresi saniye"_s;
        QTest::newRow("59") << u"59"_s << atLeast;
        QTest::newRow("60") << u"60"_s << u"60000"_s;
        QTest::newRow("blank before") << u" 60"_s << u"60000"_s;
        QTest::newRow("leading zero") << u"060"_s << u"60000"_s;
        QTest::newRow("fraction") << u"60,5"_s << whole;
        QTest::newRow("sign") << u"+120"_s << whole;
        QTest::newRow("timer limit") << u"2147483"_s << u"2147483000"_s;
        QTest::newRow("beyond the timer") << u"2147484"_s << whole;
        QTest::newRow("empty") << QString() << whole;
    }
    void pollingPeriod() {
        QFETCH(QString, typed);
        QFETCH(QString, outcome);
        const QString before = GetParam(u"kontrol_periyot"_s);
        AccountForm form = mainForm();
        form.periodText = typed;
        const SaveOutcome result = SaveAccountSettings(form);
        const bool stored = outcome.at(0).isDigit();
        QCOMPARE(result.saved, stored);
        QCOMPARE(GetParam(u"kontrol_periyot"_s), stored ? outcome : before);
        if (!stored) {
            QVERIFY2(lastBox().startsWith(outcome), qPrintable(lastBox()));
            QCOMPARE(result.tab, 0);
            QCOMPARE(result.focus, u"txtOtoTime"_s);
            QVERIFY(sim->sim().requests().empty());
            return;
        }
        QVERIFY(LoadSettings().isEmpty());
        QVERIFY(App().gSettingsLoaded);
        QCOMPARE(QString::number(App().gCheckPeriod), outcome);
    }

    // A Hollin account is checked at the address in effect; once applied,
    // the new address is the one asked.
    void hollinSwitch() {
        const QString elsewhere = u"http://127.0.0.1:%1/hollin/gw"_s.arg(sim->closedPort());
        sim->useMainAccount();
        QVERIFY(SaveAccountSettings(hollinForm(elsewhere)).saved);
        QCOMPARE(sim->sim().requests().size(), size_t(1));
        QCOMPARE(stored("url_hollin"), elsewhere);
        QCOMPARE(stored("flg_gw"), u"1"_s);
        QCOMPARE(App().gGatewayMode, GatewayMode::Main);

        ApplyAccountForm(hollinForm(elsewhere));
        QCOMPARE(App().gGatewayUrl, elsewhere);
        QCOMPARE(App().gUserName, u"hollin"_s);
        QVERIFY(!SaveAccountSettings(hollinForm(elsewhere)).saved);
        QVERIFY(lastBox().startsWith(u"internet bağlantınızdaki bir sorundan"_s));
    }

    // A refusal code stops the Hollin save silently; the main account's
    // save takes anything but "01" and a failure as its credit.
    void refusalCode() {
        sim->useMainAccount();
        sim->sim().setFault(4, SimFault::reply("02"));
        QVERIFY(!SaveAccountSettings(hollinForm(sim->url())).saved);
        QVERIFY(env->ui().boxes.empty());
        QCOMPARE(stored("flg_gw"), u"0"_s);
        QVERIFY(SaveAccountSettings(mainForm()).saved);
        QCOMPARE(stored("kullanici_adi"), SimulatorFixture::UserName);
    }

    void credit_data() {
        QTest::addColumn<QString>("reply"); // empty: the simulator's own
        QTest::addColumn<QString>("box");
        QTest::newRow("balance") << QString() << u"Hesabınızda 1000 kontör bulunmaktadır."_s;
        QTest::newRow("no connection") << u"-1"_s << u"internet bağlantınızdaki"_s;
        QTest::newRow("refusal") << u"01"_s << u"internet bağlantınızdaki"_s;
        QTest::newRow("web page") << u"<html>\n</html>"_s << u"internet bağlantınızdaki"_s;
    }
    void credit() {
        QFETCH(QString, reply);
        QFETCH(QString, box);
        sim->useMainAccount();
        if (!reply.isEmpty())
            sim->sim().setFault(4, SimFault::reply(reply.toStdString()));
        ShowCredit();
        QVERIFY2(lastBox().startsWith(box), qPrintable(lastBox()));
    }

    // Values are encoded: "&", "#" or a blank cannot change the address.
    void addresses_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("webClient");
        QTest::addColumn<QString>("support");
        QTest::newRow("main")
            << GatewayMode::Main << u"ali"_s
            << u"http://websms.parlex.invalid/websmsclient/?company=12&Username=ali"_s
            << u"http://destek.parlex.invalid/sms/login.asp?username=ali&password=p&company=12"_s;
        QTest::newRow("encoded")
            << GatewayMode::Main << u"a&b #c"_s
            << u"http://websms.parlex.invalid/websmsclient/?company=12&Username=a%26b%20%23c"_s
            << u"http://destek.parlex.invalid/sms/login.asp?username=a%26b%20%23c&password=p&company=12"_s;
        QTest::newRow("hollin") << GatewayMode::Hollin << u"ali"_s
                                << u"http://websms.parlex.invalid/websmsclient/?company=PARLEX"_s
                                << u"http://destek.parlex.invalid/"_s;
    }
    void addresses() {
        QFETCH(QString, mode);
        QFETCH(QString, user);
        App().gGatewayMode = mode;
        App().gUserName = user;
        App().gClientCode = u"12"_s;
        App().gPassword = u"p"_s;
        QTEST(WebClientAddress(), "webClient");
        QTEST(SupportAddress(), "support");
    }

    // The support address carries the password: a log line leaves it out.
    void passwordNotLogged() {
        App().gGatewayMode = GatewayMode::Main;
        QTest::ignoreMessage(QtInfoMsg, "not opened without a desktop: "
                                        "http://destek.parlex.invalid/sms/login.asp");
        HeadlessUi().openWithDesktop(SupportAddress());
    }
};

QTEST_GUILESS_MAIN(TestAccountSettings)
#include "tst_accountsettings.moc"
