#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>

#include "rules/RuleEditing.h"
#include "rules/RuleRunner.h"
#include "rules/frmOtoAyar.h"
#include "support/WindowTestSupport.h"
#include "support/Workbooks.h"
#include "widgets/ElidedLabel.h"
#include "widgets/frmPop.h"

using namespace Qt::StringLiterals;

// The rule editor as a user drives it, from the menu item to the runner.
class TestRuleEditor : public DesktopTest {
    Q_OBJECT

    QPointer<frmOtoAyar> editor;
    QString in, out;

    template <typename T = QLineEdit> T* get(const char* name) { return control<T>(*editor, name); }
    void open() {
        click(*menu, "miOtoMesaj");
        QVERIFY((editor = menu->ruleEditor()));
    }
    static Rule stored() {
        Recordset rs = OpenRecordset(u"SELECT * FROM tbl_kurallar_txt"_s);
        return rs.isEmpty() ? Rule{} : Rule::fromRecord(rs);
    }
    Rule makeRule(const QString& state,
                  const QString& templateText = u"Sayın [##ad##]\r\nİyi günler"_s) {
        Rule r{0, u"Borç"_s, in, out, templateText, u"O'Brien"_s, u"gsm"_s, u";"_s, u"E"_s, {}};
        SetRuleState(r.id = InsertRule(r), state);
        return r;
    }
    // A list in the incoming folder, dated a minute ago before closing (which
    // would date it anew).
    void drop(const QString& name) {
        QFile f(in + u"/"_s + name);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("gsm;ad\r\n05321234567;Ali\r\n") &&
                f.flush() &&
                f.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                              QFileDevice::FileModificationTime));
    }
    // Types into the editor's boxes, in order.
    void type(std::initializer_list<std::pair<const char*, QString>> texts) {
        for (const auto& [box, text] : texts)
            get(box)->setText(text);
    }
    QString lastBox() { return ui().boxes.empty() ? QString() : shownBoxes(ui()).last(); }
    void expectBox(const QString& text) { QCOMPARE(lastBox(), frmOtoAyar::Title + u": "_s + text); }

