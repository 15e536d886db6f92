#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>

#include "optout/OptOutList.h"
#include "optout/OptOutModel.h"
#include "optout/frmRet.h"
#include "optout/frmRetAktar.h"
#include "support/WindowTestSupport.h"
#include "support/Workbooks.h"

using namespace Qt::StringLiterals;

// "Ret listesi" as a user drives it, from the SMS menu.
class TestOptOutWindow : public DesktopTest {
    Q_OBJECT

    QPointer<frmRet> window;

    template <typename T = QWidget> T* get(const char* name) { return control<T>(*window, name); }
    void open(const QStringList& listed = {}) {
        if (!listed.isEmpty())
            AddOptOutNumbers(listed, OptOutSource::CommandLine);
        click(*menu, "miRetListesi");
        window = menu->optOutList();
        QVERIFY(window);
    }
    QStringList shown() {
        QStringList numbers;
        for (int row = 0; row < window->model().rowCount(); ++row)
            numbers << window->model().numberAt(row);
        return numbers;
    }

private slots:
    void init() { openDesktop(); }
    void cleanup() { closeDesktop(); }

    void add_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box"); // empty: none
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("selected");
        QTest::newRow("a new number")
            << u"+90 (533) 999 88 77"_s << u""_s << QStringList{u"5321234567"_s, u"5339998877"_s}
            << u"5339998877"_s;
        QTest::newRow("one already listed")
            << u"0532 123 45 67"_s << u"Parlex Ret listesi: Zaten ret listesinde : 5321234567"_s
            << QStringList{u"5321234567"_s} << u"5321234567"_s;
        QTest::newRow("a landline")
            << u"0212 123 45 67"_s
            << u"Parlex Ret listesi: Geçerli bir GSM numarası değil : 0212 123 45 67"_s
            << QStringList{u"5321234567"_s} << u""_s;
        QTest::newRow("nothing typed")
            << u" "_s << u"Parlex Ret listesi: Eklenecek numarayı yazınız."_s
            << QStringList{u"5321234567"_s} << u""_s;
    }
    void add() {
        QFETCH(QString, typed);
        QFETCH(QString, box);
        QFETCH(QStringList, after);
        QFETCH(QString, selected);
        open({u"5321234567"_s});
        get<QLineEdit>("txtNumara")->setText(typed);
        click(*window, "cmdEkle");
        QCOMPARE(shownBoxes(ui()).join(u'\n'), box);
        QCOMPARE(shown(), after);
        QCOMPARE(get<QLabel>("lblToplam")->text(), QString::number(after.size()));
        const QModelIndexList rows = get<QTableView>("DataGrid1")->selectionModel()->selectedRows();
        QCOMPARE(rows.isEmpty() ? QString() : window->model().numberAt(rows.first().row()),
                 selected);
    }

    void search() {
        open({u"5321234567"_s, u"5329876543"_s, u"5331234567"_s});
        auto* grid = get<QTableView>("DataGrid1");
        grid->selectRow(1);
        auto selected = [&] {
            const QModelIndexList rows = grid->selectionModel()->selectedRows();
            return rows.isEmpty() ? QString() : window->model().numberAt(rows.first().row());
        };
        QTest::keyClicks(get<QLineEdit>("txtAra"), u"0532"_s);
        QCOMPARE(shown(), (QStringList{u"5321234567"_s, u"5329876543"_s}));
        QCOMPARE(get<QLabel>("lblBulunan")->text(), u"2"_s);
        QCOMPARE(get<QLabel>("lblToplam")->text(), u"3"_s);
        // Still on the number the user chose, though "0" showed none.
        QCOMPARE(selected(), u"5329876543"_s);
        QTest::keyClicks(get<QLineEdit>("txtAra"), u"1"_s);
        QCOMPARE(selected(), QString());
    }

    void remove_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("confirmed") << true << QStringList{u"5331234567"_s};
        QTest::newRow("not confirmed")
            << false << QStringList{u"5321234567"_s, u"5329876543"_s, u"5331234567"_s};
    }
    void remove() {
        QFETCH(bool, yes);
        QFETCH(QStringList, after);
        open({u"5321234567"_s, u"5329876543"_s, u"5331234567"_s});
        auto* grid = get<QTableView>("DataGrid1");
        grid->selectRow(0);
        grid->selectionModel()->select(window->model().index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        ui().queueAnswer(yes);
        click(*window, "cmdSil");
        QCOMPARE(
            shownBoxes(ui()),
            QStringList{u"Parlex Ret listesi: Seçili 2 numara ret listesinden silinsin mi?"_s});
        QCOMPARE(shown(), after);
        QCOMPARE(OptOutCount(), after.size());
    }

    void import_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("an İYS export")
            << QByteArray("gsm;durum\n05339998877;RET\n05441112233;ONAY\n0212;RET\n") << u"durum"_s
            << true
            << u"Parlex Ret listesi: 1 numara eklendi, 0 numara zaten listedeydi, 1 satırdaki "
               "numara geçersiz, 1 satır RET durumunda değildi."_s
            << QStringList{u"5321234567"_s, u"5339998877"_s};
        // Past the first rows the dialog shows.
        QTest::newRow("a quote left open")
            << TestEnvironment::numberedList(300) + "\"05441112233;Ali\n"
            << u"(yok)"_s << false
            << u"Parlex Ret listesi: Dosya içe aktarılamadı; ret listesi değişmedi.\r\n"_s
            << QStringList{u"5321234567"_s};
    }
    // Through the dialog, on a thread of its own; the window stays usable
    // and shows the outcome in one box.
    void import() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, status);
        QFETCH(bool, done);
        QFETCH(QString, box);
        QFETCH(QStringList, after);
        open({u"5321234567"_s});
        click(*window, "cmdIceAktar");
        frmRetAktar* dialog = window->importDialog();
        QVERIFY(dialog);
        control<QLineEdit>(*dialog, "txtAyrac")->setText(u";"_s);
        control<QComboBox>(*dialog, "cmbBaslik")->setCurrentText(u"Var"_s);
        ui().queueFileName(env->writeFile(u"iys/iys.csv"_s, bytes));
        click(*dialog, "cmdGozat");
        control<QComboBox>(*dialog, "cmbFGSMNo")->setCurrentText(u"gsm"_s);
        control<QComboBox>(*dialog, "cmbDurum")->setCurrentText(status);
        QSignalSpy finished(window, &frmRet::importFinished);
        click(*dialog, "cmdAktar");
        QVERIFY(finished.wait(20000));
        QCOMPARE(ui().boxes.size(), size_t(1));
        QCOMPARE(ui().boxes[0].kind,
                 done ? UiServices::BoxKind::Information : UiServices::BoxKind::Error);
        QVERIFY2(shownBoxes(ui()).at(0).startsWith(box), qPrintable(shownBoxes(ui()).at(0)));
        QCOMPARE(shown(), after);
        QVERIFY(get<QPushButton>("cmdIceAktar")->isEnabled());
    }

    // A long import can be stopped, and leaves the list as it was.
    void importStopped() {
        open({u"5321234567"_s});
        OptOutImport request;
        request.path = env->writeFile(u"liste.txt"_s, TestEnvironment::numberedList(200000));
        request.format.separator = u";"_s;
        request.format.header = true;
        request.gsmColumn = u"gsm"_s;
        QSignalSpy finished(window, &frmRet::importFinished);
        window->startImport(request);
        QVERIFY(get<QPushButton>("cmdVazgec")->isVisible());
        QVERIFY(!get<QPushButton>("cmdEkle")->isEnabled());
        click(*window, "cmdVazgec");
        QVERIFY(finished.wait(20000));
        QCOMPARE(
            shownBoxes(ui()),
            QStringList{u"Parlex Ret listesi: İçe aktarma durduruldu; ret listesi değişmedi."_s});
        QCOMPARE(shown(), QStringList{u"5321234567"_s});
    }

    void exportToWorkbook() {
        open({u"5321234567"_s});
        const QString path = env->filePath(u"ret.xlsx"_s);
        ui().queueFileName(path);
        click(*window, "cmdDisaAktar");
        QCOMPARE(SheetLines(path).value(1).section(u';', 0, 0), u"5321234567"_s);
        QCOMPARE(ui().opened, std::vector<QString>{path});
    }
};

QTEST_MAIN(TestOptOutWindow)
#include "tst_optoutwindow.moc"
