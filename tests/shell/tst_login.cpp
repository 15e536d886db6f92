#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "account/frmGiris.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"

namespace {

const QString Title = QStringLiteral("Parlex Kullanıcı girişi");
const QString Incomplete =
    QStringLiteral("Eksik bilgi girişi yaptınız.Lütfen bilgilerinizi kontrol ediniz.");
const QString ConnectionError =
    QStringLiteral("Bağlantı hatası! Lütfen internet bağlantınızı kontrol ediniz.\r\n"
                   "İnternet Bağlantınız kapalı olabilir ya da bir güvenlik uygulaması internet "
                   "bağlantınızı kontrol ediyor olabilir.");
const QString WrongCredentials =
    QStringLiteral("Girmiş olduğunuz kullanıcı bilgilerinde hata var.\r\n"
                   "Lütfen bilgilerinizi kontrol edip tekrar deneyiniz.");
const QString CannotSend =
    QStringLiteral("Kullanıcı bilgileri mesaj merkezine gönderilemiyor\r\n"
                   "Bilgisayarınızdaki güvenlik uygulamalarından biri internet bağlantınızı "
                   "denetliyor olabilir.");

template <typename T> T* control(QWidget& window, const char* name) {
    auto* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QStringList settingsRow() {
    Recordset rs = OpenRecordset(
        QStringLiteral("SELECT kullanici_adi,parola,ckey,flg_kaydet,kullanici_adi_i,parola_i,"
                       "flg_kaydet_i,flg_gw,url_hollin FROM tbl_ayarlar"));
    QStringList row;
    for (int i = 0; i < rs.fieldCount(); ++i)
        row << rs.text(i);
    return row;
}

// The login window as start-up shows it, counting the main windows it opens.
struct Login {
    Login()
        : window([this] { ++mainWindows; }) {
        window.show();
    }
    void type(const QString& user, const QString& password, const QString& client = {}) {
        control<QLineEdit>(window, "txtUserName")->setText(user);
        control<QLineEdit>(window, "txtPassWord")->setText(password);
        control<QLineEdit>(window, "txtClientKodu")->setText(client);
    }
    void press() { control<QPushButton>(window, "btnOturumAc")->click(); }
    bool idle() {
        return control<QLabel>(window, "imgInfo")->isVisible() &&
               !control<QLabel>(window, "imgHour")->isVisible() &&
               control<QPushButton>(window, "btnOturumAc")->isEnabled() &&
               control<QPushButton>(window, "btnVazgec")->isEnabled();
    }
    int mainWindows = 0;
    frmGiris window;
};

} // namespace

class TestLogin : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void modeDecidesTheClientCodeBox_data();
    void modeDecidesTheClientCodeBox();
    void blankInputIsRefused_data();
    void blankInputIsRefused();
    void twoBlanksAreSent();
    void keysWorkFromAnyControl_data();
    void keysWorkFromAnyControl();
    void windowKeepsItsDesignSize();
    void repliesThatKeepTheWindowOpen_data();
    void repliesThatKeepTheWindowOpen();
    void unreachableGatewayIsAConnectionError();
    void acceptedAccountIsRememberedOrErased_data();
    void acceptedAccountIsRememberedOrErased();
    void hollinLoginKeepsTheClientCode();
    void failedFinalCheckOpensNothing();
    void cancelEndsWithoutRequest();
    void storageFailureLeavesWindowUsable();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatorFixture> sim;
};

void TestLogin::init() {
    env = std::make_unique<TestEnvironment>();
    sim = std::make_unique<SimulatorFixture>();
    // Nothing remembered yet: the window is where the account comes from.
    App().gUserName.clear();
    App().gPassword.clear();
    App().gClientCode.clear();
}

void TestLogin::cleanup() {
    sim.reset();
    env.reset();
}

void TestLogin::modeDecidesTheClientCodeBox_data() {
    QTest::addColumn<bool>("hollin");
    QTest::newRow("main account") << false;
    QTest::newRow("Hollin") << true;
}

