#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "account/frmGiris.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/InstanceLock.h"
#include "shell/ProgramStart.h"
#include "shell/TrayControl.h"
#include "shell/WaitingTransport.h"
#include "shell/frmMenu.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"

namespace {

const QString CheckFailed = QStringLiteral("Sistem bilgileri kontrol edilemiyor.\r\n"
                                           "Mesaj merkezine bağlantı sağlanamadı.\r\n"
                                           "Parlex uygulaması kapatılıyor...");

// The database as a user left it: main account or Hollin, remembered or
// not, pointing at the simulator.
void storeAccount(SimulatorFixture& sim, bool hollin, bool remember, const QString& password) {
    const QString flag = remember ? QStringLiteral("1") : QStringLiteral("0");
    ExecuteSql(QStringLiteral("UPDATE tbl_ayarlar SET kullanici_adi='%1', parola='%2', ckey='%3', "
                              "flg_kaydet='%4', kullanici_adi_i='hollin', parola_i='%2', "
                              "flg_kaydet_i='%4', flg_gw='%5', url_hollin='%6'")
                   .arg(SimulatorFixture::UserName, password, SimulatorFixture::ClientCode, flag,
                        hollin ? QStringLiteral("1") : QStringLiteral("0"),
                        sim.url(QStringLiteral("/hollin/gw"))));
    SetParam(QStringLiteral("merkez_guvenli_adres"), sim.url(QString()));
    SetParam(QStringLiteral("kontrol_periyot"), QStringLiteral("120000"));
    // Start-up opens the database itself, as a fresh program would.
    App().gConnection.close();
}

// The start window, when it is on screen and the window system has shown it.
bool startWindowShown() {
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("frmBaslangic") && window->isVisible() &&
            window->windowHandle()->isExposed())
            return true;
    }
    return false;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startRefusedWithoutTheLock_data();
    void startRefusedWithoutTheLock();
    void secondStartBringsTheRunningWindowBack_data();
    void secondStartBringsTheRunningWindowBack();
    void missingSettingsRowEndsQuietly();
    void forgottenAccountShowsLogin_data();
    void forgottenAccountShowsLogin();
    void rememberedAccountOpensMainWindow();
    void startWindowShowsWhileTheCheckWaits_data();
    void startWindowShowsWhileTheCheckWaits();
    void rejectedAccountShowsBothBoxesAndNoWindow();
    void loginOpensTheMainWindow();
    void cancelledLoginEndsTheProgram();
    void confirmedExitEndsTheProgram();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatorFixture> sim;
};

void TestStartup::init() {
    env = std::make_unique<TestEnvironment>();
    sim = std::make_unique<SimulatorFixture>();
}

void TestStartup::cleanup() {
    sim.reset();
    env.reset();
}

void TestStartup::startRefusedWithoutTheLock_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("cause"); // empty: the program is running

    QTest::newRow("program already running") << "running"
                                             << "";
    QTest::newRow("program folder below a file") << "below a file"
                                                 << "klasör bulunamadı.";
}

void TestStartup::startRefusedWithoutTheLock() {
    QFETCH(QString, obstacle);
    QFETCH(QString, cause);
    QString folder = env->folder();
    InstanceLock running(folder);
    if (obstacle == "running")
        QVERIFY(running.tryLock());
    else
        folder = env->writeFile(QStringLiteral("dosya"), "x") + "/parlex";

    ProgramStart start(folder);
    QVERIFY(!start.run());
    QCOMPARE(env->ui().boxes.size(), size_t(1));
    const ScriptedUi::Box& box = env->ui().boxes[0];
    QCOMPARE(box.title, QStringLiteral("Parlex 1.0"));
    if (cause.isEmpty()) {
        QCOMPARE(box.kind, UiServices::BoxKind::Information);
        QCOMPARE(box.text, QStringLiteral("Program Zaten Çalışıyor."));
    } else {
        QCOMPARE(box.kind, UiServices::BoxKind::Error);
        QCOMPARE(box.text, "Program başlatılamıyor: program klasöründe kilit dosyası "
                           "oluşturulamadı.\r\nKlasör: " +
                               folder + "\r\nNeden: " + cause);
    }
    QVERIFY(!start.mainWindow());
    QVERIFY(!start.loginWindow());
    QCOMPARE(sim->sim().requestCount(), 0);
}

