#include <QAbstractItemModelTester>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#include "rules/RuleRunner.h"
#include "rules/RuleStore.h"
#include "rules/frmAna.h"
#include "support/RunnerWorld.h"
#include "support/WindowTestSupport.h"
#include "widgets/GridModels.h"
#include "widgets/QtUi.h"

namespace {

// What the status screen shows: the state, the four counters (files in all
// and today, messages in all and today), the button, then the log's lines.
QStringList shown(QWidget& screen) {
    QStringList texts;
    for (const char* name :
         {"lblDurum", "lblToplamDosya", "lblBugunSay", "lblToplamSMSSay", "lblBugunSMSSay"})
        texts << control<QLabel>(screen, name)->text();
    texts << control<QPushButton>(screen, "cmdBaslat")->text();
    const QAbstractItemModel* log = control<QTableView>(screen, "DataGrid1")->model();
    for (int row = 0; log && row < log->rowCount(); ++row)
        texts << log->data(log->index(row, 2)).toString();
    return texts;
}

void recordPackage(const QString& deliveredAt, int size, int sms = 0) {
    ExecuteSql(QString("INSERT INTO tbl_giden_txt (msgid,paket_boyut,sms_sayisi,gtarih) "
                       "VALUES ('p',%1,%2,'%3')")
                   .arg(size)
                   .arg(sms)
                   .arg(deliveredAt));
}

// The status screen's chart as a user reads it: its days, then the
// messages/SMS of each day that has any.
QString lastDays(QWidget& screen) {
    const QChart* chart = control<QChartView>(screen, "chtGunluk")->chart();
    auto* series = qobject_cast<QBarSeries*>(chart->series().value(0));
    QBarCategoryAxis* days = nullptr;
    for (QAbstractAxis* axis : series ? series->attachedAxes() : QList<QAbstractAxis*>())
        days = days ? days : qobject_cast<QBarCategoryAxis*>(axis);
    if (!days || series->count() != 2 || days->count() == 0)
        return "no chart";
    const QBarSet* messages = series->barSets()[0];
    const QBarSet* sms = series->barSets()[1];
    QStringList shown{
        QString("%1 %2: %3-%4")
            .arg(messages->label(), sms->label(), days->at(0), days->at(days->count() - 1))};
    for (int i = 0; i < days->count(); ++i)
        if (messages->at(i) != 0 || sms->at(i) != 0)
            shown << QString("%1 %2/%3").arg(days->at(i)).arg(messages->at(i)).arg(sms->at(i));
    return QString::number(days->count()) + " " + shown.join(", ");
}

// The ink of a label's text that falls outside the label: the same text
// drawn with room around it, its dark pixels counted beyond the label's own
// area (the faint edge of a smoothed letter may touch it).
int inkOutside(const QLabel& label) {
    const int room = 6;
    QLabel copy;
    copy.setFont(label.font());
    copy.setTextFormat(label.textFormat());
    copy.setText(label.text());
    copy.setAlignment(label.alignment());
    copy.setWordWrap(label.wordWrap());
    copy.setIndent(label.indent());
    copy.setMargin(label.margin());
    copy.setContentsMargins(label.contentsMargins() + QMargins(room, room, room, room));
    copy.resize(label.size() + QSize(2 * room, 2 * room));
    QImage image(copy.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    copy.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QRect own = copy.rect().adjusted(room, room, -room, -room);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!own.contains(x, y) && qGray(image.pixel(x, y)) < 128)
                ++ink;
    return ink;
}

// The captions of a window's shown controls that do not show whole.
QStringList cutCaptions(const QWidget& window) {
    QStringList cut;
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->isVisible() && inkOutside(*label) > 0)
            cut << label->objectName();
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty())
            continue;
        const int needed = qobject_cast<const QPushButton*>(button)
                               ? button->fontMetrics().horizontalAdvance(button->text()) + 8
                               : button->sizeHint().width();
        if (button->width() < needed)
            cut << button->objectName();
    }
    for (const QTabBar* bar : window.findChildren<QTabBar*>())
        for (int i = 0; i < bar->count(); ++i)
            if (!bar->rect().contains(bar->tabRect(i)))
                cut << bar->tabText(i);
    return cut;
}

} // namespace

// The main window with its notification icon, its polling timer and its
// status bar; the status screen it opens; the grids' models.
class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<frmMenu> menu;
    std::function<void()> pass;

    frmAna* openStatusScreen() {
        click(*menu, "miHizDurumu");
        return menu->statusScreen();
    }
    bool inTray() {
        return !menu->isVisible() && menu->TrayControl1().Enabled() &&
               control<QAction>(*menu, "miGoster")->isVisible();
    }

