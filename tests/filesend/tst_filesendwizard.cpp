#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimeEdit>
#include <QToolButton>

#include "core/DbRoutines.h"
#include "filesend/FileSubmission.h"
#include "filesend/PackageListModel.h"
#include "filesend/frmDosyaSMS.h"
#include "support/WindowTestSupport.h"
#include "support/Workbooks.h"
#include "textsource/PackagePolicy.h"
#include "textsource/SchemaIni.h"
#include "widgets/ElidedLabel.h"
#include "widgets/QtUi.h"
#include "widgets/SampleLoader.h"
#include "widgets/frmBekle.h"
#include "widgets/frmKlasorSec.h"
#include "widgets/frmPop.h"

using namespace Qt::StringLiterals;

namespace {

const QByteArray TwoRows = "gsm;ad\r\n05321234567;Ali\r\n0532 765 43 21;Veli\r\n";

const auto manyRows = TestEnvironment::numberedList;

// A list kept in a spreadsheet: January's customers on the first sheet,
// February's, under other column names, on the second.
const Sheets TwoSheets{
    {u"Ocak"_s,
     {{u"gsm"_s, u"ad"_s, u"tutar"_s},
      {u"05321234567"_s, u"Ali"_s, 150.5},
      {u"0532 765 43 21"_s, u"Veli"_s, 89}}},
    {u"Şubat"_s,
     {{u"tel"_s, u"isim"_s},
      {5331112233LL, u"Ayşe"_s},
      {u"0533 444 55 66"_s, u"Fatma"_s},
      {u"0533 777 88 99"_s, u"Zeynep"_s}}},
};

} // namespace

// The send wizard as a user drives it, from the menu item to the package.
class TestFileSendWizard : public DesktopTest {
    Q_OBJECT

    QPointer<frmDosyaSMS> wizard;

    template <typename T = QWidget> T* get(const char* name) { return control<T>(*wizard, name); }

    // Opens the wizard from the menu and loads `bytes` as liste.txt.
    void open(const QByteArray& bytes, const QString& header = u"Var"_s) {
        click(*menu, "miDosyaSMS");
        wizard = menu->fileSend();
        QVERIFY(wizard);
        get<QLineEdit>("txtAyrac")->setText(u";"_s);
        get<QComboBox>("cmbBaslik")->setCurrentText(header);
        ui().queueFileName(env->writeFile(u"liste/liste.txt"_s, bytes));
        click(*wizard, "cmdGozat");
    }
    void next(const QString& templateText = u"Sayın [##ad##]"_s) {
        get<QPlainTextEdit>("txtMesaj")->setPlainText(templateText);
        click(*wizard, "cmdIleri_1");
    }
    // Opens the wizard and loads TwoSheets as liste.<suffix>, leaving the
    // separator as the wizard opens with it: blank.
    void openWorkbook(const QString& suffix = u"xlsx"_s) {
        click(*menu, "miDosyaSMS");
        wizard = menu->fileSend();
        QVERIFY(wizard);
        get<QComboBox>("cmbBaslik")->setCurrentText(u"Var"_s);
        ui().queueFileName(
            env->writeFile(u"liste/liste."_s + suffix, WorkbookBytes(suffix, TwoSheets)));
        click(*wizard, "cmdGozat");
    }
    // The sample grid's rows, cells joined by "|".
    QStringList sampleRows() {
        const QAbstractItemModel* model = get<QTableView>("DataGrid1")->model();
        QStringList rows;
        for (int r = 0; model && r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            rows << cells.join(u'|');
        }
        return rows;
    }
    // Whether the separator can be chosen: "Sekme", "Özel" and its box.
    QList<bool> separatorEnabled() {
        return {get("optSekme")->isEnabled(), get("optOzel")->isEnabled(),
                get("txtAyrac")->isEnabled()};
    }
    QString text(const char* name) { return get<QLabel>(name)->text(); }
    QStringList boxes() { return shownBoxes(ui()); }
    QStringList files() {
        return QDir(env->filePath(u"liste"_s)).entryList(QDir::Files, QDir::Name);
    }

private slots:
    void init() {
        openDesktop();
        ui().setNow(QDateTime(QDate(2026, 3, 5), QTime(12, 0, 0)));
    }
    void cleanup() { closeDesktop(); }

