#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "rules/RuleRunner.h"
#include "rules/RuleStore.h"
#include "shell/QtUi.h"
#include "shell/TrayControl.h"
#include "shell/frmMenu.h"
#include "support/RunnerWorld.h"
#include "support/TestEnvironment.h"

namespace {

const QString ExitQuestion =
    QStringLiteral("Programı kapattığınızda otomatik gönderim işlemi kapatılacaktır.\r\n"
                   "Yinede programı kapatmak istediğinizden emin misiniz?");

QAction* action(frmMenu& menu, const char* name) {
    auto* found = menu.findChild<QAction*>(QLatin1String(name));
    if (!found)
        qFatal("no action %s", name);
    return found;
}

// A main window as start-up leaves it, on a desktop with or without a
// notification area.
struct Shown {
    explicit Shown(
        bool tray, PollingTimer::Pass pass = [] {})
        : menu(nullptr, std::move(pass)) {
        menu.TrayControl1().forceAvailability(tray);
        menu.show();
    }
    frmMenu menu;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadShowsFrameAndAccount();
    void menusCarryTheirCaptions_data();
    void menusCarryTheirCaptions();
    void windowsOfLaterWorkAreNotYetAvailable();
    void closeBoxHidesIntoTrayWithoutQuestion();
    void closeBoxWithoutTrayMinimisesNormally();
    void trayRestoresTheWindowWhereItWas_data();
    void trayRestoresTheWindowWhereItWas();
    void rightClickOnTrayOpensProgramMenu();
    void exitAnsweredNoThenCloseBox();
    void exitAnsweredYesEndsTheProgram();
    void exitDuringAPassFinishesOnlyTheFileInHand();
    void tickRunsOnePassAndFollowsTheSwitch_data();
    void tickRunsOnePassAndFollowsTheSwitch();
    void passThatFailsKeepsTheProgramRunning();
    void statusTextGoesToPanelTwo();
    void longStatusTextIsElidedToFit_data();
    void longStatusTextIsElidedToFit();
    void helpOpensDeliveredFileOrSaysWhy_data();
    void helpOpensDeliveredFileOrSaysWhy();

private:
    std::unique_ptr<TestEnvironment> env;
};

void TestMainWindow::init() {
    env = std::make_unique<TestEnvironment>();
    App().gUserName = QStringLiteral("ali");
    App().gGatewayMode = QStringLiteral("Parlex");
}

void TestMainWindow::cleanup() {
    env.reset();
}

void TestMainWindow::loadShowsFrameAndAccount() {
    App().gFileCounter = 7;
    App().gNoMainWindow = true;
    Shown s(true);
    QCOMPARE(s.menu.windowTitle(), QStringLiteral("Parlex 1.0"));
    QCOMPARE(App().gFileCounter, 0);
    QVERIFY(!App().gNoMainWindow);
    const QStringList panels{"Durum", "Hazır", "Aktif kullanıcı", "ali", "SMS Gateway", "Parlex"};
    for (int i = 0; i < panels.size(); ++i)
        QCOMPARE(s.menu.statusPanel(i + 1), panels.at(i));
    QVERIFY(!s.menu.TrayControl1().Enabled());
    QCOMPARE(s.menu.TrayControl1().ToolTipText(), QStringLiteral("Parlex 1.0"));
    QVERIFY(!action(s.menu, "miGoster")->isVisible());
    // No pass runs until the status screen has been opened.
    QVERIFY(!s.menu.Timer1().isEnabled());
    QVERIFY(!s.menu.Timer1().isCounting());
}

void TestMainWindow::menusCarryTheirCaptions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Program") << "miProgram"
                             << "&Program";
    QTest::newRow("SMS") << "miSMS"
                         << "&SMS";
    QTest::newRow("Raporlar") << "miRapor"
                              << "&Raporlar";
    QTest::newRow("Yardım") << "miYardim"
                            << "Yardım";
    QTest::newRow("göster") << "miGoster"
                            << "Programı &göster";
    QTest::newRow("çıkış") << "miCikis"
                           << "Çı&kış";
    QTest::newRow("hesap") << "miHesapAyar"
                           << "&Hesap ayarları";
    QTest::newRow("dosya") << "miDosyaSMS"
                           << "&Dosyadan SMS gönder";
    QTest::newRow("otomatik") << "miOtoMesaj"
                              << "&Otomatik gönderim ayarları";
    QTest::newRow("raporlar") << "miSMSRapor"
                              << "&Mesaj gönderim raporları";
    QTest::newRow("hizmet") << "miHizDurumu"
                            << "&Hizmet durumu";
    QTest::newRow("yardım") << "miTxtYardim"
                            << "Parlex Yardımı";
    QTest::newRow("hakkında") << "miHakkinda"
                              << "Parlex Hakkında";
    QTest::newRow("web") << "miWeb"
                         << "destek.parlex.invalid";
}

void TestMainWindow::menusCarryTheirCaptions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    frmMenu menu;
    if (auto* m = menu.findChild<QMenu*>(name)) {
        QCOMPARE(m->title(), caption);
        return;
    }
    auto* item = menu.findChild<QAction*>(name);
    QVERIFY(item);
    QCOMPARE(item->text(), caption);
}

