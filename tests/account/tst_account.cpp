#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "account/AccountSettings.h"
#include "account/frmAyarlar.h"
#include "account/frmGiris.h"
#include "auxiliary/AuxiliaryAddresses.h"
#include "auxiliary/frmHakkinda.h"
#include "auxiliary/frmReklam.h"
#include "core/DbRoutines.h"
#include "core/GatewayMode.h"
#include "core/Settings.h"
#include "support/WindowTestSupport.h"
#include "widgets/WebPane.h"
#include "widgets/XpButton.h"

using namespace Qt::StringLiterals;

// The settings window, the running account and the maker's web addresses,
// and the About, support and advertisement windows, from the main menu.
class TestAccount : public DesktopTest {
    Q_OBJECT

    QPointer<frmAyarlar> settings;

    QString lastBox() { return ui().boxes.empty() ? QString() : ui().boxes.back().text; }
    QLineEdit* box(const char* name) { return control<QLineEdit>(*settings, name); }
    void open() {
        click(*menu, "miHesapAyar");
        settings = menu->settings();
        QVERIFY(settings);
    }
    static AccountForm hollinForm(const QString& url) {
        return {false, {}, {}, {}, false, url, u"hollin"_s, u"h0llin"_s, false, u"60"_s};
    }
    static QString stored(const char* column) {
        return OpenRecordset(u"SELECT "_s + QLatin1String(column) + u" FROM tbl_ayarlar"_s).text(0);
    }

private slots:
    void init() { openDesktop(); }
    void cleanup() { closeDesktop(); }