    // A new user's first package: file, template from the field menu, a look
    // at the list, one entry off, a sender, and the package is on its way.
    void sendingAFile() {
        open(TwoRows);
        QCOMPARE(wizard->windowTitle(), u" Dosyadan SMS Gönderimi"_s);
        QVERIFY(!menu->advertisementWanted());
        QCOMPARE(wizard->size(), QSize(585, 450));
        QCOMPARE(frmPop::instance().columns(), QStringList({u"gsm"_s, u"ad"_s}));
        QCOMPARE(get<QComboBox>("cmbFGSMNo")->currentText(), u"gsm"_s);
        QCOMPARE(text("lblOrnekDosya"), u"Örnek dosya : "_s + env->filePath(u"liste/liste.txt"_s));
        next();
        QCOMPARE(get<QTabWidget>("SSTab1")->currentIndex(), 1);
        QCOMPARE(text("lblToplam"), u" 2"_s);
        QCOMPARE(text("lblKontor"), u" 1000"_s);
        QCOMPARE(get<QComboBox>("cmbGonderen")->count(), 2);
        get<QComboBox>("cmbGonderen")->setCurrentText(u"ACME"_s);
        auto* grid = get<QTableView>("DataGrid2");
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(grid->model()->index(1, 1).data().toString(), u"Sayin Veli"_s);
        grid->setCurrentIndex(grid->model()->index(0, 0));
        click(*wizard, "Command1");
        QCOMPARE(text("lblToplam"), u" 1"_s);
        ui().queueAnswer(true);
        // The package is recorded, stamped with its acceptance, before the
        // box: the user may leave it open and the power may fail meanwhile.
        std::optional<QStringList> recordedAtBox;
        ui().onBox = [&](const ScriptedUi::Box& box) {
            if (recordedAtBox || !box.text.startsWith(u"Mesaj paketi başarıyla gönderildi"_s))
                return;
            recordedAtBox.emplace();
            Recordset rs = OpenRecordset(u"SELECT CAST(tarih AS TEXT) FROM tbl_giden_txt"_s);
            for (rs.moveFirst(); !rs.eof(); rs.moveNext())
                *recordedAtBox << rs.text(0);
            ui().setNow(QDateTime(QDate(2026, 3, 5), QTime(12, 10, 0))); // read at leisure
        };
        click(*wizard, "cmdGonder");
        ui().onBox = nullptr;
        QCOMPARE(recordedAtBox.value_or(QStringList()), QStringList(u"2026-03-05 12:00:00"_s));
        QCOMPARE(ui().boxes.front().text,
                 u"Mesajınız 1 kişiye gönderilecektir. Devam etmek istiyor musunuz?"_s);
        QCOMPARE(sim->sim().packages().front().messageCount, size_t(1));
        QCOMPARE(sim->sim().packages().front().originator, std::string("ACME"));
        QVERIFY2(
            boxes().last().startsWith(u"Parlex: Mesaj paketi başarıyla gönderildi. MsgID : "_s),
            qPrintable(boxes().join('\n')));
        QCOMPARE(OpenRecordset(u"SELECT paket_boyut FROM tbl_giden_txt"_s).value(0).toInt(), 1);
        QTRY_VERIFY(!wizard);
        QVERIFY(menu->advertisementWanted());
    }

