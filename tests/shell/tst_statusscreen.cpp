#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "rules/RuleStore.h"
#include "rules/ServiceSummary.h"
#include "rules/frmAna.h"
#include "shell/GridModels.h"
#include "shell/TrayControl.h"
#include "shell/frmMenu.h"
#include "support/TestEnvironment.h"

namespace {

const QString Started = QStringLiteral("Tüm otomatik gönderim kuralları başlatıldı.");
const QString Stopped = QStringLiteral("Tüm otomatik gönderim kuralları durduruldu.");

template <typename T> T* control(QWidget& window, const char* name) {
    auto* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QString labelText(QWidget& window, const char* name) {
    return control<QLabel>(window, name)->text();
}

QStringList logTexts() {
    QStringList texts;
    Recordset rs = OpenRecordset(QStringLiteral("SELECT aciklama FROM tbl_log_txt ORDER BY id"));
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        texts << rs.text(0);
    return texts;
}

void recordPackage(const QString& deliveredAt, int size) {
    ExecuteSql(QStringLiteral("INSERT INTO tbl_giden_txt (msgid,msgtip,gateway,paket_boyut,"
                              "dosya_adi,kural,originator,tarih,gtarih) VALUES ('p','Otomatik "
                              "gönderim','Parlex',%1,'a.txt',1,'FIRMA','%2','%2')")
                   .arg(size)
                   .arg(deliveredAt));
}

} // namespace

class TestStatusScreen : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openingFollowsTheGlobalSwitch_data();
    void openingFollowsTheGlobalSwitch();
    void startAndStopWriteTheirLogLines();
    void countersOnAnEmptyRecordAreZero();
    void todayCountersCoverTheWholeDay_data();
    void todayCountersCoverTheWholeDay();
    void stopDuringAPassSticks();
    void switchTurnedOffElsewhereDuringAPassSticks();
    void reopenedScreenFollowsTheTimer();
    void secondMenuChoiceBringsTheScreenForward();
    void logGridHidesIdAndSizesColumns();
    void logGridRefreshesEverySecond();
    void closeButtonUnloadsScreenButKeepsSending();
    void exportIsNotYetAvailable();

private:
    frmAna* open();

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<frmMenu> menu;
    std::function<void()> pass;
};

void TestStatusScreen::init() {
    env = std::make_unique<TestEnvironment>();
    App().gUserName = QStringLiteral("veli");
    App().gGatewayMode = QStringLiteral("Hollin");
    App().gAdPageUrl = QStringLiteral("http://www.parlex.invalid/reklam/?prm=Parlex");
    pass = [] {
    };
    menu = std::make_unique<frmMenu>(nullptr, [this] { pass(); });
    menu->TrayControl1().forceAvailability(true);
    // Passes run when a test ticks, not when an hour has gone by.
    menu->Timer1().setInterval(3600 * 1000);
    menu->show();
}

void TestStatusScreen::cleanup() {
    menu.reset();
    env.reset();
}

frmAna* TestStatusScreen::open() {
    menu->findChild<QAction*>(QStringLiteral("miHizDurumu"))->trigger();
    return menu->statusScreen();
}

void TestStatusScreen::openingFollowsTheGlobalSwitch_data() {
    QTest::addColumn<bool>("on");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("switch at 1") << true << "Tüm kurallar başlatıldı"
                                 << "Kuralları durdur" << QColor(0, 0, 255);
    QTest::newRow("switch at 0") << false << "Tüm kurallar durduruldu"
                                 << "Kuralları başlat" << QColor(255, 0, 0);
}