    // Only a whole number of seconds, at least a minute, that the timer can
    // hold is stored, and the next start reads it back; a refused one sends
    // the user to it on the first tab. A save turns Vazgeç into Kapat.
    void pollingPeriod_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("outcome"); // the stored value, or the box's first words
        const QString whole = u"Otomatik gönderim hizmeti kontrol süresi saniye"_s;
        QTest::newRow("59") << u"59"_s << u"Otomatik gönderim hizmeti kontrol süresi en az"_s;
        QTest::newRow("60") << u"60"_s << u"60000"_s;
        QTest::newRow("blank before") << u" 60"_s << u"60000"_s;
        QTest::newRow("leading zero") << u"060"_s << u"60000"_s;
        QTest::newRow("fraction") << u"60,5"_s << whole;
        QTest::newRow("timer limit") << u"2147483"_s << u"2147483000"_s;
        QTest::newRow("beyond the timer") << u"2147484"_s << whole;
    }
    void pollingPeriod() {
        QFETCH(QString, typed);
        QFETCH(QString, outcome);
        open();
        control<QTabWidget>(*settings, "SSTab1")->setCurrentIndex(1);
        box("txtOtoTime")->setText(typed);
        click(*settings, "cmdKaydet");
        const bool stored = outcome.at(0).isDigit();
        QCOMPARE(control<QPushButton>(*settings, "cmdVazgec")->text() == u"Kapat"_s, stored);
        if (!stored) {
            QVERIFY2(lastBox().startsWith(outcome), qPrintable(lastBox()));
            QCOMPARE(control<QTabWidget>(*settings, "SSTab1")->currentIndex(), 0);
            QCOMPARE(settings->focusWidget(), box("txtOtoTime"));
            return;
        }
        QCOMPARE(GetParam(u"kontrol_periyot"_s), outcome);
        QVERIFY(LoadSettings().isEmpty());
        QCOMPARE(QString::number(App().gCheckPeriod), outcome);
    }

    // The operator's suffix, a whole number of characters up to 20, and the
    // one-SMS option are stored with the account and read by every sender;
    // a new database counts five characters and sends long messages.
    void smsCounting_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("oneSms");
        QTest::addColumn<int>("stored"); // -1: refused
        QTest::addColumn<QString>("refusal");
        QTest::newRow("as delivered") << QString() << false << 5 << QString();
        QTest::newRow("none, one SMS only, a refusal line")
            << u"0"_s << true << 0 << u" Ret için RET yazıp 4609'a gönderin "_s;
        QTest::newRow("longest") << u"20"_s << false << 20 << QString();
        QTest::newRow("too long") << u"21"_s << false << -1 << u"RET"_s;
        QTest::newRow("signed") << u"-1"_s << false << -1 << QString();
        QTest::newRow("blank") << u" "_s << false << -1 << QString();
    }
    void smsCounting() {
        QFETCH(QString, typed);
        QFETCH(bool, oneSms);
        QFETCH(int, stored);
        QFETCH(QString, refusal);
        open();
        QCOMPARE(box("txtOperatorEki")->text(), u"5"_s);
        QVERIFY(box("txtRetMetni")->text().isEmpty());
        box("txtRetMetni")->setText(refusal);
        QVERIFY(!control<QCheckBox>(*settings, "chkTekSms")->isChecked());
        if (!typed.isNull())
            box("txtOperatorEki")->setText(typed);
        control<QCheckBox>(*settings, "chkTekSms")->setChecked(oneSms);
        control<QTabWidget>(*settings, "SSTab1")->setCurrentIndex(1);
        click(*settings, "cmdKaydet");
        const CostSettings cost = ReadCostSettings();
        if (stored < 0) {
            QVERIFY2(lastBox().startsWith(u"Operatör eki"_s), qPrintable(lastBox()));
            QCOMPARE(control<QTabWidget>(*settings, "SSTab1")->currentIndex(), 0);
            QCOMPARE(settings->focusWidget(), box("txtOperatorEki"));
            QCOMPARE(cost.operatorSuffix, DefaultOperatorSuffix);
            QCOMPARE(GetParam(u"ret_metni"_s), QString());
            return;
        }
        QCOMPARE(cost.operatorSuffix, stored);
        QCOMPARE(cost.oneSmsOnly, oneSms);
        click(*settings, "cmdVazgec");
        open();
        QCOMPARE(box("txtOperatorEki")->text(), QString::number(stored));
        QCOMPARE(control<QCheckBox>(*settings, "chkTekSms")->isChecked(), oneSms);
        // Kept without the blanks around it, and shown again.
        QCOMPARE(box("txtRetMetni")->text(), refusal.trimmed());
    }

    // A Hollin account is checked at the address in effect; once applied,
    // the new address is the one asked. A refusal code stops the Hollin
    // save silently; the main account's save takes it as its credit.
    void hollinSwitch() {
        const QString elsewhere = u"http://127.0.0.1:%1/hollin/gw"_s.arg(sim->closedPort());
        open();
        click(*settings, "optHollin");
        box("txtHollinYolu")->setText(elsewhere);
        box("txtUserName_i")->setText(u"hollin"_s);
        box("txtPassWord_i")->setText(u"h0llin"_s);
        click(*settings, "cmdKaydet");
        QCOMPARE(sim->sim().requests().size(), size_t(1));
        QCOMPARE(stored("url_hollin"), elsewhere);
        click(*settings, "cmdVazgec");
        QCOMPARE(App().gGatewayUrl, elsewhere);
        open();
        click(*settings, "cmdKaydet");
        QVERIFY(lastBox().startsWith(u"internet bağlantınızdaki bir sorundan"_s));
    }
    void refusalCode() {
        sim->sim().setFault(4, SimFault::reply("02"));
        QVERIFY(!SaveAccountSettings(hollinForm(sim->url())).saved);
        QVERIFY(ui().boxes.empty());
        App().gRemember = u"1"_s;
        open();
        box("txtUserName_m")->clear();
        for (const QChar c : u"d eşm.o-ı"_s) { // only unaccented letters and digits go in
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(box("txtUserName_m"), &key);
        }
        click(*settings, "cmdKaydet");
        QCOMPARE(stored("kullanici_adi"), u"demo"_s);
    }

    // Editing keys work in the credential boxes as X11 delivers them (some
    // carry a control character as their text); only typed and pasted
    // characters other than unaccented letters and digits are kept out.
    void credentialKeys_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QStringList>("keys"); // Home End Left Del ^A ^C ^X ^V, or a character
        QTest::addColumn<QString>("result");   // typed after "abc"
        QTest::newRow("delete, arrows")
            << QString() << QStringList{"Home", "Del", "End", "Left", "x"} << u"bxc"_s;
        QTest::newRow("home, end")
            << QString() << QStringList{"Home", "1", "End", "2"} << u"1abc2"_s;
        QTest::newRow("cut, paste")
            << QString() << QStringList{"^A", "^X", "^V", "^V"} << u"abcabc"_s;
        QTest::newRow("copy") << QString() << QStringList{"^A", "^C", "End", "^V"} << u"abcabc"_s;
        QTest::newRow("paste filtered") << u"d e-ş1"_s << QStringList{"^V"} << u"abcde1"_s;
        QTest::newRow("typed filtered")
            << QString() << QStringList{" ", "ş", ".", "q", "Ü"} << u"abcq"_s;
    }
    void credentialKeys() {
        QFETCH(QString, clipboard);
        QFETCH(QStringList, keys);
        QFETCH(QString, result);
        const QMap<QString, std::tuple<int, Qt::KeyboardModifiers, QString>> named{
            {u"Home"_s, {Qt::Key_Home, Qt::NoModifier, {}}},
            {u"End"_s, {Qt::Key_End, Qt::NoModifier, {}}},
            {u"Left"_s, {Qt::Key_Left, Qt::NoModifier, {}}},
            {u"Del"_s, {Qt::Key_Delete, Qt::NoModifier, u"\x7f"_s}},
            {u"^A"_s, {Qt::Key_A, Qt::ControlModifier, u"\x01"_s}},
            {u"^C"_s, {Qt::Key_C, Qt::ControlModifier, u"\x03"_s}},
            {u"^X"_s, {Qt::Key_X, Qt::ControlModifier, u"\x18"_s}},
            {u"^V"_s, {Qt::Key_V, Qt::ControlModifier, u"\x16"_s}}};
        QGuiApplication::clipboard()->setText(clipboard);
        open();
        QLineEdit* user = box("txtUserName_m");
        user->setText(u"abc"_s);
        for (const QString& k : keys) {
            const auto [key, mods, text] = named.value(k, {0, Qt::NoModifier, k});
            QKeyEvent press(QEvent::KeyPress, key, mods, text);
            QApplication::sendEvent(user, &press);
        }
        QCOMPARE(user->text(), result);
    }

    // Passwords show an asterisk for every character, here as at login.
    void passwordsEchoAlike() {
        frmGiris login({});
        open();
        QStringList shown;
        for (QLineEdit* password : {control<QLineEdit>(login, "txtPassWord"), box("txtPassWord_m"),
                                    box("txtPassWord_i")}) {
            password->setText(u"s3c"_s);
            shown << password->displayText();
        }
        QCOMPARE(shown, QStringList({u"***"_s, u"***"_s, u"***"_s}));
    }

    // "-1" has no credit line: the connection box, not a credit of -1.
    void credit_data() {
        QTest::addColumn<QString>("reply"); // empty: the simulator's own
        QTest::addColumn<QString>("box");
        QTest::newRow("balance") << QString() << u"Hesabınızda 1000 kontör bulunmaktadır."_s;
        QTest::newRow("no connection") << u"-1"_s << u"internet bağlantınızdaki"_s;
    }
    void credit() {
        QFETCH(QString, reply);
        if (!reply.isEmpty())
            sim->sim().setFault(4, SimFault::reply(reply.toStdString()));
        open();
        click(*settings, "cmdKontor");
        QFETCH(QString, box);
        QVERIFY2(lastBox().startsWith(box), qPrintable(lastBox()));
    }

    // Vazgeç makes the edits the running account, stored or not, and
    // brings the advertisement window back with it, once no working window
    // is left open.
    void cancelApplies() {
        open();
        QVERIFY(!menu->advertisement());
        box("txtUserName_m")->setText(u"veli"_s);
        click(*settings, "cmdVazgec");
        QCOMPARE(App().gUserName, u"veli"_s);
        QCOMPARE(menu->statusPanel(4), u"veli"_s);
        QTRY_VERIFY(menu->advertisement());
        QVERIFY(control<WebPane>(*menu->advertisement(), "WebBrowser2")
                    ->LocationURL()
                    .endsWith(u"Username=veli"_s));
        click(*menu, "miDosyaSMS");
        open();
        click(*settings, "cmdVazgec");
        QTRY_VERIFY(!settings);
        QCoreApplication::processEvents();
        QVERIFY(!menu->advertisement());
    }

    // Another program holding the database: each handler says so in its
    // box, in the storage's own words, and changes nothing half-way; the
    // window stays for another try.
    void heldDatabase_data() {
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("user"); // typed into the window first
        QTest::addColumn<QString>("box");
        const QString held = u"veritabanı başka bir program tarafından kullanılıyor"_s;
        QTest::newRow("Vazgeç") << u"cmdVazgec"_s << u"veli"_s << u"Parlex: "_s + held;
        // The gateway takes the account; storing it fails.
        QTest::newRow("Kaydet") << u"cmdKaydet"_s << u"demo"_s << u"Parlex: "_s + held;
        QTest::newRow("support")
            << u"miWeb"_s << u"veli"_s
            << u"Parlex: Destek sayfasının adresi okunamadı.\r\nSistemin ürettiği hata mesajı : "_s +
                   held;
    }
    void heldDatabase() {
        QFETCH(QString, handler);
        QFETCH(QString, user);
        QFETCH(QString, box);
        open();
        this->box("txtUserName_m")->setText(user);
        const QString account = App().gUserName + App().gGatewayMode + App().gGatewayUrl;
        const auto other = TestEnvironment::holdDatabase();
        if (handler == u"miWeb"_s)
            click(*menu, "miWeb");
        else
            click(*settings, handler.toLatin1().constData());
        QTRY_COMPARE(ui().boxes.size(), size_t(1));
        QCOMPARE(ui().boxes[0].title + u": "_s + ui().boxes[0].text, box);
        QCOMPARE(App().gUserName + App().gGatewayMode + App().gGatewayUrl, account);
        QCOMPARE(menu->statusPanel(4), App().gUserName);
        QVERIFY(settings && settings->isVisible());
        QCOMPARE(control<QPushButton>(*settings, "cmdVazgec")->text(), u"Vazgeç"_s);
        QVERIFY(ui().opened.empty());
    }

    // Each window by account mode: the settings boxes of the other mode stay
    // empty and locked; About shows the client code for the main account
    // only; the support item opens the browser each time it is chosen.
    void byMode_data() {
        QTest::addColumn<bool>("hollin");
        QTest::newRow("main") << false;
        QTest::newRow("hollin") << true;
    }
    void byMode() {
        QFETCH(bool, hollin);
        if (hollin)
            sim->useHollinAccount();
        click(*menu, "miHakkinda");
        QPointer<frmHakkinda> about = menu->findChild<frmHakkinda*>();
        QVERIFY(about && about->isModal());
        QCOMPARE(control<QLabel>(*about, "lblKullanici")->text(), App().gUserName);
        QCOMPARE(control<QLabel>(*about, "lblBayi")->isVisible(), !hollin);
        control<XpButton>(*about, "XpButton1")->Click();
        QTRY_VERIFY(!about);
        click(*menu, "miWeb");
        click(*menu, "miWeb");
        QTRY_COMPARE(ui().opened.size(), size_t(2));
        QCOMPARE(ui().opened.back().endsWith(u".invalid/"_s), hollin);
        open();
        QCOMPARE(control<QRadioButton>(*settings, "optHollin")->isChecked(), hollin);
        QCOMPARE(box("txtUserName_i")->text(), hollin ? App().gUserName : QString());
        QCOMPARE(box("txtUserName_m")->text(), hollin ? QString() : App().gUserName);
        click(*settings, hollin ? "optAnaHesap" : "optHollin");
        QCOMPARE(box("txtClientKodu_m")->isEnabled(), hollin);
    }

    // Values are encoded: "&", "#" or a blank cannot change the address,
    // and a log line leaves out the query that carries the password.
    void addresses_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("webClient");
        QTest::addColumn<QString>("support");
        QTest::newRow("main")
            << GatewayMode::Main
            << u"http://websms.parlex.invalid/websmsclient/?company=12&Username=a%26b%20%23c"_s
            << u"http://destek.parlex.invalid/sms/login.asp?username=a%26b%20%23c&password=p&company=12"_s;
        QTest::newRow("hollin") << GatewayMode::Hollin
                                << u"http://websms.parlex.invalid/websmsclient/?company=PARLEX"_s
                                << u"http://destek.parlex.invalid/"_s;
    }
    void addresses() {
        QFETCH(QString, mode);
        App().gGatewayMode = mode;
        App().gUserName = u"a&b #c"_s;
        App().gClientCode = u"12"_s;
        App().gPassword = u"p"_s;
        QTEST(WebClientAddress(), "webClient");
        QTEST(SupportAddress(), "support");
        QTest::ignoreMessage(QtInfoMsg, qPrintable(u"not opened without a desktop: "_s +
                                                   SupportAddress().section(u'?', 0, 0)));
        HeadlessUi().openWithDesktop(SupportAddress());
    }
};

QTEST_MAIN(TestAccount)
#include "tst_account.moc"
