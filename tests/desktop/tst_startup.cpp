#include <QCheckBox>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>

#include "account/frmGiris.h"
#include "core/InstanceLock.h"
#include "desktop/ProgramStart.h"
#include "gateway/Gateway.h"
#include "support/WindowTestSupport.h"
#include "widgets/QtUi.h"
#include "widgets/WaitingTransport.h"

namespace {

const QString Incomplete =
    QStringLiteral("Eksik bilgi girişi yaptınız.Lütfen bilgilerinizi kontrol ediniz.");
const QString WrongCredentials =
    QStringLiteral("Girmiş olduğunuz kullanıcı bilgilerinde hata var.");

} // namespace

// The program's start (one program per folder, the remembered account's
// check, or the login window) and the services its windows rely on: Turkish
// message boxes, and gateway requests that wait without freezing them.
class TestStartup : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatorFixture> sim;

    // The database as a user left it, pointing at the simulator.
    void storeAccount(bool hollin, bool remember, const QString& password) {
        ExecuteSql(QStringLiteral("UPDATE tbl_ayarlar SET kullanici_adi='demo', parola='%1', "
                                  "ckey='1000', flg_kaydet='%2', kullanici_adi_i='hollin', "
                                  "parola_i='%1', flg_kaydet_i='%2', flg_gw='%3', url_hollin='%4'")
                       .arg(password, QString::number(remember), QString::number(hollin),
                            sim->url(QStringLiteral("/hollin/gw"))));
        SetParam(QStringLiteral("merkez_guvenli_adres"), sim->url(QString()));
        SetParam(QStringLiteral("kontrol_periyot"), QStringLiteral("120000"));
        // Start-up opens the database itself, as a fresh program would.
        App().gConnection.close();
    }

    // The program started on an account it does not remember, as the first
    // time: its login window, the gateway not asked yet.
    std::unique_ptr<ProgramStart> start;
    frmGiris& loginWindow(bool hollin = false) {
        storeAccount(hollin, false, QStringLiteral("eski"));
        start = std::make_unique<ProgramStart>(env->folder());
        if (!start->run() || !start->loginWindow() || sim->sim().requestCount() != 0)
            qFatal("no login window");
        return *start->loginWindow();
    }
    static void fill(frmGiris& login, const QString& user, const QString& password, bool remember) {
        control<QLineEdit>(login, "txtUserName")->setText(user);
        control<QLineEdit>(login, "txtPassWord")->setText(password);
        control<QLineEdit>(login, "txtClientKodu")->setText(QStringLiteral("1000"));
        control<QCheckBox>(login, "chkKaydet")->setChecked(remember);
        control(login, "chkKaydet")->setFocus();
    }

