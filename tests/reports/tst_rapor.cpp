#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QCheckBox>
#include <QHorizontalStackedBarSeries>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "gateway/Gateway.h"
#include "reports/frmRapor.h"
#include "support/WindowTestSupport.h"

using namespace Qt::StringLiterals;

// The reports window from the main menu, driven as a user drives it.
class TestRapor : public DesktopTest {
    Q_OBJECT

    QPointer<frmRapor> rapor;

    void open() {
        click(*menu, "miSMSRapor");
        rapor = menu->reports();
        QVERIFY(rapor);
    }
    QString cell(const char* grid, int row, int column) {
        auto* view = control<QTableView>(*rapor, grid);
        return view->model()->index(row, column).data().toString();
    }
    int rows(const char* grid) { return control<QTableView>(*rapor, grid)->model()->rowCount(); }
    QString text(const char* box) { return control<QLineEdit>(*rapor, box)->text(); }
    // The chart as a user reads it: the length of the bar beside each
    // state's name, in the order of the counters.
    QString chart(const char* name) {
        const QChart* chart = control<QChartView>(*rapor, name)->chart();
        auto* series = qobject_cast<QHorizontalStackedBarSeries*>(chart->series().value(0));
        if (!series)
            return u"no bars"_s;
        QMap<QString, qreal> bars;
        for (QAbstractAxis* axis : series->attachedAxes())
            if (auto* names = qobject_cast<QBarCategoryAxis*>(axis))
                for (int i = 0; i < names->count(); ++i)
                    for (const QBarSet* set : series->barSets())
                        bars[names->at(i)] += set->at(i);
        QStringList shown;
        for (const QString& state :
             {u"Beklemede"_s, u"İletildi"_s, u"Zaman Aşımı"_s, u"Reddedildi"_s})
            shown << (bars.contains(state) ? QString::number(bars[state]) : u"?"_s);
        return shown.join(u'/');
    }
    QString counters(const char* waiting, const char* delivered, const char* timedOut,
                     const char* rejected) {
        return QStringList({text(waiting), text(delivered), text(timedOut), text(rejected)})
            .join(u'/');
    }
    static void record(const QString& msgId, const QString& mode) {
        ExecuteSql(u"INSERT INTO tbl_giden_txt (msgid,gateway,kural,dosya_adi,msgtip,tarih) "
                   u"VALUES ('"_s +
                   msgId + u"','"_s + mode +
                   u"',1,'ocak.txt','Dosyadan gönderim','2027-03-05 14:30:00')"_s);
    }

private slots:
    void init() { openDesktop(); }
    void cleanup() { closeDesktop(); }

    // With the database held by another program the window still opens,
    // with no packages, and says why in the storage's own words.
    void heldDatabase() {
        const auto other = TestEnvironment::holdDatabase();
        open();
        QCOMPARE(rows("DataGrid1"), 0);
        QCOMPARE(ui().boxes.size(), size_t(1));
        QCOMPARE(ui().boxes[0].title + u": "_s + ui().boxes[0].text,
                 u"Parlex: veritabanı başka bir program tarafından kullanılıyor"_s);
    }