void TestLogin::modeDecidesTheClientCodeBox() {
    QFETCH(bool, hollin);
    if (hollin)
        sim->useHollinAccount();
    Login login;
    QCOMPARE(login.window.windowTitle(), QStringLiteral("Parlex - Kullanıcı girişi"));
    QCOMPARE(control<QLineEdit>(login.window, "txtClientKodu")->isVisible(), !hollin);
    QCOMPARE(control<QLineEdit>(login.window, "txtClientKodu")->isEnabled(), !hollin);
    QCOMPARE(control<QLabel>(login.window, "lblClientKodu")->isVisible(), !hollin);
    QCOMPARE(control<QLineEdit>(login.window, "txtPassWord")->echoMode(), QLineEdit::Password);
    QVERIFY(login.idle());
    QCOMPARE(login.window.focusWidget(), control<QLineEdit>(login.window, "txtUserName"));
}

void TestLogin::blankInputIsRefused_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("no user") << ""
                             << "s3cret";
    QTest::newRow("user one blank") << " "
                                    << "s3cret";
    QTest::newRow("no password") << "demo"
                                 << "";
    QTest::newRow("password one blank") << "demo"
                                        << " ";
}

void TestLogin::blankInputIsRefused() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    Login login;
    login.type(user, password, QStringLiteral("1000"));
    control<QCheckBox>(login.window, "chkKaydet")->setFocus();
    login.press();

    QCOMPARE(env->ui().boxes.size(), size_t(1));
    QCOMPARE(env->ui().boxes[0].kind, UiServices::BoxKind::Error);
    QCOMPARE(env->ui().boxes[0].title, Title);
    QCOMPARE(env->ui().boxes[0].text, Incomplete);
    QCOMPARE(sim->sim().requestCount(), 0);
    QVERIFY(login.window.isVisible());
    QCOMPARE(login.window.focusWidget(), control<QLineEdit>(login.window, "txtUserName"));
}

void TestLogin::twoBlanksAreSent() {
    sim->sim().addAccount(SimAccount{"bosluk-7", "  ", 10, {"X"}});
    Login login;
    login.type(QStringLiteral("bosluk"), QStringLiteral("  "), QStringLiteral("7"));
    login.press();
    QCOMPARE(sim->sim().requestCount(4), 1);
    QVERIFY(env->ui().boxes.empty());
    QCOMPARE(login.mainWindows, 1);
    QCOMPARE(App().gPassword, QStringLiteral("  "));
}

void TestLogin::keysWorkFromAnyControl_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("logIn"); // false: the window is cancelled

    QTest::newRow("Enter in the password box") << "txtPassWord" << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter in the user box") << "txtUserName" << int(Qt::Key_Enter) << true;
    QTest::newRow("Enter on the check box") << "chkKaydet" << int(Qt::Key_Return) << true;
    QTest::newRow("Enter on Oturum Aç") << "btnOturumAc" << int(Qt::Key_Return) << true;
    QTest::newRow("Enter on Vazgeç") << "btnVazgec" << int(Qt::Key_Return) << true;
    QTest::newRow("Escape in the password box") << "txtPassWord" << int(Qt::Key_Escape) << false;
    QTest::newRow("Escape on the check box") << "chkKaydet" << int(Qt::Key_Escape) << false;
}

void TestLogin::keysWorkFromAnyControl() {
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(bool, logIn);
    Login login;
    QSignalSpy gone(&login.window, &frmGiris::closed);
    login.type(SimulatorFixture::UserName, SimulatorFixture::Password,
               SimulatorFixture::ClientCode);
    auto* target = login.window.findChild<QWidget*>(control);
    QVERIFY(target);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(sim->sim().requestCount(4), logIn ? 1 : 0);
    QCOMPARE(login.mainWindows, logIn ? 1 : 0);
    QCOMPARE(gone.count(), 1);
    QCOMPARE(App().gNoMainWindow, !logIn);
}