    // What the user is told when something is missing; nothing else happens.
    void missingChoices_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("header");
        QTest::addColumn<bool>("chooses");
        QTest::addColumn<QString>("box");
        QTest::newRow("no separator") << " "
                                      << "Var" << true << "Lütfen alan ayracını belirtiniz.";
        QTest::newRow("no header")
            << ";"
            << " " << true << "Lütfen başlık bilgisinin olup olmadığını belirtiniz.";
        QTest::newRow("no file") << ";"
                                 << "Var" << false << "Dosya seçmediniz.";
    }
    void missingChoices() {
        QFETCH(QString, separator);
        QFETCH(QString, header);
        QFETCH(bool, chooses);
        QFETCH(QString, box);
        click(*menu, "miDosyaSMS");
        wizard = menu->fileSend();
        get<QLineEdit>("txtAyrac")->setText(separator);
        get<QComboBox>("cmbBaslik")->setCurrentText(header);
        if (chooses)
            ui().queueFileName(env->writeFile(u"liste/liste.txt"_s, TwoRows));
        click(*wizard, "cmdGozat");
        QCOMPARE(boxes(), QStringList(u"Parlex: "_s + box));
        QVERIFY(!get("cmdIleri_1")->isEnabled());
    }

    // An empty list is said to be empty, not offered to 0 people; the
    // wizard stays.
    void nothingToSend_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<int>("removed");
        QTest::newRow("every entry taken off") << ";" << 2;
        QTest::newRow("wrong separator, no usable row") << "," << 0;
    }
    void nothingToSend() {
        QFETCH(QString, separator);
        QFETCH(int, removed);
        click(*menu, "miDosyaSMS");
        wizard = menu->fileSend();
        get<QLineEdit>("txtAyrac")->setText(separator);
        get<QComboBox>("cmbBaslik")->setCurrentText(u"Var"_s);
        ui().queueFileName(env->writeFile(u"liste/liste.txt"_s, TwoRows));
        click(*wizard, "cmdGozat");
        next(u"Merhaba"_s);
        for (int i = 0; i < removed; ++i)
            click(*wizard, "Command1");
        QCOMPARE(text("lblToplam"), u" 0"_s);
        const size_t before = ui().boxes.size();
        ui().queueAnswer(true);
        click(*wizard, "cmdGonder");
        QCOMPARE(shownBoxes(ui()).mid(qsizetype(before)),
                 QStringList(u"Parlex: Gönderilecek Mesaj Listesi Boş !"_s));
        QCOMPARE(sim->sim().requestCount(1), 0);
        QVERIFY(wizard && wizard->isVisible());
    }

    // A load that comes to nothing after a list was built changes nothing:
    // the path box names the file whose sample and list stay, and that file
    // is the one that goes.
    void aLoadThatComesToNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("second"); // none: the dialog is cancelled
        QTest::addColumn<QString>("box");
        const QString refused = u"Parlex Otomatik gönderim ayarları: Tanımlanamayan hata oluştu."_s;
        // A spreadsheet's "Unicode text" export: UTF-16, full of NUL bytes.
        QTest::newRow("file the reader refuses")
            << "unicode.txt" << QByteArray("\xFF\xFEg\0s\0m\0;\0a\0d\0\r\0\n\0", 18) << refused;
        // Read by its name: a workbook that is no zip is refused, its path named.
        QTest::newRow("workbook that is not one")
            << "kitap.xlsx" << TwoRows << refused + u"\r\nSistemin ürettiği hata mesajı : "_s;
        QTest::newRow("dialog cancelled") << "" << QByteArray() << "Parlex: Dosya seçmediniz.";
    }
    void aLoadThatComesToNothing() {
        QFETCH(QString, name);
        QFETCH(QByteArray, second);
        QFETCH(QString, box);
        open(TwoRows);
        next();
        const QString first = env->filePath(u"liste/liste.txt"_s);
        if (!second.isEmpty())
            ui().queueFileName(env->writeFile(u"liste/"_s + name, second));
        click(*wizard, "cmdGozat");
        QVERIFY2(boxes().last().startsWith(box), qPrintable(boxes().last()));
        QVERIFY(boxes().last().contains(name));
        QCOMPARE(separatorEnabled(), QList<bool>({true, true, true}));
        QCOMPARE(get<QLineEdit>("txtDosyaAdi")->text(), first);
        QCOMPARE(text("lblOrnekDosya"), u"Örnek dosya : "_s + first);
        QCOMPARE(get<QTableView>("DataGrid1")->model()->rowCount(), 2);
        QCOMPARE(frmPop::instance().columns(), QStringList({u"gsm"_s, u"ad"_s}));
        QVERIFY(get<QTabWidget>("SSTab1")->isTabEnabled(1));
        QCOMPARE(wizard->rsPaket().rowCount(), 2);
        next();
        ui().queueAnswer(true);
        click(*wizard, "cmdGonder");
        QCOMPARE(sim->sim().packages().front().messageCount, size_t(2));
        QCOMPARE(OpenRecordset(u"SELECT dosya_adi FROM tbl_giden_txt"_s).value(0).toString(),
                 u"liste.txt"_s);
    }

    // Impatient clicks while the package goes out send it once.
    void sendingOnce() {
        open(TwoRows);
        next();
        ui().queueAnswer(true);
        ui().queueAnswer(true);
        ui().onYield = [this] {
            if (wizard)
                get<QPushButton>("cmdGonder")->click();
        };
        click(*wizard, "cmdGonder");
        QCOMPARE(sim->sim().packageCount(), 1);
        QCOMPARE(ui().answers.size(), size_t(1));
    }

    // Credit 100: 101 entries cannot go until one is taken off.
    void creditAgainstTheList() {
        sim->sim().setCredit(SimulatorFixture::MainUser, 100);
        open(manyRows(101));
        next();
        QCOMPARE(boxes(), QStringList(u"Parlex: Gönderim yapabilecek kadar kontörünüz yok."_s));
        QVERIFY(!get("cmdGonder")->isEnabled());
        click(*wizard, "Command1");
        QVERIFY(get("cmdGonder")->isEnabled());
    }

    // Stopped while the list is built: no list to send, no reject files
    // half-written. After Vazgeç the wizard stays until a second press;
    // closed by its frame, the build stops first.
    void stoppedWhileBuilding_data() {
        QTest::addColumn<bool>("byFrame");
        QTest::newRow("Vazgeç") << false;
        QTest::newRow("closed by its frame") << true;
    }
    void stoppedWhileBuilding() {
        QFETCH(bool, byFrame);
        open(manyRows(300000) + ";yok\r\n");
        ui().onYield = [this, byFrame] {
            // Once part of the list is built.
            if (!wizard || !wizard->isBuilding() || text("lblToplam").toInt() == 0)
                return;
            if (byFrame)
                qobject_cast<QMdiSubWindow*>(wizard->parentWidget())->close();
            else if (get<QPushButton>("cmdVazgec_2")->text() != "Kapat")
                click(*wizard, "cmdVazgec_2");
        };
        next();
        QCOMPARE(files(), QStringList({u"Schema.ini"_s, u"liste.txt"_s}));
        if (!byFrame) {
            QCOMPARE(wizard->rsPaket().rowCount(), 0);
            QVERIFY(!get("cmdGonder")->isEnabled());
            QCOMPARE(sim->sim().requestCount(4), 0);
            click(*wizard, "cmdVazgec_2");
        }
        QTRY_VERIFY(!wizard);
        QVERIFY(menu->advertisementWanted());
    }

    // Before the package goes the user sees what it costs: each entry's SMS,
    // the dearer ones dark red and bold, the total beside the messages', and
    // in the question the SMS when they are not the messages and a warning
    // when they exceed the credit. The package's row keeps them.
    void smsBeforeSending_data() {
        QTest::addColumn<QByteArray>("second"); // the second customer's name
        QTest::addColumn<int>("credit");
        QTest::addColumn<QList<int>>("parts");
        QTest::addColumn<QString>("added"); // to the question
        const QByteArray long150(150, 'a'); // "Sayın " makes 156
        QTest::newRow("one SMS each") << QByteArray("Veli") << 1000 << QList<int>{1, 1} << "";
        QTest::newRow("one in two SMS")
            << long150 << 1000 << QList<int>{1, 2} << "\r\nTahmini SMS sayısı: 3";
        QTest::newRow("more SMS than credit")
            << long150 << 2 << QList<int>{1, 2}
            << "\r\nTahmini SMS sayısı: 3\r\nUyarı: Tahmini SMS sayısı mevcut kredinizi (2) "
               "aşıyor; mesajların bir kısmı gönderilemeyebilir.";
    }
    void smsBeforeSending() {
        QFETCH(QByteArray, second);
        QFETCH(int, credit);
        QFETCH(QList<int>, parts);
        QFETCH(QString, added);
        sim->sim().setCredit(SimulatorFixture::MainUser, credit);
        open("gsm;ad\r\n05321234567;Ali\r\n0532 765 43 21;" + second + "\r\n");
        next();
        const QAbstractItemModel* model = get<QTableView>("DataGrid2")->model();
        QCOMPARE(model->headerData(PackageListModel::SmsColumn, Qt::Horizontal).toString(),
                 u"SMS"_s);
        int total = 0;
        for (int row = 0; row < parts.size(); ++row) {
            const QModelIndex sms = model->index(row, PackageListModel::SmsColumn);
            const bool dear = parts[row] > 1;
            QCOMPARE(sms.data().toInt(), parts[row]);
            QCOMPARE(model->index(row, PackageListModel::MessageColumn)
                             .data(Qt::ForegroundRole)
                             .value<QColor>() == PackageListModel::DearColor,
                     dear);
            QCOMPARE(sms.data(Qt::FontRole).value<QFont>().bold(), dear);
            total += parts[row];
        }
        QCOMPARE(text("Label17"), u"Toplam SMS :"_s);
        QCOMPARE(text("lblToplamSMS"), u" "_s + QString::number(total));
        ui().queueAnswer(true);
        click(*wizard, "cmdGonder");
        QCOMPARE(ui().boxes.front().title, SendConfirmationTitle);
        QCOMPARE(ui().boxes.front().text,
                 u"Mesajınız 2 kişiye gönderilecektir. Devam etmek istiyor musunuz?"_s + added);
        QCOMPARE(OpenRecordset(u"SELECT sms_sayisi FROM tbl_giden_txt"_s).value(0).toInt(), total);
    }

    // A commercial package leaves out the numbers on the opt-out list and
    // ends each message with the refusal line; one message per number
    // leaves out a number's later rows. The question says how many were
    // left out, and warns when nobody is told how to refuse.
    void commercialPackage_data() {
        QTest::addColumn<bool>("commercial");
        QTest::addColumn<bool>("unique");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QStringList>("names"); // of the entries, in order
        QTest::addColumn<QString>("added");     // to the question
        QTest::addColumn<QStringList>("rejects");
        const QString optedOut =
            u"\r\nRet listesinde olduğu için gönderilmeyecek mesaj sayısı: 1"_s;
        const QString repeated =
            u"\r\nAynı numaraya tekrar gideceği için gönderilmeyecek mesaj sayısı: 1"_s;
        const QString ret = u"Ret icin RET yazin"_s;
        QTest::newRow("neither, as always")
            << false << false << ret << QStringList{u"Ali"_s, u"Veli"_s, u"Can"_s} << QString()
            << QStringList();
        QTest::newRow("commercial without a refusal line")
            << true << false << QString() << QStringList{u"Ali"_s, u"Can"_s}
            << optedOut + u"\r\nUyarı: "_s + NoRefusalLineText << QStringList{u"h04_liste.txt"_s};
        QTest::newRow("commercial") << true << false << ret << QStringList{u"Ali"_s, u"Can"_s}
                                    << optedOut << QStringList{u"h04_liste.txt"_s};
        QTest::newRow("one message per number")
            << false << true << ret << QStringList{u"Ali"_s, u"Veli"_s} << repeated
            << QStringList{u"h05_liste.txt"_s};
        QTest::newRow("both") << true << true << ret << QStringList{u"Ali"_s} << optedOut + repeated
                              << QStringList{u"h04_liste.txt"_s, u"h05_liste.txt"_s};
    }
    void commercialPackage() {
        QFETCH(bool, commercial);
        QFETCH(bool, unique);
        QFETCH(QString, refusal);
        QFETCH(QStringList, names);
        QFETCH(QString, added);
        QFETCH(QStringList, rejects);
        SetParam(u"ret_metni"_s, refusal);
        ExecuteSql(u"INSERT INTO tbl_ret (numara, tarih) VALUES ('5327654321', '2026-12-01')"_s);
        // Can's number is Ali's written otherwise.
        open("gsm;ad\r\n05321234567;Ali\r\n0532 765 43 21;Veli\r\n+90 532 123 45 67;Can\r\n");
        get<QCheckBox>("chkTicari")->setChecked(commercial);
        get<QCheckBox>("chkTekNumara")->setChecked(unique);
        next(u"Sayın [##ad##]"_s);
        const QAbstractItemModel* model = get<QTableView>("DataGrid2")->model();
        QCOMPARE(model->rowCount(), names.size());
        for (int row = 0; row < names.size(); ++row)
            QCOMPARE(model->index(row, PackageListModel::MessageColumn).data().toString(),
                     u"Sayin "_s + names[row] +
                         (commercial && !refusal.isEmpty() ? u" "_s + refusal : QString()));
        QCOMPARE(files(), QStringList{u"Schema.ini"_s} + rejects + QStringList{u"liste.txt"_s});
        ui().queueAnswer(false);
        click(*wizard, "cmdGonder");
        QCOMPARE(ui().boxes.front().text,
                 u"Mesajınız %1 kişiye gönderilecektir. Devam etmek istiyor musunuz?"_s.arg(
                     names.size()) +
                     added);
    }

    // Under the message box a line names the alphabet the template goes in
    // and what makes it dearer, as the user types; "Değiştir" puts in the
    // cheaper equivalents, column names left as they are, in one step that
    // Ctrl+Z takes back, and the counter follows.
    void costLineUnderTheTemplate_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("cheaper"); // empty: no button
        const QString ucs2 = u"Kodlama: UCS-2 · Pahalılaştıran: "_s;
        QTest::newRow("Turkish letters and a placeholder")
            << u"Sayın [##ad##], iyi günler"_s << u"Kodlama: GSM 7-bit"_s << QString();
        QTest::newRow("lira sign and apostrophe")
            << u"[##ad##] 150₺’dir"_s << ucs2 + u"₺→TL ’→'"_s << u"[##ad##] 150TL'dir"_s;
        QTest::newRow("a column named with a lira sign")
            << u"[##Tutar ₺##] … ₺"_s << ucs2 + u"₺→TL …→..."_s << u"[##Tutar ₺##] ... TL"_s;
        QTest::newRow("euro, and angle brackets as cleaned")
            << u"<5€>"_s << u"Kodlama: GSM 7-bit · Pahalılaştıran: [ € ]"_s << QString();
        QTest::newRow("an emoji has no equivalent") << u"Merhaba 😀"_s << ucs2 + u"😀"_s << QString();
        QTest::newRow("an invisible one by its code")
            << u"A\u200BB"_s << ucs2 + u"U+200B"_s << QString();
    }
    void costLineUnderTheTemplate() {
        QFETCH(QString, typed);
        QFETCH(QString, line);
        QFETCH(QString, cheaper);
        open(TwoRows);
        auto* box = get<QPlainTextEdit>("txtMesaj");
        auto* change = get<QToolButton>("cmdUcuzlat");
        QCOMPARE(get<ElidedLabel>("lblKodlama")->fullText(), u"Kodlama: GSM 7-bit"_s);
        box->insertPlainText(typed);
        QCOMPARE(get<ElidedLabel>("lblKodlama")->fullText(), line);
        QCOMPARE(change->isVisibleTo(wizard), !cheaper.isEmpty());
        if (cheaper.isEmpty())
            return;
        QVERIFY(change->isEnabled());
        click(*wizard, "cmdUcuzlat");
        QCOMPARE(box->toPlainText(), cheaper);
        QCOMPARE(text("Label11"), u"%1/160"_s.arg(cheaper.size()));
        QVERIFY(!change->isVisibleTo(wizard));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), typed);
    }

    // A refusal code is never read as a credit.
    void accountCheckRefused() {
        sim->sim().setFault(4, SimFault::reply("05"));
        open(TwoRows);
        next();
        QVERIFY(boxes().last().startsWith(u"Parlex: Mesaj merkeziyle bağlantı kurulamıyor. "_s));
        QCOMPARE(text("lblKontor"), QString());
        QVERIFY(!get("cmdGonder")->isEnabled());
    }

    // Another file loaded after the list was built: that list cannot go, and
    // the new file's columns replace the old ones.
    void anotherFileAfterBuilding() {
        open(TwoRows);
        next();
        ui().queueFileName(env->writeFile(u"liste/ikinci.txt"_s, "tel;isim;borc\r\n"));
        click(*wizard, "cmdGozat");
        QVERIFY(!get<QTabWidget>("SSTab1")->isTabEnabled(1));
        QVERIFY(!get("cmdGonder")->isEnabled());
        QCOMPARE(wizard->rsPaket().rowCount(), 0);
        QCOMPARE(frmPop::instance().columns(), QStringList({u"tel"_s, u"isim"_s, u"borc"_s}));
        QCOMPARE(get<QComboBox>("cmbFGSMNo")->currentText(), u"tel"_s);
    }

    // A workbook opens without a separator: its first sheet shows as the
    // spreadsheet shows it, the separator cannot be chosen, and the sheet
    // can. Another sheet or header choice reads it again; a data file
    // afterwards asks for its separator and gets the controls back.
    void workbookSample_data() {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("amount"); // 150.5, as the sheet shows it
        QTest::newRow(".xlsx, two decimals") << "xlsx"
                                             << "150,50";
        QTest::newRow(".ods, General") << "ods"
                                       << "150,5";
    }
    void workbookSample() {
        QFETCH(QString, suffix);
        QFETCH(QString, amount);
        openWorkbook(suffix);
        QCOMPARE(boxes(), QStringList());
        QVERIFY(QtUi::qtFilter(ui().openFilters.back())
                    .split(u";;"_s)
                    .contains(u"Çalışma kitapları (*.xlsx *.ods *.xls)"_s));
        QCOMPARE(sampleRows(),
                 QStringList({u"05321234567|Ali|"_s + amount, u"0532 765 43 21|Veli|89"_s}));
        QCOMPARE(frmPop::instance().columns(), QStringList({u"gsm"_s, u"ad"_s, u"tutar"_s}));
        QCOMPARE(separatorEnabled(), QList<bool>({false, false, false}));
        auto* sheets = get<QComboBox>("cmbSayfa");
        QVERIFY(sheets->isVisibleTo(wizard) && get("lblSayfa")->isVisibleTo(wizard));
        QCOMPARE(sheets->currentText(), u"Ocak"_s);
        QCOMPARE(sheets->count(), 2);
        QVERIFY(get("cmdIleri_1")->isEnabled());
        // Nothing reads a description of a workbook.
        QCOMPARE(files(), QStringList(u"liste."_s + suffix));

        sheets->setCurrentIndex(1);
        QCOMPARE(frmPop::instance().columns(), QStringList({u"tel"_s, u"isim"_s}));
        QCOMPARE(get<QComboBox>("cmbFGSMNo")->currentText(), u"tel"_s);
        QCOMPARE(sampleRows().first(), u"5331112233|Ayşe"_s);
        get<QComboBox>("cmbBaslik")->setCurrentText(u"Yok"_s);
        QCOMPARE(frmPop::instance().columns(), QStringList({u"F1"_s, u"F2"_s}));
        QCOMPARE(sampleRows().size(), 4);
        QCOMPARE(boxes(), QStringList());
        get<QComboBox>("cmbBaslik")->setCurrentIndex(0); // blank: no answer
        QCOMPARE(boxes(),
                 QStringList(u"Parlex: Lütfen başlık bilgisinin olup olmadığını belirtiniz."_s));
        QCOMPARE(get<QComboBox>("cmbBaslik")->currentText(), u"Yok"_s);
        QCOMPARE(sampleRows().size(), 4);
        ui().boxes.clear();

        const QString data = env->writeFile(u"liste/liste.txt"_s, TwoRows);
        ui().queueFileName(data);
        click(*wizard, "cmdGozat");
        QCOMPARE(boxes(), QStringList(u"Parlex: Lütfen alan ayracını belirtiniz."_s));
        QCOMPARE(separatorEnabled(), QList<bool>({true, true, true}));
        QCOMPARE(frmPop::instance().columns(), QStringList({u"F1"_s, u"F2"_s}));
        get<QLineEdit>("txtAyrac")->setText(u";"_s);
        get<QComboBox>("cmbBaslik")->setCurrentText(u"Var"_s);
        ui().queueFileName(data);
        click(*wizard, "cmdGozat");
        QCOMPARE(frmPop::instance().columns(), QStringList({u"gsm"_s, u"ad"_s}));
        QCOMPARE(separatorEnabled(), QList<bool>({true, true, true}));
        QVERIFY(!sheets->isVisibleTo(wizard));
    }

    // The list is built from the sheet the user picked, and that sheet's
    // rows are sent.
    void sendingFromAWorkbook() {
        openWorkbook();
        next(u"Sayın [##ad##]"_s);
        QCOMPARE(text("lblToplam"), u" 2"_s);
        get<QTabWidget>("SSTab1")->setCurrentIndex(0);
        get<QComboBox>("cmbSayfa")->setCurrentText(u"Şubat"_s);
        QVERIFY(!get<QTabWidget>("SSTab1")->isTabEnabled(1));
        next(u"Sayın [##isim##]"_s);
        QCOMPARE(text("lblToplam"), u" 3"_s);
        ui().queueAnswer(true);
        click(*wizard, "cmdGonder");
        const SimPackageSummary package = sim->sim().packages().front();
        QStringList sent;
        for (const SimMessage& m : sim->sim().packageMessages(package.id))
            sent << QString::fromStdString(m.number + " " + m.text);
        QCOMPARE(sent, QStringList({u"5331112233 Sayin Ayse"_s, u"5334445566 Sayin Fatma"_s,
                                    u"5337778899 Sayin Zeynep"_s}));
        QCOMPARE(OpenRecordset(u"SELECT dosya_adi FROM tbl_giden_txt"_s).value(0).toString(),
                 u"liste.xlsx"_s);
    }

    // Another reader of the folder meanwhile (the automatic sender rewrites
    // its Schema.ini) does not change how the list reads the file.
    void automaticSenderDuringTheBuild() {
        open(manyRows(200000));
        bool once = true;
        ui().onYield = [&] {
            if (std::exchange(once, false))
                WriteSchemaIni(env->filePath(u"liste"_s), u"T"_s, u"H"_s);
        };
        next();
        QCOMPARE(wizard->rsPaket().rowCount(), 200000);
    }

    void scheduledQuestion() {
        open(TwoRows);
        next();
        get<QCheckBox>("chkIleriTarih")->setChecked(true);
        get<QDateEdit>("DTPicker1")->setDate(QDate(2026, 4, 5));
        get<QTimeEdit>("DTPicker2")->setTime(QTime(14, 30));
        click(*wizard, "cmdGonder");
        QCOMPARE(ui().boxes.back().title, u"Parlex Mesaj Gönderim Onayı"_s);
        QCOMPARE(ui().boxes.back().text, u"Mesajınız 2 kişiye, 05.04.2026 saat 14:30 de "
                                         "gönderilecektir. Devam etmek istiyor musunuz?"_s);
        QVERIFY(get("cmdGonder")->isEnabled()); // No: nothing happened
    }

    // The field menu inserts at the caret and puts the caret at the end;
    // the counter follows.
    void fieldMenuAtTheCaret() {
        open("x;y\r\n5321234567;1\r\n");
        auto* box = get<QPlainTextEdit>("txtMesaj");
        box->setPlainText(u"AB"_s);
        QTextCursor caret = box->textCursor();
        caret.setPosition(1);
        box->setTextCursor(caret);
        click(*wizard, "cmdAlanEkle");
        frmPop::instance().mnuGizli()->hide();
        control<QAction>(frmPop::instance(), "AltmnuAry_0")->trigger();
        QCOMPARE(box->toPlainText(), u"A[##x##]B"_s);
        QCOMPARE(box->textCursor().position(), 9);
        QCOMPARE(text("Label11"), u"9/160"_s);
    }

    // A quote left open would carry the next customers' rows into one
    // message: the file is refused, naming the line, and nothing is sent.
    void quoteLeftOpen_data() {
        QTest::addColumn<int>("rowsBefore");
        QTest::addColumn<bool>("whenLoaded"); // else when the list is built
        QTest::newRow("among the sample's rows") << 1 << true;
        QTest::newRow("past the sample's first page") << SampleFileModel::PageRows + 50 << false;
    }
    void quoteLeftOpen() {
        QFETCH(int, rowsBefore);
        QFETCH(bool, whenLoaded);
        const int requests = sim->sim().requestCount();
        open(manyRows(rowsBefore) + "05329999999;\"Ay\xFE\x65\r\n05328888888;Veli\r\n");
        QCOMPARE(get("cmdIleri_1")->isEnabled(), !whenLoaded);
        if (!whenLoaded)
            next();
        QCOMPARE(boxes(),
                 QStringList(u"Parlex Otomatik gönderim ayarları: Tanımlanamayan hata "
                             "oluştu.\r\nSistemin ürettiği hata mesajı : "_s +
                             env->filePath(u"liste/liste.txt"_s) + u": "_s +
                             QString::number(rowsBefore + 2) + u". satırda kapanmayan tırnak"_s));
        QCOMPARE(sim->sim().requestCount(), requests);
        QCOMPARE(files(), (QStringList{u"Schema.ini"_s, u"liste.txt"_s})); // no reject files
    }

    // A long list opens at once and reads on as the grid scrolls.
    void sampleGridReadsAsItScrolls() {
        open(manyRows(1000));
        auto* model = get<QTableView>("DataGrid1")->model();
        QVERIFY(model->rowCount() < 1000);
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        while (model->canFetchMore({}))
            model->fetchMore({});
        QCOMPARE(model->rowCount(), 1000);
        QCOMPARE(model->index(999, 0).data().toString(), u"5321000999"_s);
    }

    void progressWindow_data() {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("rate");
        QTest::newRow("35 of 120") << 35 << 120 << 1 << "35/120 (%29)" << 29 << "35 kayıt/saniye";
        QTest::newRow("under one percent")
            << 1 << 1000 << 1 << "1/1000 (%1)" << 1 << "1 kayıt/saniye";
        QTest::newRow("10 s, 240 done")
            << 240 << 1000 << 10 << "240/1000 (%24)" << 24 << "24 kayıt/saniye";
    }
    void progressWindow() {
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(int, ticks);
        frmBekle window;
        window.Timer1().stop();
        App().gProgressTotal = total;
        App().gProgressDone = done;
        for (int i = 0; i < ticks; ++i)
            window.Timer1_Timer();
        QTEST(window.windowTitle(), "caption");
        QTEST(control<QProgressBar>(window, "ProgressBar1")->value(), "bar");
        QTEST(control<QLabel>(window, "lblIslemHiz")->text(), "rate");
    }

    void folderWindow() {
        QLineEdit target(u"eski"_s);
        QVERIFY(frmKlasorSec::drives().contains(QDir::homePath()));
        auto* chooser = new frmKlasorSec;
        chooser->setTarget(&target);
        chooser->show();
        QCOMPARE(chooser->windowTitle(), u"Klasör Seç"_s);
        chooser->close(); // by its frame: nothing changes
        QCOMPARE(target.text(), u"eski"_s);
        chooser = new frmKlasorSec;
        QPointer<frmKlasorSec> alive(chooser);
        chooser->setTarget(&target);
        chooser->show();
        chooser->selectFolder(env->folder());
        click(*chooser, "cmdSec");
        QCOMPARE(target.text(), env->folder());
        QTRY_VERIFY(!alive);
    }
};

QTEST_MAIN(TestFileSendWizard)
#include "tst_filesendwizard.moc"