    // The window lists the running mode's packages, newest first; a
    // report of the chosen one fills the counters and the grid, and the
    // boxes choose the rows shown.
    void packageReport() {
        Gateway gateway;
        for (const char* number : {"5321234560", "5321234561", "5321234568"})
            gateway.addtosmsbasket(u"Deneme"_s, QString::fromLatin1(number));
        (*sim)->setFinalStates(true);
        const QString id = PackageIdOf(
            gateway.sendsms(App().gatewayUserName(), App().gPassword, u"PARLEX"_s, QString()));
        OpenDatabase();
        record(u"older"_s, u"Parlex"_s);
        record(u"hollin"_s, u"Hollin"_s);
        record(id, u"Parlex"_s);
        open();
        QCOMPARE(rapor->size(), QSize(frmRapor::DesignWidth, frmRapor::DesignHeight));
        QVERIFY(!control<QTabWidget>(*rapor, "SSTab1")->isTabEnabled(2));
        QCOMPARE(rows("DataGrid1"), 2);
        QCOMPARE(cell("DataGrid1", 0, 1), id);
        // Every value of the list shows whole.
        auto* packages = control<QTableView>(*rapor, "DataGrid1");
        const QAbstractItemView& measured = *packages;
        for (int column = 1; column < packages->model()->columnCount(); ++column)
            QVERIFY2(packages->columnWidth(column) >= measured.sizeHintForColumn(column),
                     qPrintable(packages->model()->headerData(column, Qt::Horizontal).toString()));
        QCOMPARE(chart("chtDurum1"), u"0/0/0/0"_s);
        click(*rapor, "cmdRaporGoruntule_1");
        QCOMPARE(text("Text11"), id);
        QCOMPARE(QStringList({text("Text1"), text("Text2"), text("Text3"), text("Text5")}),
                 QStringList({u"3"_s, u"0"_s, u"2"_s, u"1"_s}));
        QCOMPARE(rows("DataGrid2"), 3);
        // The chart shows what the counters count, for the states shown.
        const QString counted = counters("Text2", "Text3", "Text4", "Text5");
        QCOMPARE(chart("chtDurum1"), counted);
        QVERIFY(control<QPushButton>(*rapor, "cmdMsgGoster")->isEnabled());
        for (const char* box : {"Check1", "Check2", "Check3"})
            click(*rapor, box);
        QCOMPARE(rows("DataGrid2"), 1);
        QCOMPARE(cell("DataGrid2", 0, 1), u"Reddedildi"_s);
        QCOMPARE(chart("chtDurum1"), u"0/0/0/1"_s);
        click(*rapor, "Check4");
        QCOMPARE(rows("DataGrid2"), 3);
        QCOMPARE(chart("chtDurum1"), counted);
        // A new report ticks every box and shows every row again.
        click(*rapor, "Check1");
        QCOMPARE(rows("DataGrid2"), 0);
        QCOMPARE(chart("chtDurum1"), u"0/0/0/0"_s);
        click(*rapor, "cmdRaporGoruntule_1");
        QCOMPARE(rows("DataGrid2"), 3);
        QCOMPARE(chart("chtDurum1"), counted);
        // Another tab starts with an empty grid; the counters stay.
        control<QTabWidget>(*rapor, "SSTab1")->setCurrentIndex(1);
        QCOMPARE(rows("DataGrid3"), 0);
        QCOMPARE(text("Text1"), u"3"_s);
    }

    // A package shows the name of the rule that sent it. One sent from a
    // file is stored under rule 1 but is not that rule's; a deleted rule's
    // has no name either. Beside its messages, the SMS it was billed as;
    // nothing for a package recorded before they were counted.
    void ruleNamesAndSms() {
        OpenDatabase();
        ExecuteSql(u"INSERT INTO tbl_kurallar_txt (id,kural_adi) VALUES (1,'Borç')"_s);
        for (const char* row : {"'Otomatik gönderim',1,2,4", "'Dosyadan gönderim',1,3,3",
                                "'Otomatik gönderim',7,5,0"})
            ExecuteSql(u"INSERT INTO tbl_giden_txt (msgid,gateway,msgtip,kural,paket_boyut,"
                       u"sms_sayisi) VALUES ('1','Parlex',"_s +
                       QString::fromUtf8(row) + u')');
        open();
        QStringList shown;
        for (int row = 0; row < 3; ++row)
            shown << cell("DataGrid1", row, 4) + u' ' + cell("DataGrid1", row, 9) + u'/' +
                         cell("DataGrid1", row, 10);
        QCOMPARE(shown, QStringList({u" 5/"_s, u" 3/3"_s, u"Borç 2/4"_s}));
        const QAbstractItemModel* packages = control<QTableView>(*rapor, "DataGrid1")->model();
        QCOMPARE(packages->headerData(10, Qt::Horizontal).toString(), u"SMS"_s);
    }