void TestStatusScreen::openingFollowsTheGlobalSwitch() {
    QFETCH(bool, on);
    QFETCH(QString, state);
    QFETCH(QString, button);
    QFETCH(QColor, colour);
    SetAutoSendSwitch(on);
    // The frame writes no account until a screen asks for it again.
    menu->setStatusPanel(4, QString());

    frmAna* screen = open();
    QVERIFY(screen);
    auto* durum = control<QLabel>(*screen, "lblDurum");
    QCOMPARE(durum->text(), state);
    QCOMPARE(durum->palette().color(QPalette::WindowText), colour);
    QVERIFY(durum->font().bold());
    QCOMPARE(control<QPushButton>(*screen, "cmdBaslat")->text(), button);
    QCOMPARE(menu->Timer1().isEnabled(), on);
    QCOMPARE(menu->Timer1().isCounting(), on);
    QVERIFY(screen->Timer1().isActive());
    QCOMPARE(menu->statusPanel(4), QStringLiteral("veli"));
    QCOMPARE(menu->statusPanel(6), QStringLiteral("Hollin"));
}

void TestStatusScreen::startAndStopWriteTheirLogLines() {
    SetAutoSendSwitch(false);
    frmAna* screen = open();
    auto* button = control<QPushButton>(*screen, "cmdBaslat");

    button->click();
    QCOMPARE(AutoSendSwitch(), QStringLiteral("1"));
    QVERIFY(menu->Timer1().isCounting());
    QCOMPARE(labelText(*screen, "lblDurum"), QStringLiteral("Tüm kurallar başlatıldı"));

    button->click();
    QCOMPARE(AutoSendSwitch(), QStringLiteral("0"));
    QVERIFY(!menu->Timer1().isEnabled());
    QVERIFY(!menu->Timer1().isCounting());
    QCOMPARE(labelText(*screen, "lblDurum"), QStringLiteral("Tüm kurallar durduruldu"));

    QCOMPARE(logTexts(), (QStringList{Started, Stopped}));
    // Newest on top in the grid.
    NewestFirstModel& log = screen->rsLog();
    QTRY_COMPARE(log.rowCount(), 2);
    QCOMPARE(log.data(log.index(0, 2)).toString(), Stopped);
    QCOMPARE(log.data(log.index(1, 2)).toString(), Started);
}

void TestStatusScreen::countersOnAnEmptyRecordAreZero() {
    frmAna* screen = open();
    for (const char* name : {"lblToplamDosya", "lblBugunSay", "lblToplamSMSSay", "lblBugunSMSSay"})
        QCOMPARE(labelText(*screen, name), QStringLiteral("0"));
}

void TestStatusScreen::todayCountersCoverTheWholeDay_data() {
    QTest::addColumn<QString>("deliveredAt");
    QTest::addColumn<bool>("today");
    QTest::newRow("yesterday's last second") << "04.03.2026 23:59:59" << false;
    QTest::newRow("midnight") << "05.03.2026 00:00:00" << true;
    QTest::newRow("first second") << "05.03.2026 00:00:01" << true;
    QTest::newRow("last second") << "05.03.2026 23:59:59" << true;
    QTest::newRow("tomorrow's midnight") << "06.03.2026 00:00:00" << false;
}

void TestStatusScreen::todayCountersCoverTheWholeDay() {
    QFETCH(QString, deliveredAt);
    QFETCH(bool, today);
    env->ui().setNow(QDateTime(QDate(2026, 3, 5), QTime(12, 0, 0)));
    recordPackage(QStringLiteral("05.03.2026 10:00:00"), 5);
    recordPackage(deliveredAt, 7);

    frmAna* screen = open();
    QCOMPARE(labelText(*screen, "lblToplamDosya"), QStringLiteral("2"));
    QCOMPARE(labelText(*screen, "lblToplamSMSSay"), QStringLiteral("12"));
    QCOMPARE(labelText(*screen, "lblBugunSay"), today ? QStringLiteral("2") : QStringLiteral("1"));
    QCOMPARE(labelText(*screen, "lblBugunSMSSay"),
             today ? QStringLiteral("12") : QStringLiteral("5"));
}

void TestStatusScreen::stopDuringAPassSticks() {
    SetAutoSendSwitch(true);
    frmAna* screen = open();
    auto* button = control<QPushButton>(*screen, "cmdBaslat");
    pass = [&] {
        button->click();
    }; // the user stops while the pass yields

    menu->Timer1().tick();
    QVERIFY(!menu->Timer1().isEnabled());
    QVERIFY(!menu->Timer1().isCounting());
    QCOMPARE(AutoSendSwitch(), QStringLiteral("0"));

    screen->Form_Activate();
    QCOMPARE(labelText(*screen, "lblDurum"), QStringLiteral("Tüm kurallar durduruldu"));
    QCOMPARE(button->text(), QStringLiteral("Kuralları başlat"));
}