private slots:
    void init() {
        env = std::make_unique<TestEnvironment>();
        sim = std::make_unique<SimulatorFixture>();
        WaitingTransport::install(); // as the program runs its requests
    }
    void cleanup() {
        start.reset();
        sim.reset();
        env.reset();
    }

    void startEndsWithoutAWindow_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QStringList>("boxes"); // %1: the folder
        QTest::newRow("program already running")
            << "running" << QStringList{"Parlex 1.0: Program Zaten Çalışıyor."};
        QTest::newRow("program folder below a file")
            << "below a file"
            << QStringList{"Parlex 1.0: Program başlatılamıyor: program klasöründe kilit dosyası "
                           "oluşturulamadı.\r\nKlasör: %1\r\nNeden: klasör bulunamadı."};
        QTest::newRow("settings row missing") << "no settings" << QStringList();
        QTest::newRow("remembered account refused")
            << "refused"
            << QStringList{"Parlex 1.0: Sistem bilgileri kontrol edilemiyor.\r\nMesaj merkezine "
                           "bağlantı sağlanamadı.\r\nParlex uygulaması kapatılıyor...",
                           "Parlex: Mesaj merkeziyle bağlantı kurulamıyor."};
    }
    void startEndsWithoutAWindow() {
        QFETCH(QString, obstacle);
        QFETCH(QStringList, boxes);
        QString folder = env->folder();
        InstanceLock running(folder);
        storeAccount(false, true, QStringLiteral("yanlis"));
        if (obstacle == "running")
            QVERIFY(running.tryLock());
        else if (obstacle == "below a file")
            folder = env->writeFile(QStringLiteral("dosya"), "x") + "/parlex";
        else if (obstacle == "no settings")
            ExecuteSql(QStringLiteral("DELETE FROM tbl_ayarlar"));
        App().gConnection.close();
        ProgramStart program(folder);
        QVERIFY(!program.run());
        QCOMPARE(shownBoxes(env->ui()), boxes.replaceInStrings("%1", folder));
        QVERIFY(!program.mainWindow() && !program.loginWindow() && !shownWindow("frmBaslangic"));
        QCOMPARE(sim->sim().requestCount(), int(obstacle == "refused"));
    }

    void secondStartBringsTheRunningWindowBack_data() {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("throughLink");
        QTest::addColumn<QString>("period"); // kontrol_periyot as stored
        QTest::addColumn<int>("interval");   // the polling timer's
        QTest::newRow("hidden in the notification area") << true << false << "120000" << 120000;
        // A period of 0 must not run passes back to back.
        QTest::newRow("minimised without a notification area") << false << false << "0" << 1000;
        QTest::newRow("started through a link to the folder") << true << true << "120000" << 120000;
    }
    void secondStartBringsTheRunningWindowBack() {
        QFETCH(bool, tray);
        QFETCH(bool, throughLink);
        QFETCH(QString, period);
        QFETCH(int, interval);
        storeAccount(false, true, SimulatorFixture::Password);
        SetParam(QStringLiteral("kontrol_periyot"), period);
        App().gConnection.close();
        // The check's reply is held until the start window has been seen.
        sim->sim().setFault(12, SimFault::delayed(std::chrono::minutes(1)));
        bool startWindowShowsWhileTheCheckWaits = false;
        QTimer look;
        connect(&look, &QTimer::timeout, [&] {
            if (!startWindowShowsWhileTheCheckWaits && sim->sim().arrivedCount(12) == 1 &&
                shownWindow("frmBaslangic")) {
                startWindowShowsWhileTheCheckWaits = true;
                sim->sim().stop();
            }
        });
        look.start(10);
        ProgramStart first(env->folder());
        QSignalSpy ended(&first, &ProgramStart::ended);
        QVERIFY(first.run());
        QVERIFY(startWindowShowsWhileTheCheckWaits && !shownWindow("frmBaslangic"));
        frmMenu* menu = first.mainWindow();
        QCOMPARE(menu->Timer1().interval(), interval);
        QVERIFY(!menu->Timer1().isCounting()); // polling waits for the status screen
        menu->TrayControl1().forceAvailability(tray);
        QVERIFY(!menu->close());
        QTRY_VERIFY(tray ? !menu->isVisible() : menu->isMinimized());
        // Without a notification area the window must stay on the task bar.
        QCoreApplication::processEvents();
        QCOMPARE(menu->isVisible(), !tray);

        const QString link = env->filePath(QStringLiteral("kendisi"));
        QVERIFY(QFile::link(env->folder(), link));
        ProgramStart second(throughLink ? link : env->folder());
        QVERIFY(!second.run());
        QCOMPARE(shownBoxes(env->ui()), QStringList{"Parlex 1.0: Program Zaten Çalışıyor."});
        QTRY_VERIFY(menu->isVisible() && !menu->isMinimized());
        // Çıkış, once confirmed, ends the program.
        env->ui().queueAnswer(true);
        click(*menu, "miCikis");
        QCOMPARE(ended.count(), 1);
    }

    // The login is sent by Enter from any control, even Vazgeç.
    void acceptedLoginIsStoredAsAsked_data() {
        QTest::addColumn<bool>("hollin");
        QTest::addColumn<bool>("remember");
        QTest::addColumn<QString>("enter");      // the control Enter is pressed on
        QTest::addColumn<QString>("check");      // a fault of the final check
        QTest::addColumn<QStringList>("stored"); // the settings row; %1: the Hollin address
        const QStringList remembered{"demo", "s3cret", "1000", "1", "hollin",
                                     "eski", "0",      "%1",   "0"};
        QTest::newRow("main account remembered, Enter in the password box")
            << false << true << "txtPassWord"
            << "" << remembered;
        QTest::newRow("main account forgotten, keypad Enter in the user box")
            << false << false << "txtUserName keypad"
            << "" << QStringList{"", "", "", "0", "hollin", "eski", "0", "%1", "0"};
        // The hidden client code box is neither sent nor stored.
        QTest::newRow("Hollin remembered, Enter on the check box")
            << true << true << "chkKaydet"
            << "" << QStringList{"demo", "eski", "1000", "0", "hollin", "h0llin", "1", "%1", "1"};
        QTest::newRow("final check fails, Enter on Vazgeç") << false << true << "btnVazgec"
                                                            << "12:reply:01" << remembered;
    }
    void acceptedLoginIsStoredAsAsked() {
        QFETCH(bool, hollin);
        QFETCH(bool, remember);
        QFETCH(QString, enter);
        QFETCH(QString, check);
        QFETCH(QStringList, stored);
        int action = 0;
        SimFault fault;
        if (SimFault::parse(check.toStdString(), action, fault, nullptr))
            sim->sim().setFault(action, fault);
        frmGiris& login = loginWindow(hollin);
        QSignalSpy ended(start.get(), &ProgramStart::ended);
        // Of the design's size, asking for the client code only where it is sent.
        QCOMPARE(login.minimumSize(), QSize(317, 178));
        QCOMPARE(login.maximumSize(), QSize(317, 178));
        QVERIFY(!login.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(control(login, "txtClientKodu")->isVisible(), !hollin);
        fill(login, hollin ? "hollin" : "demo", hollin ? "h0llin" : "s3cret", remember);
        QWidget* target = control(login, enter.section(' ', 0, 0).toLatin1().constData());
        target->setFocus();
        QTest::keyClick(target, enter.endsWith("keypad") ? Qt::Key_Enter : Qt::Key_Return);
        QVERIFY(!login.isVisible());
        // A failed final check has said why in its own two boxes; the program ends.
        QCOMPARE(shownBoxes(env->ui()).join("").endsWith("bağlantı kurulamıyor."),
                 !check.isEmpty());
        QCOMPARE(start->mainWindow() && start->mainWindow()->isVisible(), check.isEmpty());
        QCOMPARE(ended.count(), int(!check.isEmpty()));
        Recordset row = OpenRecordset(
            QStringLiteral("SELECT kullanici_adi,parola,ckey,flg_kaydet,kullanici_adi_i,parola_i,"
                           "flg_kaydet_i,url_hollin,flg_gw FROM tbl_ayarlar"));
        stored.replaceInStrings(QStringLiteral("%1"), sim->url(QStringLiteral("/hollin/gw")));
        for (int i = 0; i < row.fieldCount(); ++i)
            QCOMPARE(row.text(i), stored.at(i));
    }

    void refusedLoginKeepsTheWindowOpen_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("reply"); // the gateway's, as a simulator fault
        QTest::addColumn<QString>("box");   // its first line; empty: none
        const auto row = [](const char* name, const char* user, const char* password,
                            const char* reply, const QString& box) {
            QTest::newRow(name) << QString(user) << QString(password) << QString(reply) << box;
        };
        const QString connection = "Bağlantı hatası! Lütfen internet bağlantınızı kontrol ediniz.";
        row("no user", "", "s3cret", "", Incomplete);
        row("password one blank", "demo", " ", "", Incomplete);
        row("password two blanks", "demo", "  ", "", WrongCredentials);
        row("01", "demo", "s3cret", "reply:01", WrongCredentials);
        row("04", "demo", "s3cret", "reply:04",
            "Kullanıcı bilgileri mesaj merkezine gönderilemiyor");
        row("empty says nothing", "demo", "s3cret", "reply:", "");
        row("no reply", "demo", "s3cret", "close", connection);
        row("portal page", "demo", "s3cret", "reply:<!DOCTYPE html><p>Wi-Fi", connection);
        row("settings not stored", "demo", "s3cret", "no table", "no such table: tbl_ayarlar");
        row("settings held", "demo", "s3cret", "held",
            "veritabanı başka bir program tarafından kullanılıyor");
    }
    void refusedLoginKeepsTheWindowOpen() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, reply);
        QFETCH(QString, box);
        frmGiris& login = loginWindow();
        int action = 0;
        SimFault fault;
        std::unique_ptr<Database> other;
        if (reply == "no table")
            ExecuteSql(QStringLiteral("DROP TABLE tbl_ayarlar"));
        else if (reply == "held")
            other = TestEnvironment::holdDatabase();
        else if (SimFault::parse(("4:" + reply).toStdString(), action, fault, nullptr))
            sim->sim().setFault(action, fault);
        fill(login, user, password, true);
        click(login, "btnOturumAc");
        QCOMPARE(sim->sim().requestCount(4), box == Incomplete ? 0 : 1);
        // The box is told by its first line; a database error is in its own words.
        QCOMPARE(shownBoxes(env->ui()).join("").section(QRegularExpression(" \\(|\r\n"), 0, 0),
                 box.isEmpty() ? "" : "Parlex Kullanıcı girişi: " + box);
        // Ready to try again, from the user name when that is what was wrong.
        QVERIFY(control(login, "btnOturumAc")->isEnabled() && login.isVisible());
        QCOMPARE(login.focusWidget() == control(login, "txtUserName"),
                 box == Incomplete || box == WrongCredentials);
        QVERIFY(!start->mainWindow() && App().gUserName.isEmpty());
    }

    void escapeCancelsAndTheProgramEnds() {
        frmGiris& login = loginWindow();
        QSignalSpy ended(start.get(), &ProgramStart::ended);
        fill(login, "demo", "s3cret", true);
        QTest::keyClick(control(login, "txtPassWord"), Qt::Key_Escape);
        QVERIFY(!login.isVisible() && !start->mainWindow());
        QCOMPARE(ended.count() + sim->sim().requestCount(), 1);
    }

    void boxesShowTheirKindTitleAndLines_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("click");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("buttons"); // sorted
        // Turkish whatever the machine's language and Qt's translations.
        using Box = QMessageBox;
        using Kind = UiServices::BoxKind;
        QTest::newRow("information")
            << int(Kind::Information) << int(Box::Ok) << int(Box::Information) << "Tamam";
        QTest::newRow("error") << int(Kind::Error) << int(Box::Ok) << int(Box::Critical) << "Tamam";
        QTest::newRow("question, Evet")
            << int(Kind::Question) << int(Box::Yes) << int(Box::Question) << "Evet Hayır";
        QTest::newRow("question, Hayır")
            << int(Kind::Question) << int(Box::No) << int(Box::Question) << "Evet Hayır";
    }
    void boxesShowTheirKindTitleAndLines() {
        QFETCH(int, kind);
        QFETCH(int, click);
        QFETCH(int, icon);
        QFETCH(QString, buttons);
        QtUi ui;
        QString box;
        QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
        answerNextBox(QMessageBox::StandardButton(click), &box, &boxIcon);
        if (UiServices::BoxKind(kind) == UiServices::BoxKind::Question)
            QCOMPARE(ui.askQuestion("Parlex 1.0", "bir\r\niki"), click == QMessageBox::Yes);
        else
            ui.showMessage(UiServices::BoxKind(kind), "Parlex 1.0", "bir\r\niki");
        QCOMPARE(box, "Parlex 1.0: bir\niki [" + buttons + "]");
        QCOMPARE(int(boxIcon), icon);
    }

    void qtTextsAreTurkishWhereInstalled() {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_tr.qm"))
            QSKIP("Qt's Turkish translations are not installed");
        QVERIFY(QtUi::installQtTranslations());
        QCOMPARE(QCoreApplication::translate("QFileDialog", "&Open"), "&Aç");
    }

    void requestWaitsWithoutFreezing_data() {
        QTest::addColumn<QString>("meanwhile"); // while the gateway holds its reply
        QTest::newRow("click on a button") << "click";
        QTest::newRow("shortcut key") << "key";
        QTest::newRow("window closed") << "close";
        QTest::newRow("second request") << "request";
        QTest::newRow("program told to end, sending a package") << "exit";
    }
    void requestWaitsWithoutFreezing() {
        QFETCH(QString, meanwhile);
        const bool package = meanwhile == "exit";
        const int action = package ? 1 : 4;
        // Held until the test lets it go: stopping the simulator cuts the delay.
        sim->sim().setFault(action, SimFault::delayed(std::chrono::minutes(1)));
        frmMenu menu;
        int handled = 0; // input that reached the window, during the wait or replayed after
        QWidget window;
        auto* button = new QPushButton(&window);
        connect(button, &QPushButton::clicked, [&] { ++handled; });
        window.addAction(QString(), QKeySequence(Qt::Key_F5), [&] { ++handled; });
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // A timer only fires if the interface goes on running while the
        // request waits.
        const QString user = QString::fromStdString(SimulatorFixture::MainUser);
        QString seen; // panel 2 and the cursor meanwhile
        QString secondReply;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            if (sim->sim().arrivedCount(action) == 0 || !seen.isEmpty())
                return;
            const QCursor* cursor = QGuiApplication::overrideCursor();
            seen = menu.statusPanel(2) + (cursor && cursor->shape() == Qt::WaitCursor ? " +" : "");
            if (meanwhile == "click")
                QTest::mouseClick(button, Qt::LeftButton);
            else if (meanwhile == "key")
                QTest::keyClick(window.windowHandle(), Qt::Key_F5);
            else if (meanwhile == "close")
                QVERIFY(!window.close());
            else if (meanwhile == "request")
                secondReply = Gateway().GetSystemTime(user, SimulatorFixture::Password);
            else
                QCoreApplication::exit(0);
            QTimer::singleShot(30, [&] { sim->sim().stop(); }); // let the reply go
        });
        timer.start(10);

        Gateway gateway;
        QString reply;
        QTimer::singleShot(0, [&] {
            gateway.addtosmsbasket(QStringLiteral("Merhaba"), QStringLiteral("5321234567"));
            reply = package ? gateway.sendsms(user, SimulatorFixture::Password, "PARLEX", {})
                            : gateway.GetInfo(user, SimulatorFixture::Password);
            QCoreApplication::exit(0);
        });
        QCoreApplication::exec();
        QCoreApplication::processEvents();

        QCOMPARE(seen, package ? "Mesaj paketi gönderiliyor... +"
                               : "Hesap bilgileri kontrol ediliyor... +");
        QCOMPARE(package ? reply.left(3) + QString::number(sim->sim().packageCount()) : reply,
                 package ? "00 1" : "1000\nPARLEX\nACME\n");
        QVERIFY(meanwhile != "request" || (secondReply != "" && secondReply != "-1"));
        QCOMPARE(handled, 0);
        QCOMPARE(menu.statusPanel(2), "Hazır");
        QVERIFY(!QGuiApplication::overrideCursor());
        // A refused close is not lost: the user closes again.
        QVERIFY(window.isVisible() && window.close());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