void TestMainWindow::windowsOfLaterWorkAreNotYetAvailable() {
    frmMenu menu;
    for (const char* name :
         {"miHesapAyar", "miDosyaSMS", "miOtoMesaj", "miSMSRapor", "miHakkinda", "miWeb"})
        QVERIFY2(!action(menu, name)->isEnabled(), name);
    for (const char* name : {"miCikis", "miHizDurumu", "miTxtYardim"})
        QVERIFY2(action(menu, name)->isEnabled(), name);
}

void TestMainWindow::closeBoxHidesIntoTrayWithoutQuestion() {
    Shown s(true);
    s.menu.Timer1().setEnabled(true);

    QVERIFY(!s.menu.close());
    QTRY_VERIFY(!s.menu.isVisible());
    QVERIFY(s.menu.TrayControl1().Enabled());
    QVERIFY(action(s.menu, "miGoster")->isVisible());
    QVERIFY(env->ui().boxes.empty());
    // Automatic sending goes on behind the icon.
    QVERIFY(s.menu.Timer1().isCounting());
}

void TestMainWindow::closeBoxWithoutTrayMinimisesNormally() {
    Shown s(false);
    QVERIFY(!s.menu.close());
    QTRY_VERIFY(s.menu.isMinimized());
    // Let the deferred tray handling run; the window must stay reachable.
    QCoreApplication::processEvents();
    QVERIFY(s.menu.isVisible());
    QVERIFY(!s.menu.TrayControl1().Enabled());
    QVERIFY(env->ui().boxes.empty());
}

void TestMainWindow::trayRestoresTheWindowWhereItWas_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("double click") << "double click";
    QTest::newRow("Programı göster") << "miGoster";
    QTest::newRow("notification area goes away") << "area gone";
}

void TestMainWindow::trayRestoresTheWindowWhereItWas() {
    QFETCH(QString, way);
    Shown s(true);
    const QRect where(140, 90, 880, 640);
    s.menu.setGeometry(where);
    QTRY_COMPARE(s.menu.geometry(), where);
    s.menu.close();
    QTRY_VERIFY(!s.menu.isVisible());
    // A window manager may place a window anew when it is shown again.
    s.menu.move(0, 0);
    if (way == "double click")
        s.menu.TrayControl1().deliverActivation(QSystemTrayIcon::DoubleClick);
    else if (way == "miGoster")
        action(s.menu, "miGoster")->trigger();
    else
        s.menu.TrayControl1().forceAvailability(false);
    QTRY_VERIFY(s.menu.isVisible());
    QVERIFY(!s.menu.isMinimized());
    QCOMPARE(s.menu.geometry(), where);
    QVERIFY(!s.menu.TrayControl1().Enabled());
    QVERIFY(!action(s.menu, "miGoster")->isVisible());
}

void TestMainWindow::rightClickOnTrayOpensProgramMenu() {
    Shown s(true);
    s.menu.close();
    QTRY_VERIFY(!s.menu.isVisible());
    auto* program = s.menu.findChild<QMenu*>(QStringLiteral("miProgram"));

    s.menu.TrayControl1().deliverActivation(QSystemTrayIcon::Trigger);
    QVERIFY(!program->isVisible());
    QVERIFY(!s.menu.isVisible());

    s.menu.TrayControl1().deliverActivation(QSystemTrayIcon::Context);
    QTRY_VERIFY(program->isVisible());
    QVERIFY(action(s.menu, "miGoster")->isVisible());
    QVERIFY(action(s.menu, "miCikis")->isVisible());
    program->hide();
}

void TestMainWindow::exitAnsweredNoThenCloseBox() {
    Shown s(true);
    QSignalSpy exits(&s.menu, &frmMenu::exitConfirmed);
    env->ui().queueAnswer(false);

    action(s.menu, "miCikis")->trigger();
    QCOMPARE(env->ui().boxes.size(), size_t(1));
    QCOMPARE(env->ui().boxes[0].kind, UiServices::BoxKind::Question);
    QCOMPARE(env->ui().boxes[0].title, QStringLiteral("Uyarı"));
    QCOMPARE(env->ui().boxes[0].text, ExitQuestion);
    QVERIFY(s.menu.isVisible());
    QVERIFY(!App().gNoMainWindow);

    // The flag was cleared: the close box minimises again, asking nothing.
    s.menu.close();
    QTRY_VERIFY(!s.menu.isVisible());
    QCOMPARE(env->ui().boxes.size(), size_t(1));
    QCOMPARE(exits.count(), 0);
}

void TestMainWindow::exitAnsweredYesEndsTheProgram() {
    Shown s(true);
    s.menu.TrayControl1().setEnabled(true);
    QSignalSpy exits(&s.menu, &frmMenu::exitConfirmed);
    env->ui().queueAnswer(true);

    action(s.menu, "miCikis")->trigger();
    QCOMPARE(exits.count(), 1);
    QVERIFY(!s.menu.TrayControl1().Enabled());
    QVERIFY(!s.menu.isVisible());
    QCOMPARE(env->ui().boxes.size(), size_t(1));
}