    // Only the rows shown go into the workbook, under GsmNo and Durum, and
    // the window closes after the export. A new report ticks every box and
    // shows every row, also when its fetch fails and the old rows stay.
    void exportShownRows_data() {
        QTest::addColumn<QStringList>("unticked");
        QTest::addColumn<bool>("refetchFails");
        QTest::addColumn<QString>("written");
        QTest::newRow("filtered") << QStringList{"Check1", "Check3", "Check4"} << false
                                  << "5321234560 İletildi\n5321234562 İletildi\n";
        QTest::newRow("refetch unreachable")
            << QStringList{"Check2"} << true
            << "5321234560 İletildi\n5321234561 Reddedildi\n5321234562 İletildi\n";
    }
    void exportShownRows() {
        QFETCH(QStringList, unticked);
        QFETCH(bool, refetchFails);
        QFETCH(QString, written);
        (*sim)->setFault(11, SimFault::reply("1 5321234560 3\n1 5321234561 2\n1 5321234562 3\n"));
        OpenDatabase();
        record(u"1"_s, u"Parlex"_s);
        open();
        click(*rapor, "cmdRaporGoruntule_1");
        for (const QString& box : unticked)
            click(*rapor, box.toLatin1().constData());
        if (refetchFails) {
            (*sim)->setFault(11, SimFault::close());
            click(*rapor, "cmdRaporGoruntule_1");
            QVERIFY(ui().boxes.back().text.startsWith(u"Bağlantı Hatası!"_s));
            for (const char* box : {"Check1", "Check2", "Check3", "Check4"})
                QVERIFY(control<QCheckBox>(*rapor, box)->isChecked());
            QCOMPARE(rows("DataGrid2"), 3);
        }
        ui().queueAnswer(true);
        ui().queueFileName(env->filePath(u"rapor.xlsx"_s));
        click(*rapor, "cmdExceleGonder_1");
        QTRY_VERIFY(!rapor);
        QProcess python;
        // Debian's python3, where openpyxl is installed.
        python.start(u"/usr/bin/python3"_s,
                     {u"-c"_s,
                      u"import sys,openpyxl\nfor r in openpyxl.load_workbook("
                      u"sys.argv[1]).active.values: print(*r)"_s,
                      env->filePath(u"rapor.xlsx"_s)});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()), u"GsmNo Durum\n"_s + written);
    }

    // Vazgeç stops a running date-range report with the rows so far, and
    // closing the window meanwhile closes it once the report has stopped.
    void cancelDuringReport_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Vazgeç") << false;
        QTest::newRow("close box") << true;
    }
    void cancelDuringReport() {
        QFETCH(bool, closeBox);
        std::string reply;
        for (int i = 0; i < 200000; ++i)
            reply += "1 5321234567 3\n";
        (*sim)->setFault(17, SimFault::reply(reply));
        open();
        control<QTabWidget>(*rapor, "SSTab1")->setCurrentIndex(1);
        ui().onYield = [&] {
            if (App().gProgressDone == 0 || App().gReportCancel)
                return;
            if (closeBox) {
                qobject_cast<QMdiSubWindow*>(rapor->parentWidget())->close();
                // What the desktop's event loop would do with a closed window.
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            } else
                click(*rapor, "cmdVazgec_2");
        };
        click(*rapor, "cmdRaporGoruntule_2");
        ui().onYield = nullptr;
        if (closeBox) {
            QTRY_VERIFY(!rapor);
            return;
        }
        QCOMPARE(ui().statusTexts.back(), u"Raporlama İşlem iptal edildi."_s);
        QVERIFY(rows("DataGrid3") > 0 && rows("DataGrid3") < 200000);
        QCOMPARE(chart("chtDurum2"), counters("Text7", "Text8", "Text9", "Text10"));
        QVERIFY(control<QCheckBox>(*rapor, "Check5")->isEnabled());
        click(*rapor, "cmdVazgec_2");
        QTRY_VERIFY(!rapor);
        QCOMPARE(ui().statusTexts.back(), u"Hazır"_s);
        QTRY_VERIFY(menu->advertisement());
    }

    // The first Vazgeç with nothing running only becomes Kapat; a window
    // closed and opened at once is a new one.
    void vazgecThenKapat() {
        open();
        click(*rapor, "cmdVazgec_1");
        QVERIFY(rapor);
        QCOMPARE(control<QPushButton>(*rapor, "cmdVazgec_1")->text(), u"Kapat"_s);
        click(*rapor, "cmdVazgec_1");
        QPointer<frmRapor> closing = rapor;
        open();
        QVERIFY(rapor != closing);
        QCOMPARE(control<QPushButton>(*rapor, "cmdVazgec_1")->text(), u"Vazgeç"_s);
    }
};

QTEST_MAIN(TestRapor)
#include "tst_rapor.moc"