private slots:
    void init() {
        env = std::make_unique<TestEnvironment>();
        App().gUserName = QStringLiteral("veli");
        App().gGatewayMode = QStringLiteral("Hollin");
        env->ui().setNow(QDateTime(QDate(2026, 3, 5), QTime(12, 0, 0)));
        pass = std::function<void()>([] {});
        menu = std::make_unique<frmMenu>(nullptr, [this] { pass(); });
        menu->TrayControl1().forceAvailability(true);
        // Passes run when a test ticks, not when an hour has gone by.
        menu->Timer1().setInterval(3600 * 1000);
        menu->show();
    }
    void cleanup() {
        menu.reset();
        env.reset();
    }

    void trayRestoresTheWindowWhereItWas_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("double click") << "double click";
        QTest::newRow("Programı göster") << "miGoster";
        QTest::newRow("notification area goes away") << "area gone";
    }
    void trayRestoresTheWindowWhereItWas() {
        QFETCH(QString, way);
        menu->Timer1().setEnabled(true);
        const QRect where(140, 90, 880, 640);
        menu->setGeometry(where);
        QTRY_COMPARE(menu->geometry(), where);
        // Çıkış asks first; answered Hayır, the program goes on.
        click(*menu, "miCikis");
        QCOMPARE(shownBoxes(env->ui()).join("").section("\r\n", 0, 0),
                 "Uyarı: Programı kapattığınızda otomatik gönderim işlemi kapatılacaktır.");
        // The close box hides the window behind the icon, asking nothing;
        // automatic sending goes on.
        QVERIFY(!menu->close());
        QTRY_VERIFY(inTray());
        QVERIFY(env->ui().boxes.size() == 1 && menu->Timer1().isCounting());
        // A left click does nothing, a right click opens the Program menu.
        auto* program = control<QMenu>(*menu, "miProgram");
        menu->TrayControl1().deliverActivation(QSystemTrayIcon::Trigger);
        QVERIFY(!program->isVisible() && inTray());
        menu->TrayControl1().deliverActivation(QSystemTrayIcon::Context);
        QTRY_VERIFY(program->isVisible());
        program->hide();

        menu->move(0, 0); // a window manager may place a window anew when shown again
        if (way == "double click")
            menu->TrayControl1().deliverActivation(QSystemTrayIcon::DoubleClick);
        else if (way == "miGoster")
            click(*menu, "miGoster");
        else
            menu->TrayControl1().forceAvailability(false);
        QTRY_VERIFY(menu->isVisible() && !menu->isMinimized());
        QCOMPARE(menu->geometry(), where);
        QVERIFY(!menu->TrayControl1().Enabled());
        QVERIFY(!control<QAction>(*menu, "miGoster")->isVisible());
    }

    void exitDuringAPassFinishesOnlyTheFileInHand() {
        RunnerWorld w;
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            w.drop(QString::fromLatin1(name), "gsm;ad;tutar\n5321234567;Ali;10\n");
        pass = &OtoMesaj;
        // Çıkış is confirmed while the first file is being built.
        w.env.ui().queueAnswer(true);
        w.env.ui().onYield = [this, &w] {
            if (menu->isVisible() && !w.env.logLines().isEmpty())
                click(*menu, "miCikis");
        };
        menu->Timer1().tick();
        QCOMPARE(w.sim->packageCount() + w.packageRows(), 2);
        QCOMPARE(RunnerWorld::files(w.out), QStringList{"a.txt"});
        QCOMPARE(RunnerWorld::files(w.in), (QStringList{"Schema.ini", "b.txt", "c.txt"}));
    }

    void longStatusTextIsElidedToFit() {
        const QString text = "[Borç] " + QStringLiteral("/home/kullanici/gelen").repeated(8) +
                             "/liste.txt dosyası okunamadı.";
        auto* panel = control<QLabel>(*menu, "Panel2");
        QtUi().setStatusText(text);
        for (int width : {4000, 820, 4000}) {
            menu->resize(width, 600);
            const bool elided = width < 1000;
            QTRY_COMPARE(panel->text().endsWith(u'…'), elided);
            QCOMPARE(panel->text(), elided ? text.left(panel->text().size() - 1) + u'…' : text);
            QCOMPARE(panel->toolTip(), elided ? text : QString());
        }
    }

    void helpOpensDeliveredFileOrSaysWhy_data() {
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("status"); // %1: the file
        // Beside the test program there is no guide.
        QTest::newRow("no help file") << false << true << "Yardım dosyası bulunamadı.";
        QTest::newRow("delivered file opens") << true << true << "";
        QTest::newRow("delivered file will not open")
            << true << false << "Yardım dosyası açılamadı: %1";
    }
    void helpOpensDeliveredFileOrSaysWhy() {
        QFETCH(bool, delivered);
        QFETCH(bool, opens);
        QFETCH(QString, status);
        const QString chm = delivered ? env->writeFile("parlex.chm", "ITSF") : QString();
        env->ui().opens = opens;
        click(*menu, "miTxtYardim");
        QCOMPARE(env->ui().opened, delivered ? std::vector{chm} : std::vector<QString>{});
        QCOMPARE(QStringList(env->ui().statusTexts.begin(), env->ui().statusTexts.end()).join(""),
                 status.replace("%1", chm));
    }

    void passFollowsTheSwitchOfAllRules_data() {
        QTest::addColumn<bool>("on");         // the stored switch as the status screen opens
        QTest::addColumn<QString>("during");  // what happens while the pass runs
        QTest::addColumn<bool>("after");      // the switch, and the timer counting, after it
        QTest::addColumn<QString>("logLine"); // what the log says of it
        const auto row = [](const char* name, bool on, const char* during, bool after,
                            const char* log) {
            QTest::newRow(name) << on << QString(during) << after << QString(log);
        };
        row("nothing", true, "", true, "");
        row("user stops", true, "click", false, "Tüm otomatik gönderim kuralları durduruldu.");
        row("user starts", false, "click", true, "Tüm otomatik gönderim kuralları başlatıldı.");
        row("stopped by another program", true, "switch off", false, "");
        row("pass fails", true, "throw", true, "");
    }
    void passFollowsTheSwitchOfAllRules() {
        QFETCH(bool, on);
        QFETCH(QString, during);
        QFETCH(bool, after);
        QFETCH(QString, logLine);
        const QStringList running{"Tüm kurallar başlatıldı", "0", "0", "0", "0",
                                  "Kuralları durdur"};
        const QStringList stopped{"Tüm kurallar durduruldu", "0", "0", "0", "0",
                                  "Kuralları başlat"};
        SetAutoSendSwitch(on);
        frmAna* ana = openStatusScreen();
        QCOMPARE(shown(*ana), on ? running : stopped);
        QCOMPARE(menu->Timer1().isCounting(), on);
        QStringList passes; // passes never overlap: the timer waits during one
        pass = [&] {
            passes << (menu->Timer1().isCounting() ? "counting" : "waiting");
            if (during == "click")
                click(*ana, "cmdBaslat");
            else if (during == "switch off")
                SetAutoSendSwitch(false);
            else if (during == "throw")
                throw std::runtime_error("klasör okunamadı");
        };
        menu->Timer1().tick();
        QCOMPARE(passes, QStringList{"waiting"});
        QCOMPARE(AutoSendSwitch(), after ? "1" : "0");
        QCOMPARE(menu->Timer1().isCounting(), after);
        ana->Form_Activate();
        QTRY_COMPARE(shown(*ana),
                     QStringList(after ? running : stopped)
                         << (logLine.isEmpty() ? QStringList() : QStringList{logLine}));
        // A failed pass says why, and the program goes on.
        QCOMPARE(env->ui().statusTexts,
                 during == "throw"
                     ? std::vector<QString>{"Otomatik gönderimde hata oluştu: klasör okunamadı"}
                     : std::vector<QString>{});
    }

    void todayCountersCoverTheWholeDay() {
        // Sizes of one bit each tell which packages were counted as today's.
        recordPackage(QStringLiteral("04.03.2026 23:59:59"), 1);
        recordPackage(QStringLiteral("05.03.2026 00:00:00"), 2);
        recordPackage(QStringLiteral("05.03.2026 10:00:00"), 4);
        recordPackage(QStringLiteral("05.03.2026 23:59:59"), 8);
        recordPackage(QStringLiteral("06.03.2026 00:00:00"), 16);
        QCOMPARE(shown(*openStatusScreen()).mid(1, 4), (QStringList{"5", "3", "31", "14"}));
    }

    // Beside the message counts, the SMS they were billed as, and the last
    // fourteen days as bars; a package whose SMS were not counted counts at
    // its messages. Both follow new packages with the counters.
    void smsAndLastDays() {
        recordPackage(QStringLiteral("01.01.2020 10:00:00"), 1, 2);
        recordPackage(QStringLiteral("04.03.2026 10:00:00"), 2, 3);
        recordPackage(QStringLiteral("05.03.2026 09:00:00"), 4);
        frmAna* ana = openStatusScreen();
        const auto smsShown = [ana] {
            return control<QLabel>(*ana, "lblToplamSMS")->text() + " / " +
                   control<QLabel>(*ana, "lblBugunSMS")->text();
        };
        QCOMPARE(smsShown(), "9 SMS / 4 SMS");
        QCOMPARE(lastDays(*ana), "14 Mesaj SMS: 20.02-05.03, 04.03 2/3, 05.03 4/4");
        recordPackage(QStringLiteral("05.03.2026 11:00:00"), 1, 2);
        QTRY_COMPARE(lastDays(*ana), "14 Mesaj SMS: 20.02-05.03, 04.03 2/3, 05.03 5/6");
        QCOMPARE(smsShown(), "11 SMS / 6 SMS");
    }

    void logGridShowsNewLinesOnTopEverySecond() {
        for (int i = 1; i <= 3; ++i)
            WriteLog(QString::number(i));
        menu->setStatusPanel(4, QString()); // the screen shows the account again
        frmAna* ana = openStatusScreen();
        openStatusScreen(); // brings the same screen forward
        QCOMPARE(menu->mdiArea()->subWindowList().size(), 1);
        auto* grid = control<QTableView>(*ana, "DataGrid1");
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString() + " " +
                     grid->model()->headerData(2, Qt::Horizontal).toString(),
                 "Tarih Açıklama");
        QVERIFY(grid->isColumnHidden(0));
        QCOMPARE(menu->statusPanel(4) + " " + menu->statusPanel(6), "veli Hollin");
        // Read a page at a time, so that a long log costs no more than a short one.
        NewestFirstModel& log = ana->rsLog();
        QAbstractItemModelTester tester(&log,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        log.setPageSize(2);
        log.reload();
        QCOMPARE(shown(*ana).mid(6), (QStringList{"3", "2"}));
        log.fetchMore({});
        QSignalSpy resets(&log, &QAbstractItemModel::modelReset);
        WriteLog(QStringLiteral("4"));
        recordPackage(QStringLiteral("01.01.2020 10:00:00"), 3);
        QTRY_COMPARE(shown(*ana).mid(1),
                     (QStringList{"1", "0", "3", "0", "Kuralları başlat", "4", "3", "2", "1"}));
        QVERIFY(resets.isEmpty()); // what the user scrolled to stays
        // More new lines than a page: the newest page afresh.
        for (int i = 5; i <= 7; ++i)
            WriteLog(QString::number(i));
        QTRY_COMPARE(shown(*ana).mid(6), (QStringList{"7", "6"}));

        // Closing the screen leaves automatic sending as it was.
        click(*ana, "cmdBaslat");
        click(*ana, "cmdEkranKapat");
        QTRY_VERIFY(!menu->statusScreen());
        QVERIFY(menu->mdiArea()->subWindowList().isEmpty() && menu->Timer1().isCounting());
    }

    // Another program holding the database: the switch says it could not
    // be stored, scrolling the log says why no older lines come, each in the
    // storage's own words; the screen keeps what holds and the program goes on.
    void heldDatabase_data() {
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QString>("told"); // the box, or else the status text
        const QString held = QStringLiteral("veritabanı başka bir program tarafından kullanılıyor");
        QTest::newRow("switch") << "cmdBaslat"
                                << "Parlex: Otomatik gönderim durumu kaydedilemedi.\r\n" + held;
        QTest::newRow("older log lines") << "fetchMore"
                                         << "Önceki kayıtlar okunamadı: " + held;
    }
    void heldDatabase() {
        QFETCH(QString, handler);
        QFETCH(QString, told);
        for (int i = 1; i <= 3; ++i)
            WriteLog(QString::number(i));
        frmAna* ana = openStatusScreen();
        ana->rsLog().setPageSize(2);
        ana->rsLog().reload();
        const QStringList before = shown(*ana);
        const auto other = TestEnvironment::holdDatabase();
        if (handler == "cmdBaslat")
            click(*ana, "cmdBaslat");
        else
            ana->rsLog().fetchMore({});
        const ScriptedUi& ui = env->ui();
        QCOMPARE(ui.boxes.empty() ? ui.statusTexts.back()
                                  : ui.boxes.back().title + ": " + ui.boxes.back().text,
                 told);
        QCOMPARE(shown(*ana), before);
    }

    // At its design size every caption of a working window shows whole,
    // on every tab, and a sample grid has room for four rows of a file
    // wider than the grid.
    void captionsShowWhole_data() {
        QTest::addColumn<QString>("menuItem");
        QTest::addColumn<QString>("sampleGrid");
        QTest::newRow("settings") << "miHesapAyar"
                                  << "";
        QTest::newRow("send from file") << "miDosyaSMS"
                                        << "DataGrid1";
        QTest::newRow("rule editor") << "miOtoMesaj"
                                     << "DataGrid2";
        QTest::newRow("reports") << "miSMSRapor"
                                 << "";
        QTest::newRow("status screen") << "miHizDurumu"
                                       << "";
        QTest::newRow("opt-out list") << "miRetListesi"
                                      << "DataGrid1";
    }
    void captionsShowWhole() {
        QFETCH(QString, menuItem);
        QFETCH(QString, sampleGrid);
        click(*menu, menuItem.toLatin1().constData());
        const auto windows = control<QMdiArea>(*menu, "mdiArea")->subWindowList();
        QVERIFY(!windows.isEmpty());
        QWidget& window = *windows.last()->widget();
        QStringList cut;
        const auto tabs = window.findChildren<QTabWidget*>();
        for (int page = 0; page < (tabs.isEmpty() ? 1 : tabs.first()->count()); ++page) {
            if (!tabs.isEmpty())
                tabs.first()->setCurrentIndex(page);
            QCoreApplication::processEvents();
            cut << cutCaptions(window);
        }
        QCOMPARE(cut.join(u' '), QString());
        if (sampleGrid.isEmpty())
            return;
        auto* grid = control<QTableView>(window, sampleGrid.toLatin1().constData());
        QStandardItemModel wide(10, 20);
        for (int column = 0; column < wide.columnCount(); ++column)
            wide.setItem(3, column, new QStandardItem(QStringLiteral("Çağrı Öztürk")));
        grid->setModel(&wide);
        grid->resizeColumnsToContents();
        QCoreApplication::processEvents();
        QVERIFY(grid->rowViewportPosition(3) + grid->rowHeight(3) <= grid->viewport()->height());
        grid->setModel(nullptr);
    }

    // A date or a time typed as it is written, after a click into the
    // field of a window in the main window, is the field's value.
    void typedDateOrTime_data() {
        QTest::addColumn<QString>("menuItem");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("report from") << "miSMSRapor" << 1 << "DTPicker1"
                                     << "05.03.2027"
                                     << "05.03.2027";
        QTest::newRow("report to, short") << "miSMSRapor" << 1 << "DTPicker2"
                                          << "5.3.2027"
                                          << "05.03.2027";
        QTest::newRow("number report") << "miSMSRapor" << 2 << "DTPicker4"
                                       << "28.02.2027"
                                       << "28.02.2027";
        QTest::newRow("scheduled date") << "miDosyaSMS" << 1 << "DTPicker1"
                                        << "17.08.2027"
                                        << "17.08.2027";
        QTest::newRow("scheduled time") << "miDosyaSMS" << 1 << "DTPicker2"
                                        << "14:30"
                                        << "14:30";
    }
    void typedDateOrTime() {
        QFETCH(QString, menuItem);
        QFETCH(int, tab);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        click(*menu, menuItem.toLatin1().constData());
        QWidget& window = *control<QMdiArea>(*menu, "mdiArea")->subWindowList().last()->widget();
        // The tab as it is once a list is built or a number asked for.
        auto* tabs = control<QTabWidget>(window, "SSTab1");
        tabs->setTabEnabled(tab, true);
        tabs->setCurrentIndex(tab);
        if (auto* later = window.findChild<QCheckBox*>(QStringLiteral("chkIleriTarih")))
            later->setChecked(true);
        auto* edit = control<QDateTimeEdit>(window, field.toLatin1().constData());
        auto* text = edit->findChild<QLineEdit*>();
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(4, text->height() / 2));
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), shown);
    }

    void recordsetGridShowsTheVisibleRecords() {
        Recordset rs;
        rs.appendField(QStringLiteral("GSM"));
        rs.appendField(QStringLiteral("Tarih"), FieldType::DateTime);
        rs.appendRow({QStringLiteral("5321112233"), QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))});
        rs.appendRow({QStringLiteral("5324445566"), QVariant()});
        rs.setFilter(QStringLiteral("GSM = '5321112233'"));
        RecordsetModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setRecordset(rs);
        QCOMPARE(model.index(0, 1).data().toString() + " " + QString::number(model.rowCount()),
                 "04.03.2026 05:06:07 1");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