void TestLogin::windowKeepsItsDesignSize() {
    Login login;
    // 4755 x 2670 twips, neither more nor less.
    QCOMPARE(login.window.minimumSize(), QSize(317, 178));
    QCOMPARE(login.window.maximumSize(), QSize(317, 178));
    QVERIFY(!login.window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(login.window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

void TestLogin::repliesThatKeepTheWindowOpen_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("box"); // empty: no box
    QTest::addColumn<bool>("focusOnUser");
    const int reply = int(SimFault::Kind::Reply);
    QTest::newRow("01") << reply << "01" << WrongCredentials << true;
    QTest::newRow("03") << reply << "03" << WrongCredentials << true;
    QTest::newRow("04") << reply << "04" << CannotSend << false;
    QTest::newRow("05") << reply << "05" << CannotSend << false;
    QTest::newRow("02 says nothing") << reply << "02" << QString() << false;
    QTest::newRow("empty says nothing") << reply << "" << QString() << false;
    QTest::newRow("proxy page") << int(SimFault::Kind::HtmlPage) << "" << ConnectionError << false;
    QTest::newRow("portal page") << reply << "<!DOCTYPE html><title>Wi-Fi</title>"
                                 << ConnectionError << false;
}

void TestLogin::repliesThatKeepTheWindowOpen() {
    QFETCH(int, kind);
    QFETCH(QString, reply);
    QFETCH(QString, box);
    QFETCH(bool, focusOnUser);
    SimFault fault;
    fault.kind = SimFault::Kind(kind);
    fault.text = reply.toStdString();
    sim->sim().setFault(4, fault);

    Login login;
    login.type(SimulatorFixture::UserName, SimulatorFixture::Password,
               SimulatorFixture::ClientCode);
    control<QCheckBox>(login.window, "chkKaydet")->setChecked(true);
    control<QCheckBox>(login.window, "chkKaydet")->setFocus();
    login.press();

    QCOMPARE(sim->sim().requestCount(4), 1);
    if (box.isEmpty()) {
        QVERIFY(env->ui().boxes.empty());
    } else {
        QCOMPARE(env->ui().boxes.size(), size_t(1));
        QCOMPARE(env->ui().boxes[0].kind, UiServices::BoxKind::Error);
        QCOMPARE(env->ui().boxes[0].title, Title);
        QCOMPARE(env->ui().boxes[0].text, box);
    }
    QVERIFY(login.window.isVisible());
    QVERIFY(login.idle());
    QCOMPARE(login.mainWindows, 0);
    QCOMPARE(login.window.focusWidget() == control<QLineEdit>(login.window, "txtUserName"),
             focusOnUser);
    // Nothing was stored or taken over.
    QCOMPARE(settingsRow().at(3), QStringLiteral("0"));
    QVERIFY(App().gUserName.isEmpty());
}

void TestLogin::unreachableGatewayIsAConnectionError() {
    App().gGatewayUrl =
        QStringLiteral("http://127.0.0.1:%1/sms/com.corvane").arg(SimulatorFixture::closedPort());
    Login login;
    login.type(SimulatorFixture::UserName, SimulatorFixture::Password,
               SimulatorFixture::ClientCode);
    login.press();
    QCOMPARE(env->ui().boxes.size(), size_t(1));
    QCOMPARE(env->ui().boxes[0].text, ConnectionError);
    QVERIFY(login.idle());
    QCOMPARE(login.mainWindows, 0);
}

void TestLogin::acceptedAccountIsRememberedOrErased_data() {
    QTest::addColumn<bool>("remember");
    QTest::newRow("remember on") << true;
    QTest::newRow("remember off") << false;
}

void TestLogin::acceptedAccountIsRememberedOrErased() {
    QFETCH(bool, remember);
    ExecuteSql(QStringLiteral("UPDATE tbl_ayarlar SET kullanici_adi='eski', parola='eski', "
                              "ckey='9', flg_kaydet='1', flg_gw='1'"));
    // A credit balance as the reply: the account is good.
    sim->sim().setFault(4, SimFault::reply("1500\nPARLEX\n"));
    Login login;
    QSignalSpy gone(&login.window, &frmGiris::closed);
    login.type(SimulatorFixture::UserName, SimulatorFixture::Password,
               SimulatorFixture::ClientCode);
    control<QCheckBox>(login.window, "chkKaydet")->setChecked(remember);
    login.press();

    QVERIFY(env->ui().boxes.empty());
    QCOMPARE(login.mainWindows, 1);
    QCOMPARE(gone.count(), 1);
    QVERIFY(!login.window.isVisible());
    QVERIFY(!App().gNoMainWindow);
    QCOMPARE(App().gUserName, SimulatorFixture::UserName);
    QCOMPARE(App().gPassword, SimulatorFixture::Password);
    QCOMPARE(App().gClientCode, SimulatorFixture::ClientCode);
    QCOMPARE(App().gRemember, remember ? QStringLiteral("1") : QStringLiteral("0"));
    // The final check ran with the new credentials.
    QCOMPARE(sim->sim().requestCount(12), 1);

    const QStringList row = settingsRow();
    if (remember)
        QCOMPARE(row.mid(0, 4), (QStringList{"demo", "s3cret", "1000", "1"}));
    else
        QCOMPARE(row.mid(0, 4), (QStringList{"", "", "", "0"}));
    QCOMPARE(row.at(7), QStringLiteral("0"));
}

void TestLogin::hollinLoginKeepsTheClientCode() {
    sim->useHollinAccount();
    const QString hollinUrl = App().gGatewayUrl;
    ExecuteSql(QStringLiteral("UPDATE tbl_ayarlar SET ckey='77', flg_gw='1'"));
    Login login;
    // Whatever the hidden box holds is never sent.
    login.type(QStringLiteral("hollin"), QStringLiteral("h0llin"), QStringLiteral("99"));
    control<QCheckBox>(login.window, "chkKaydet")->setChecked(true);
    login.press();

    QCOMPARE(login.mainWindows, 1);
    const auto requests = sim->sim().requests();
    QVERIFY(!requests.empty());
    QVERIFY(requests.front().body.find("hollin") != std::string::npos);
    QVERIFY(requests.front().body.find("hollin-99") == std::string::npos);
    QVERIFY(App().gClientCode.isEmpty());
    const QStringList row = settingsRow();
    QCOMPARE(row.at(2), QStringLiteral("77"));
    QCOMPARE(row.mid(4), (QStringList{"hollin", "h0llin", "1", "1", hollinUrl}));
}

void TestLogin::failedFinalCheckOpensNothing() {
    sim->sim().setFault(12, SimFault::reply("01"));
    Login login;
    QSignalSpy gone(&login.window, &frmGiris::closed);
    login.type(SimulatorFixture::UserName, SimulatorFixture::Password,
               SimulatorFixture::ClientCode);
    login.press();

    QCOMPARE(login.mainWindows, 0);
    QVERIFY(App().gNoMainWindow);
    QCOMPARE(gone.count(), 1);
    QVERIFY(!login.window.isVisible());
    // The check's own two boxes, and nothing more.
    QCOMPARE(env->ui().boxes.size(), size_t(2));
    QCOMPARE(env->ui().boxes[0].title, QStringLiteral("Parlex 1.0"));
    QCOMPARE(env->ui().boxes[1].title, QStringLiteral("Parlex"));
    QCOMPARE(env->ui().boxes[1].text, QStringLiteral("Mesaj merkeziyle bağlantı kurulamıyor."));
}

void TestLogin::cancelEndsWithoutRequest() {
    Login login;
    QSignalSpy gone(&login.window, &frmGiris::closed);
    login.type(SimulatorFixture::UserName, SimulatorFixture::Password);
    control<QPushButton>(login.window, "btnVazgec")->click();
    QCOMPARE(gone.count(), 1);
    QVERIFY(App().gNoMainWindow);
    QCOMPARE(sim->sim().requestCount(), 0);
    QCOMPARE(login.mainWindows, 0);
}

void TestLogin::storageFailureLeavesWindowUsable() {
    ExecuteSql(QStringLiteral("DROP TABLE tbl_ayarlar"));
    Login login;
    login.type(SimulatorFixture::UserName, SimulatorFixture::Password,
               SimulatorFixture::ClientCode);
    login.press();

    QCOMPARE(env->ui().boxes.size(), size_t(1));
    QCOMPARE(env->ui().boxes[0].kind, UiServices::BoxKind::Error);
    QCOMPARE(env->ui().boxes[0].title, Title);
    QVERIFY(env->ui().boxes[0].text.contains(QStringLiteral("tbl_ayarlar")));
    QVERIFY(login.window.isVisible());
    QVERIFY(login.idle());
    QCOMPARE(login.mainWindows, 0);
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