void TestStartup::secondStartBringsTheRunningWindowBack_data() {
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("throughLink");

    QTest::newRow("hidden in the notification area") << true << false;
    QTest::newRow("minimised without a notification area") << false << false;
    QTest::newRow("started through a link to the folder") << true << true;
}

void TestStartup::secondStartBringsTheRunningWindowBack() {
    QFETCH(bool, tray);
    QFETCH(bool, throughLink);
    storeAccount(*sim, false, true, SimulatorFixture::Password);
    ProgramStart first(env->folder());
    QVERIFY(first.run());
    frmMenu* menu = first.mainWindow();
    menu->TrayControl1().forceAvailability(tray);
    menu->close();
    if (tray)
        QTRY_VERIFY(!menu->isVisible());
    else
        QTRY_VERIFY(menu->isMinimized());

    QString folder = env->folder();
    if (throughLink) {
        folder = env->filePath(QStringLiteral("kendisi"));
        QVERIFY(QFile::link(env->folder(), folder));
    }
    ProgramStart second(folder);
    QVERIFY(!second.run());
    QCOMPARE(env->ui().boxes.size(), size_t(1));
    QCOMPARE(env->ui().boxes[0].text, QStringLiteral("Program Zaten Çalışıyor."));
    QTRY_VERIFY(menu->isVisible() && !menu->isMinimized());
    QVERIFY(!menu->TrayControl1().Enabled());
}

void TestStartup::missingSettingsRowEndsQuietly() {
    ExecuteSql(QStringLiteral("DELETE FROM tbl_ayarlar"));
    App().gConnection.close();
    ProgramStart start(env->folder());
    QVERIFY(!start.run());
    QVERIFY(env->ui().boxes.empty());
    QVERIFY(!start.mainWindow());
    QVERIFY(!start.loginWindow());
}

void TestStartup::forgottenAccountShowsLogin_data() {
    QTest::addColumn<bool>("hollin");
    QTest::newRow("main account") << false;
    QTest::newRow("Hollin") << true;
}

void TestStartup::forgottenAccountShowsLogin() {
    QFETCH(bool, hollin);
    storeAccount(*sim, hollin, false, SimulatorFixture::Password);
    ProgramStart start(env->folder());
    QVERIFY(start.run());
    QVERIFY(start.loginWindow());
    QVERIFY(start.loginWindow()->isVisible());
    QVERIFY(!start.mainWindow());
    QVERIFY(App().gNoMainWindow);
    QCOMPARE(App().gGatewayMode, hollin ? QStringLiteral("Hollin") : QStringLiteral("Parlex"));
    auto* client = start.loginWindow()->findChild<QLineEdit*>(QStringLiteral("txtClientKodu"));
    QCOMPARE(client->isVisible(), !hollin);
    if (hollin) // the address comes from the settings even when nothing is remembered
        QCOMPARE(App().gGatewayUrl, sim->url(QStringLiteral("/hollin/gw")));
    QCOMPARE(sim->sim().requestCount(), 0);
}

void TestStartup::rememberedAccountOpensMainWindow() {
    storeAccount(*sim, false, true, SimulatorFixture::Password);
    ProgramStart start(env->folder());
    QVERIFY(start.run());
    QVERIFY(!start.loginWindow());
    QVERIFY(start.mainWindow());
    QVERIFY(start.mainWindow()->isVisible());
    QVERIFY(env->ui().boxes.empty());
    QCOMPARE(sim->sim().requestCount(12), 1);
    QCOMPARE(start.mainWindow()->Timer1().interval(), 120000);
    // Polling waits for the status screen.
    QVERIFY(!start.mainWindow()->Timer1().isCounting());
    QCOMPARE(start.mainWindow()->statusPanel(4), SimulatorFixture::UserName);
}