void TestMainWindow::exitDuringAPassFinishesOnlyTheFileInHand() {
    RunnerWorld w;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        w.drop(QString::fromLatin1(name), "gsm;ad;tutar\n5321234567;Ali;10\n");
    Shown s(true, &OtoMesaj);
    // Çıkış is confirmed while the first file is being built.
    w.env.ui().queueAnswer(true);
    w.env.ui().onYield = [&s, &w] {
        if (s.menu.isVisible() && !w.logLines().isEmpty())
            action(s.menu, "miCikis")->trigger();
    };
    s.menu.Timer1().tick();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(w.packageRows(), 1);
    QCOMPARE(RunnerWorld::files(w.out), QStringList{"a.txt"});
    QCOMPARE(RunnerWorld::files(w.in), (QStringList{"Schema.ini", "b.txt", "c.txt"}));
}

void TestMainWindow::tickRunsOnePassAndFollowsTheSwitch_data() {
    QTest::addColumn<bool>("switchOn");
    QTest::newRow("switch on") << true;
    QTest::newRow("switch off") << false;
}

void TestMainWindow::tickRunsOnePassAndFollowsTheSwitch() {
    QFETCH(bool, switchOn);
    SetAutoSendSwitch(switchOn);
    int passes = 0;
    bool countingDuringPass = true;
    frmMenu* menu = nullptr;
    Shown s(true, [&] {
        ++passes;
        countingDuringPass = menu->Timer1().isCounting();
    });
    menu = &s.menu;
    s.menu.Timer1().setEnabled(true);

    s.menu.Timer1().tick();
    QCOMPARE(passes, 1);
    QVERIFY(!countingDuringPass);
    QCOMPARE(s.menu.Timer1().isEnabled(), switchOn);
    QCOMPARE(s.menu.Timer1().isCounting(), switchOn);
}

void TestMainWindow::passThatFailsKeepsTheProgramRunning() {
    SetAutoSendSwitch(true);
    Shown s(true, [] { throw std::runtime_error("klasör okunamadı"); });
    s.menu.Timer1().setEnabled(true);
    s.menu.Timer1().tick();
    QVERIFY(s.menu.Timer1().isCounting());
    QVERIFY(!env->ui().statusTexts.empty());
    QVERIFY(env->ui().statusTexts.back().contains(QStringLiteral("klasör okunamadı")));
}

void TestMainWindow::statusTextGoesToPanelTwo() {
    App().ui = std::make_shared<QtUi>();
    frmMenu menu;
    UserInterface().setStatusText(QStringLiteral("[kural] Hata kodu : 07"));
    QCOMPARE(menu.statusPanel(2), QStringLiteral("[kural] Hata kodu : 07"));
}

void TestMainWindow::longStatusTextIsElidedToFit_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("elided");
    QTest::newRow("window made narrower") << 4000 << 820 << true;
    QTest::newRow("window made wider") << 820 << 4000 << false;
}

void TestMainWindow::longStatusTextIsElidedToFit() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, elided);
    Shown s(true);
    s.menu.resize(from, 600);
    const QString text = "[Borç] " + QStringLiteral("/home/kullanici/parlex/gelen").repeated(6) +
                         "/liste.txt dosyası okunamadı.";
    s.menu.setStatusPanel(2, text);
    s.menu.resize(to, 600);

    auto* panel = s.menu.findChild<QLabel*>(QStringLiteral("Panel2"));
    QTRY_COMPARE(panel->text().endsWith(u'…'), elided);
    QCOMPARE(s.menu.statusPanel(2), text);
    if (elided) {
        QVERIFY(text.startsWith(panel->text().chopped(1)));
        QCOMPARE(panel->toolTip(), text);
    } else {
        QCOMPARE(panel->text(), text);
    }
}

void TestMainWindow::helpOpensDeliveredFileOrSaysWhy_data() {
    QTest::addColumn<bool>("delivered");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("status"); // empty: nothing to say
    // Beside the test program there is no guide.
    QTest::newRow("no help file") << false << true << "Yardım dosyası bulunamadı.";
    QTest::newRow("delivered file opens") << true << true << "";
    QTest::newRow("delivered file will not open") << true << false << "Yardım dosyası açılamadı: ";
}

void TestMainWindow::helpOpensDeliveredFileOrSaysWhy() {
    QFETCH(bool, delivered);
    QFETCH(bool, opens);
    QFETCH(QString, status);
    const QString chm =
        delivered ? env->writeFile(QStringLiteral("parlex.chm"), "ITSF") : QString();
    env->ui().opens = opens;
    frmMenu menu;
    menu.openHelp();
    QCOMPARE(env->ui().opened, delivered ? std::vector<QString>{chm} : std::vector<QString>{});
    if (status.endsWith(u' '))
        status += chm;
    QCOMPARE(env->ui().statusTexts,
             status.isEmpty() ? std::vector<QString>{} : std::vector<QString>{status});
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