void TestStatusScreen::switchTurnedOffElsewhereDuringAPassSticks() {
    SetAutoSendSwitch(true);
    frmAna* screen = open();
    pass = [] {
        SetAutoSendSwitch(false);
    };

    menu->Timer1().tick();
    screen->Form_Activate();
    QCOMPARE(labelText(*screen, "lblDurum"), QStringLiteral("Tüm kurallar durduruldu"));
    QVERIFY(!menu->Timer1().isCounting());
}

void TestStatusScreen::reopenedScreenFollowsTheTimer() {
    SetAutoSendSwitch(true);
    open();
    menu->closeStatusScreen();
    QTRY_VERIFY(!menu->statusScreen());
    // The timer runs on although the switch now says otherwise (another
    // screen's click that was never stored, say): the screen shows the timer.
    ExecuteSql(QStringLiteral("UPDATE tbl_param SET deger='2' WHERE parametre='flg_parlex'"));
    frmAna* screen = open();
    QCOMPARE(labelText(*screen, "lblDurum"), QStringLiteral("Tüm kurallar başlatıldı"));
    QVERIFY(menu->Timer1().isCounting());
}

void TestStatusScreen::secondMenuChoiceBringsTheScreenForward() {
    frmAna* first = open();
    WriteLog(QStringLiteral("arada"));
    frmAna* second = open();
    QCOMPARE(second, first);
    QCOMPARE(menu->mdiArea()->subWindowList().size(), 1);
    // Not reloaded: the line written in between arrives with the next tick.
    QCOMPARE(first->rsLog().rowCount(), 0);
}

void TestStatusScreen::logGridHidesIdAndSizesColumns() {
    WriteLog(QStringLiteral("bir"));
    frmAna* screen = open();
    auto* grid = control<QTableView>(*screen, "DataGrid1");
    QCOMPARE(grid->model(), &screen->rsLog());
    QVERIFY(grid->isColumnHidden(0));
    QVERIFY(!grid->isColumnHidden(1));
    QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Tarih"));
    QCOMPARE(grid->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Açıklama"));

    screen->parentWidget()->resize(900, 600);
    QTRY_COMPARE(grid->columnWidth(1), qRound(grid->width() * 0.2) - 12);
    QCOMPARE(grid->columnWidth(2), qRound(grid->width() * 0.8) - 12);
}

void TestStatusScreen::logGridRefreshesEverySecond() {
    frmAna* screen = open();
    QCOMPARE(screen->rsLog().rowCount(), 0);
    WriteLog(QStringLiteral("[kural] a.txt dosyası açılıyor..."));
    recordPackage(QStringLiteral("01.01.2020 10:00:00"), 3);
    QTRY_COMPARE(screen->rsLog().rowCount(), 1);
    QTRY_COMPARE(labelText(*screen, "lblToplamSMSSay"), QStringLiteral("3"));
}

void TestStatusScreen::closeButtonUnloadsScreenButKeepsSending() {
    SetAutoSendSwitch(true);
    frmAna* screen = open();
    control<QPushButton>(*screen, "cmdEkranKapat")->click();
    QTRY_VERIFY(!menu->statusScreen());
    QVERIFY(menu->mdiArea()->subWindowList().isEmpty());
    QVERIFY(menu->Timer1().isCounting());
}

void TestStatusScreen::exportIsNotYetAvailable() {
    frmAna* screen = open();
    auto* export_ = control<QPushButton>(*screen, "Command1");
    QCOMPARE(export_->text(), QStringLiteral("Excel'e Gönder"));
    QVERIFY(!export_->isEnabled());
}

QTEST_MAIN(TestStatusScreen)
#include "tst_statusscreen.moc"