void TestStartup::startWindowShowsWhileTheCheckWaits_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("accepted") << SimulatorFixture::Password << true;
    QTest::newRow("refused") << QStringLiteral("yanlis") << false;
}

void TestStartup::startWindowShowsWhileTheCheckWaits() {
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    storeAccount(*sim, false, true, password);
    WaitingTransport::install();
    // The check's reply is held until the window has been seen.
    sim->sim().setFault(12, SimFault::delayed(std::chrono::minutes(1)));
    bool shownWhileWaiting = false;
    QTimer look;
    connect(&look, &QTimer::timeout, [&] {
        if (sim->sim().arrivedCount(12) == 1 && !shownWhileWaiting && startWindowShown()) {
            shownWhileWaiting = true;
            sim->sim().stop();
        }
    });
    look.start(10);

    ProgramStart start(env->folder());
    QCOMPARE(start.run(), accepted);
    QVERIFY(shownWhileWaiting);
    QVERIFY(!startWindowShown());
    QCOMPARE(start.mainWindow() != nullptr, accepted);
}

void TestStartup::rejectedAccountShowsBothBoxesAndNoWindow() {
    storeAccount(*sim, false, true, QStringLiteral("yanlis"));
    ProgramStart start(env->folder());
    QVERIFY(!start.run());
    QVERIFY(!start.mainWindow());
    QVERIFY(!start.loginWindow());
    QCOMPARE(env->ui().boxes.size(), size_t(2));
    QCOMPARE(env->ui().boxes[0].kind, UiServices::BoxKind::Error);
    QCOMPARE(env->ui().boxes[0].title, QStringLiteral("Parlex 1.0"));
    QCOMPARE(env->ui().boxes[0].text, CheckFailed);
    QCOMPARE(env->ui().boxes[1].kind, UiServices::BoxKind::Error);
    QCOMPARE(env->ui().boxes[1].title, QStringLiteral("Parlex"));
    QCOMPARE(env->ui().boxes[1].text, QStringLiteral("Mesaj merkeziyle bağlantı kurulamıyor."));
}

void TestStartup::loginOpensTheMainWindow() {
    storeAccount(*sim, false, false, SimulatorFixture::Password);
    ProgramStart start(env->folder());
    QSignalSpy ended(&start, &ProgramStart::ended);
    QVERIFY(start.run());
    frmGiris* login = start.loginWindow();
    login->findChild<QLineEdit*>(QStringLiteral("txtUserName"))
        ->setText(SimulatorFixture::UserName);
    login->findChild<QLineEdit*>(QStringLiteral("txtPassWord"))
        ->setText(SimulatorFixture::Password);
    login->findChild<QLineEdit*>(QStringLiteral("txtClientKodu"))
        ->setText(SimulatorFixture::ClientCode);
    login->findChild<QPushButton*>(QStringLiteral("btnOturumAc"))->click();

    QVERIFY(start.mainWindow());
    QVERIFY(start.mainWindow()->isVisible());
    QVERIFY(!login->isVisible());
    QCOMPARE(start.mainWindow()->Timer1().interval(), 120000);
    QCOMPARE(ended.count(), 0);
}

void TestStartup::cancelledLoginEndsTheProgram() {
    storeAccount(*sim, true, false, SimulatorFixture::Password);
    ProgramStart start(env->folder());
    QSignalSpy ended(&start, &ProgramStart::ended);
    QVERIFY(start.run());
    start.loginWindow()->findChild<QPushButton*>(QStringLiteral("btnVazgec"))->click();
    QCOMPARE(ended.count(), 1);
    QVERIFY(!start.mainWindow());
}

void TestStartup::confirmedExitEndsTheProgram() {
    storeAccount(*sim, false, true, SimulatorFixture::Password);
    ProgramStart start(env->folder());
    QSignalSpy ended(&start, &ProgramStart::ended);
    QVERIFY(start.run());
    env->ui().queueAnswer(true);
    start.mainWindow()->findChild<QAction*>(QStringLiteral("miCikis"))->trigger();
    QCOMPARE(ended.count(), 1);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