private slots:
    void init() {
        openDesktop();
        QDir().mkpath(in = env->filePath(u"gelen"_s));
        QDir().mkpath(out = env->filePath(u"giden"_s));
        QDir::setCurrent(env->folder()); // folders typed as "gelen" are its own
    }
    void cleanup() { closeDesktop(); }

    // A rule made in the editor, apostrophes and all, sends dropped files at
    // the next pass. The example's description goes once a rule is saved,
    // maybe while a pass reads that folder: files are still read as the rule
    // says, not left unread for good.
    void ruleMadeInTheEditorSends() {
        open();
        click(*editor, "cmdYeniKural");
        type({{"txtKuralAdi", u"Ali'nin listesi"_s},
              {"txtGelenKlasoru", in},
              {"txtGidenKlasoru", out},
              {"txtAyrac", u";"_s}});
        ui().queueFileName(env->writeFile(u"ornek/o.txt"_s, "gsm;ad\r\n05321234567;Ali\r\n"));
        click(*editor, "cmdMesajBelirle");
        get<QComboBox>("cmbGonderen_1")->setCurrentText(u"ACME"_s);
        get<QPlainTextEdit>("txtMesaj")->setPlainText(u"D'n [##ad##]"_s);
        QCOMPARE(get<QLabel>("Label11")->text(), u"12 / 160"_s);
        click(*editor, "cmdYeniKural");
        expectBox(u"İşlem başarıyla kaydedildi.Kural tanımlandı ve çalıştırıldı."_s);
        QVERIFY(!QFile::exists(env->filePath(u"ornek/Schema.ini"_s)));
        const Rule r = stored();
        QCOMPARE(QStringList({r.kural_adi, r.mesaj_sablonu, r.fgsmno, r.flg_aktif}),
                 QStringList({u"Ali'nin listesi"_s, u"D'n [##ad##]"_s, u"gsm"_s, u"1"_s}));
        SetAutoSendSwitch(true);
        drop(u"a.txt"_s);
        drop(u"b.txt"_s);
        ui().onYield = [this] {
            QFile::remove(in + u"/Schema.ini"_s);
        };
        OtoMesaj();
        QCOMPARE(sim->sim().packageCount(), 2);
        QCOMPARE(sim->sim().packages().front().originator, std::string("ACME"));
        click(*editor, "cmdVazgec");
        QTRY_VERIFY(!editor);
        QVERIFY(menu->advertisementWanted());
    }

    // What a save is refused for, in the order the user is asked; folders
    // are compared as folders. A change checks the folders before the rest.
    void saveChecks_data() {
        QTest::addColumn<bool>("change");
        QTest::addColumn<QStringList>("f"); // name, incoming, outgoing, box
        const QString same = u"Gelen klasörü ile giden klasörü aynı olamaz."_s;
        QTest::newRow("all empty") << false << QStringList{"", "", "", "Kural adını belirtiniz."};
        QTest::newRow("both folders empty") << false << QStringList{"K", "", "", same};
        QTest::newRow("dot steps") << false << QStringList{"K", "gelen", "giden/../gelen/.", same};
        QTest::newRow("link") << false << QStringList{"K", "gelen", "bag", same};
        QTest::newRow("no in") << false
                               << QStringList{"K", "", "giden", "Gelen klasörünü belirtiniz."};
        QTest::newRow("no text") << false
                                 << QStringList{"K", "gelen", "giden",
                                                "Mesaj içeriğini belirtiniz."};
        QTest::newRow("change: folders first") << true << QStringList{"", "gelen", "bag", same};
        QTest::newRow("change: no name")
            << true << QStringList{"", "gelen", "giden", "Kural adını belirtiniz."};
    }
    void saveChecks() {
        QFETCH(bool, change);
        QFETCH(QStringList, f);
        QFile::link(in, env->filePath(u"bag"_s));
        if (change)
            makeRule(RuleState::Stopped);
        const char* button = change ? "cmdKuralDegistir" : "cmdYeniKural";
        open();
        click(*editor, button);
        type({{"txtKuralAdi", f[0]}, {"txtGelenKlasoru", f[1]}, {"txtGidenKlasoru", f[2]}});
        click(*editor, button);
        expectBox(f[3]);
        QVERIFY(editor->mode() ==
                (change ? frmOtoAyar::Mode::Changing : frmOtoAyar::Mode::NewRule));
        QCOMPARE(stored().kural_adi, change ? u"Borç"_s : QString());
    }

    // The senders are asked for until the gateway has given them: a rule
    // changed while it was away shows its own sender, and a new rule then
    // gets the gateway's list, or no sender while the gateway stays away.
    void sendersUntilTheGatewayAnswers_data() {
        QTest::addColumn<bool>("back");
        QTest::addColumn<QStringList>("senders"); // offered for the new rule
        QTest::newRow("gateway back") << true << QStringList{"PARLEX", "ACME"};
        QTest::newRow("still away") << false << QStringList{};
    }
    void sendersUntilTheGatewayAnswers() {
        QFETCH(bool, back);
        QFETCH(QStringList, senders);
        makeRule(RuleState::Stopped);
        const QString gateway = App().gGatewayUrl;
        App().gGatewayUrl = u"http://127.0.0.1:%1/"_s.arg(SimulatorFixture::closedPort());
        open();
        click(*editor, "cmdKuralDegistir");
        QCOMPARE(ui().boxes.size(), size_t(2));
        QCOMPARE(get<QComboBox>("cmbGonderen_1")->currentText(), u"O'Brien"_s);
        click(*editor, "cmdVazgec");
        if (back)
            App().gGatewayUrl = gateway;
        click(*editor, "cmdYeniKural");
        auto* combo = get<QComboBox>("cmbGonderen_1");
        QStringList offered;
        for (int i = 0; i < combo->count(); ++i)
            offered << combo->itemText(i);
        QCOMPARE(offered, senders);
        QCOMPARE(ui().boxes.size(), size_t(back ? 2 : 3)); // asked again either way
    }

    // Start and stop act on the rule as stored and the window follows; a
    // running rule is not changed; a change without a new example keeps the
    // rule's column and sender, and leaves it stopped.
    void startStopAndChange() {
        const Rule r = makeRule(RuleState::Running);
        open();
        click(*editor, "cmdKuralDegistir");
        expectBox(u"Ayarlarını değiştirmek için öncelikle kuralı durdurun."_s);
        for (const bool running : {false, true, false}) {
            click(*editor, "cmdDurum");
            auto* label = get<QLabel>("lblKuralDurum");
            QCOMPARE(label->text(), running ? u"Çalışıyor"_s : u"Durduruldu"_s);
            QCOMPARE(label->styleSheet().contains(u"0, 0, 255"_s), running);
            QCOMPARE(get<QPushButton>("cmdDurum")->text(), running ? u"Durdur"_s : u"Çalıştır"_s);
            QCOMPARE(StoredRuleState(r.id), running ? u"1"_s : u"0"_s);
        }
        click(*editor, "cmdKuralDegistir");
        get("txtKuralAdi")->setText(u"Yeni ad"_s);
        click(*editor, "cmdKuralDegistir");
        expectBox(u"İşlem başarıyla kaydedildi."_s);
        const Rule changed = stored();
        QCOMPARE(QStringList({changed.kural_adi, changed.originator, changed.fgsmno,
                              changed.mesaj_sablonu}),
                 QStringList({u"Yeni ad"_s, u"O'Brien"_s, u"gsm"_s, r.mesaj_sablonu}));
    }

    // A rule's packages are commercial, or one message per number, when its
    // boxes say so: shown for the rule, kept through a change that leaves
    // them, stored as ticked, for a new rule as for a changed one. A
    // commercial rule without a refusal line is saved all the same, with a
    // word on why it should have one.
    void consentBoxes_data() {
        QTest::addColumn<bool>("fresh"); // made in the editor, not changed
        QTest::addColumn<bool>("wasCommercial");
        QTest::addColumn<bool>("wasUnique");
        QTest::addColumn<bool>("commercial");
        QTest::addColumn<bool>("unique");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("ticked") << false << false << false << true << true << u"Ret icin RET"_s;
        QTest::newRow("kept through a change") << false << true << true << true << true << u"RET"_s;
        QTest::newRow("cleared") << false << true << true << false << false << QString();
        QTest::newRow("commercial without a refusal line")
            << false << false << true << true << false << QString();
        QTest::newRow("new rule left off") << true << false << false << false << false << QString();
        QTest::newRow("new rule ticked, no refusal line")
            << true << false << false << true << true << u"  "_s;
    }
    void consentBoxes() {
        QFETCH(bool, fresh);
        QFETCH(bool, wasCommercial);
        QFETCH(bool, wasUnique);
        QFETCH(bool, commercial);
        QFETCH(bool, unique);
        QFETCH(QString, refusal);
        SetParam(u"ret_metni"_s, refusal);
        if (!fresh) {
            Rule r{0,         u"Kampanya"_s, in,     out,    u"Sayın [##ad##]"_s,
                   u"ACME"_s, u"gsm"_s,      u";"_s, u"E"_s, {}};
            r.setPolicy({wasCommercial, wasUnique});
            SetRuleState(r.id = InsertRule(r), RuleState::Stopped);
        }
        open();
        auto* commercialBox = get<QCheckBox>("chkTicari");
        auto* uniqueBox = get<QCheckBox>("chkTekNumara");
        auto shown = [&] {
            return QList<bool>(
                {commercialBox->isChecked(), uniqueBox->isChecked(), commercialBox->isEnabled()});
        };
        QCOMPARE(commercialBox->text(), u"Ticari ileti (ret listesi uygulanır)"_s);
        QCOMPARE(uniqueBox->text(), u"Aynı numaraya tek mesaj"_s);
        QCOMPARE(shown(), QList<bool>({wasCommercial, wasUnique, false}));
        const char* button = fresh ? "cmdYeniKural" : "cmdKuralDegistir";
        click(*editor, button);
        if (fresh) {
            QCOMPARE(shown(), QList<bool>({false, false, true}));
            type({{"txtKuralAdi", u"Kampanya"_s},
                  {"txtGelenKlasoru", in},
                  {"txtGidenKlasoru", out},
                  {"txtAyrac", u";"_s}});
            ui().queueFileName(env->writeFile(u"ornek/o.txt"_s, "gsm;ad\r\n05321234567;Ali\r\n"));
            click(*editor, "cmdMesajBelirle");
            get<QPlainTextEdit>("txtMesaj")->setPlainText(u"Sayın [##ad##]"_s);
        }
        commercialBox->setChecked(commercial);
        uniqueBox->setChecked(unique);
        click(*editor, button);
        const PackagePolicy saved = stored().policy();
        QCOMPARE(QList<bool>({saved.commercial, saved.oneMessagePerNumber}),
                 QList<bool>({commercial, unique}));
        if (commercial && refusal.trimmed().isEmpty())
            expectBox(frmOtoAyar::NoRefusalLineWarning);
        else
            QVERIFY2(lastBox().startsWith(frmOtoAyar::Title + u": İşlem başarıyla kaydedildi."_s),
                     qPrintable(lastBox()));
        QCOMPARE(shown(), QList<bool>({commercial, unique, false})); // read back from the list
        // A new rule starts with both off, whatever was shown before.
        click(*editor, "cmdYeniKural");
        QCOMPARE(shown(), QList<bool>({false, false, true}));
    }

    // The line under the template says what makes it dearer, as in the send
    // wizard: typed into a new rule, "Değiştir" puts in the cheaper
    // equivalents and the counter follows; a shown rule's template cannot be
    // changed from the line.
    void costLineUnderTheTemplate_data() {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("after"); // the template after "Değiştir"
        QTest::addColumn<QString>("counter");
        QTest::newRow("a new rule") << true << u"Sayın [##ad##], 150TL'dir"_s << u"25 / 160"_s;
        QTest::newRow("a shown rule") << false << u"Sayın [##ad##], 150₺’dir"_s << u"24 / 160"_s;
    }
    void costLineUnderTheTemplate() {
        QFETCH(bool, editing);
        QFETCH(QString, after);
        QFETCH(QString, counter);
        const QString typed = u"Sayın [##ad##], 150₺’dir"_s;
        if (!editing)
            makeRule(RuleState::Stopped, typed);
        open();
        auto* box = get<QPlainTextEdit>("txtMesaj");
        if (editing) {
            click(*editor, "cmdYeniKural");
            type({{"txtAyrac", u";"_s}});
            ui().queueFileName(env->writeFile(u"ornek/o.txt"_s, "gsm;ad\r\n05321234567;Ali\r\n"));
            click(*editor, "cmdMesajBelirle");
            box->insertPlainText(typed);
        }
        QCOMPARE(box->toPlainText(), typed);
        QCOMPARE(get<ElidedLabel>("lblKodlama")->fullText(),
                 u"Kodlama: UCS-2 · Pahalılaştıran: ₺→TL ’→'"_s);
        QVERIFY(get<QToolButton>("cmdUcuzlat")->isVisibleTo(editor));
        QCOMPARE(get<QToolButton>("cmdUcuzlat")->isEnabled(), editing);
        click(*editor, "cmdUcuzlat");
        QCOMPARE(box->toPlainText(), after);
        QCOMPARE(get<QLabel>("Label11")->text(), counter);
    }

    // A sample the reader refuses (a spreadsheet's UTF-16 "Unicode text")
    // leaves the one loaded before: its path, rows and columns stay together.
    void aRefusedSampleKeepsTheLoadedOne() {
        open();
        click(*editor, "cmdYeniKural");
        type({{"txtAyrac", u";"_s}});
        const QString first = env->writeFile(u"ornek/o.txt"_s, "gsm;ad\r\n05321234567;Ali\r\n");
        ui().queueFileName(first);
        click(*editor, "cmdMesajBelirle");
        ui().queueFileName(
            env->writeFile(u"ornek/unicode.txt"_s, QByteArray("\xFF\xFEg\0s\0m\0\r\0\n\0", 12)));
        click(*editor, "cmdMesajBelirle");
        QCOMPARE(lastBox(), u"Parlex: Dosya içeriği okunamıyor. Alan ayracı ayarı, sistem "
                            "ayarlarınızla çakışıyor olabilir."_s);
        QCOMPARE(get<QLabel>("lblOrnekDosya")->text(), u"Örnek dosya : "_s + first);
        QCOMPARE(control<QTableView>(*editor, "DataGrid2")->model()->rowCount(), 1);
        QCOMPARE(get<QComboBox>("cmbFGSMNo")->currentText(), u"gsm"_s);
        QCOMPARE(frmPop::instance().columns(), QStringList({u"gsm"_s, u"ad"_s}));
    }

    // A workbook is a sample too: its first sheet names the columns. While
    // it is the sample the separator cannot be changed; the rule keeps the
    // one given for the data files it reads. The example folder's own
    // description is none of the editor's business then.
    void workbookSample_data() {
        QTest::addColumn<QString>("suffix");
        QTest::newRow(".xlsx") << "xlsx";
        QTest::newRow(".ods") << "ods";
    }
    void workbookSample() {
        QFETCH(QString, suffix);
        const QByteArray schema = "[liste.txt]\r\nFormat=TabDelimited\r\n";
        env->writeFile(u"ornek/Schema.ini"_s, schema);
        const Sheets sheets{{u"Müşteriler"_s, {{u"ad"_s, u"cep"_s}, {u"Ali"_s, u"05321234567"_s}}},
                            {u"Bayiler"_s, {{u"bayi"_s}, {u"Kuzey"_s}}}};
        open();
        click(*editor, "cmdYeniKural");
        type({{"txtKuralAdi", u"Kitap"_s},
              {"txtGelenKlasoru", in},
              {"txtGidenKlasoru", out},
              {"txtAyrac", u";"_s}});
        const QString book =
            env->writeFile(u"ornek/musteri."_s + suffix, WorkbookBytes(suffix, sheets));
        ui().queueFileName(book);
        click(*editor, "cmdMesajBelirle");
        QCOMPARE(get<QLabel>("lblOrnekDosya")->text(), u"Örnek dosya : "_s + book);
        const QAbstractItemModel* sample = control<QTableView>(*editor, "DataGrid2")->model();
        QCOMPARE(sample->index(0, 1).data().toString(), u"05321234567"_s);
        QCOMPARE(frmPop::instance().columns(), QStringList({u"ad"_s, u"cep"_s}));
        QList<bool> separator{get<QRadioButton>("optSekme")->isEnabled(),
                              get<QRadioButton>("optOzel")->isEnabled(),
                              get("txtAyrac")->isEnabled()};
        QCOMPARE(separator, QList<bool>({false, false, false}));
        get<QComboBox>("cmbFGSMNo")->setCurrentText(u"cep"_s);
        get<QPlainTextEdit>("txtMesaj")->setPlainText(u"Sayın [##ad##]"_s);
        click(*editor, "cmdYeniKural");
        expectBox(u"İşlem başarıyla kaydedildi.Kural tanımlandı ve çalıştırıldı."_s);
        const Rule r = stored();
        QCOMPARE(QStringList({r.fgsmno, r.metin_ayraci, r.baslik_var}),
                 QStringList({u"cep"_s, u";"_s, u"E"_s}));
        QFile kept(env->filePath(u"ornek/Schema.ini"_s));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), schema);

        click(*editor, "cmdYeniKural");
        type({{"txtAyrac", u";"_s}});
        ui().queueFileName(book);
        click(*editor, "cmdMesajBelirle");
        ui().queueFileName(env->writeFile(u"ornek/o.txt"_s, "gsm;ad\r\n05321234567;Ali\r\n"));
        click(*editor, "cmdMesajBelirle");
        QVERIFY(get("txtAyrac")->isEnabled() && get<QRadioButton>("optSekme")->isEnabled());
    }

    // Deleting asks first; a rule whose sent file still waits to be moved on
    // stays until the runner has finished with it.
    void deletingARule() {
        const Rule r = makeRule(RuleState::Stopped);
        ExecuteSql(
            u"INSERT INTO tbl_gonderim_gunlugu (kural,yol,boyut,degisim,ozet,durum) VALUES("_s +
            QString::number(r.id) + u",'x',1,'','','1')"_s);
        open();
        click(*editor, "cmdSil");
        QVERIFY(lastBox().contains(u"henüz giden klasörüne taşınmamış"_s));
        ExecuteSql(u"DELETE FROM tbl_gonderim_gunlugu"_s);
        click(*editor, "cmdSil");
        expectBox(u"\"Borç\" kuralını silmek istediğinizden emin misiniz?"_s);
        ui().queueAnswer(true);
        click(*editor, "cmdSil");
        expectBox(u"Kayıt silme işlemi başarıyla tamamlandı."_s);
        QCOMPARE(stored().id, 0);
    }

    // A statement the database refuses is reported with its reason; the edit
    // stays open with what was typed.
    void failingStatements_data() {
        QTest::addColumn<QByteArray>("button");
        for (const char* b : {"cmdYeniKural", "cmdKuralDegistir", "cmdSil", "cmdDurum"})
            QTest::newRow(b) << QByteArray(b);
    }
    void failingStatements() {
        QFETCH(QByteArray, button);
        makeRule(RuleState::Stopped);
        open();
        if (button.startsWith("cmdYeni") || button.startsWith("cmdKural"))
            click(*editor, button.constData());
        get<QPlainTextEdit>("txtMesaj")->setPlainText(u"x"_s);
        type({{"txtKuralAdi", u"Yazılan"_s}, {"txtAyrac", u";"_s}});
        type({{"txtGelenKlasoru", in}, {"txtGidenKlasoru", out}});
        for (const QString& what : {u"INSERT"_s, u"UPDATE"_s, u"DELETE"_s})
            ExecuteSql(u"CREATE TRIGGER k"_s + what + u" BEFORE "_s + what +
                       u" ON tbl_kurallar_txt BEGIN SELECT RAISE(ABORT, 'tablo kilitli'); END"_s);
        ui().queueAnswer(true);
        click(*editor, button.constData());
        QVERIFY2(lastBox().contains(u"tablo kilitli"_s), qPrintable(lastBox()));
        QCOMPARE(get("txtKuralAdi")->text(), u"Yazılan"_s);
        QCOMPARE(stored().kural_adi, u"Borç"_s);
    }

    // Nothing to show: only a new rule and closing, the counter as designed;
    // reserved rules are never listed. An unreachable gateway is said once,
    // not at every return.
    void emptyList() {
        makeRule(RuleState::Running);
        ExecuteSql(u"UPDATE tbl_kurallar_txt SET flg_aktif = '-1'"_s);
        App().gGatewayUrl = u"http://127.0.0.1:%1/"_s.arg(SimulatorFixture::closedPort());
        open();
        QStringList enabled;
        for (const QPushButton* b : editor->findChildren<QPushButton*>())
            enabled << (b->isEnabled() ? b->objectName() : QString());
        enabled.removeAll(QString());
        QCOMPARE(enabled, QStringList({u"cmdYeniKural"_s, u"cmdVazgec"_s}));
        QCOMPARE(get<QLabel>("Label11")->text(), u"160 / 160"_s);
        editor->Form_Activate();
        QCOMPARE(ui().boxes.size(), size_t(1));
        QVERIFY(lastBox().startsWith(u"Parlex: Mesaj merkeziyle bağlantı kurulamıyor. "_s));
    }
};

QTEST_MAIN(TestRuleEditor)
#include "tst_ruleeditor.moc"
