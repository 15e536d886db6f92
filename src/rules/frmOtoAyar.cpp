#include "frmOtoAyar.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMdiSubWindow>

#include "ui_frmOtoAyar.h"

#include "RuleEditing.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/UiServices.h"
#include "gateway/Gateway.h"
#include "textsource/MessageTemplate.h"
#include "textsource/PackagePolicy.h"
#include "widgets/GridModels.h"
#include "widgets/MessageCostLine.h"
#include "widgets/SampleLoader.h"
#include "widgets/WorkingWindowHost.h"
#include "widgets/frmKlasorSec.h"
#include "widgets/frmPop.h"

namespace {

const QString Save = QStringLiteral("Kaydet");
const QString NewRule = QStringLiteral("Yeni kural oluştur");
const QString ChangeRule = QStringLiteral("Kuralı değiştir");
const QString Close = QStringLiteral("Kapat");
const QString Cancel = QStringLiteral("Vazgeç");
const QString Crlf = QStringLiteral("\r\n");

QString reasonText(const QString& what, const QString& reason) {
    return what + Crlf + QStringLiteral("Sistemin ürettiği hata mesajı : ") + reason;
}

// Shows `text` as the current entry, adding it when the list lacks it.
void showEntry(QComboBox* combo, const QString& text) {
    if (text.isEmpty())
        return;
    if (combo->findText(text) < 0)
        combo->addItem(text);
    combo->setCurrentText(text);
}

} // namespace

frmOtoAyar::frmOtoAyar(WorkingWindowHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_ui(std::make_unique<Ui_frmOtoAyar>())
    , m_rsKurallar(new RecordsetModel(this))
    , m_rsKural(new SampleFileModel(this)) {
    m_ui->setupUi(this);
    setFixedSize(DesignWidth, DesignHeight);
    m_ui->cmbBaslik->addItems({QStringLiteral("Var"), QStringLiteral("Yok")});
    m_ui->DataGrid1->setModel(m_rsKurallar);
    m_ui->DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ui->DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ui->DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ui->DataGrid1->horizontalHeader()->setStretchLastSection(true);
    m_ui->DataGrid1->verticalHeader()->hide();
    m_ui->DataGrid1->horizontalHeader()->hide(); // a list of names, no column to name
    PrepareSampleGrid(m_ui->DataGrid2);

    connect(m_ui->cmdYeniKural, &QPushButton::clicked, this, &frmOtoAyar::cmdYeniKural_Click);
    connect(m_ui->cmdKuralDegistir, &QPushButton::clicked, this,
            &frmOtoAyar::cmdKuralDegistir_Click);
    connect(m_ui->cmdSil, &QPushButton::clicked, this, &frmOtoAyar::cmdSil_Click);
    connect(m_ui->cmdDurum, &QPushButton::clicked, this, &frmOtoAyar::cmdDurum_Click);
    connect(m_ui->cmdVazgec, &QPushButton::clicked, this, &frmOtoAyar::cmdVazgec_Click);
    connect(m_ui->cmdMesajBelirle, &QPushButton::clicked, this, &frmOtoAyar::cmdMesajBelirle_Click);
    connect(m_ui->cmdGelenGozat, &QPushButton::clicked, this, [this] { chooseFolder(true); });
    connect(m_ui->cmdGidenGozat, &QPushButton::clicked, this, [this] { chooseFolder(false); });
    connect(m_ui->cmdAlanEkle, &QPushButton::clicked, this,
            [this] { frmPop::instance().popup(this, m_ui->txtMesaj, QCursor::pos()); });
    connect(m_ui->txtMesaj, &QPlainTextEdit::textChanged, this,
            [this] { m_ui->Label11->setText(EditorCounterText(m_ui->txtMesaj->toPlainText())); });
    m_ui->ctlMaliyet->follow(m_ui->txtMesaj);
}

frmOtoAyar::~frmOtoAyar() = default;

void frmOtoAyar::Form_Load() {
    m_host.unloadAdvertisement();
    QPalette band = m_ui->Frame1->palette();
    band.setColor(QPalette::Window, QColor(62, 117, 242));
    band.setColor(QPalette::WindowText, Qt::white);
    m_ui->Frame1->setPalette(band);
    viewingMode();
    loadList();
    showCurrentRule();
}

void frmOtoAyar::Form_Activate() {
    // Once per window: a gateway that cannot be reached would otherwise
    // answer every return to the window (its own box's closing included)
    // with the box again. Editing a rule asks again until the gateway has
    // given the list.
    if (m_activated)
        return;
    m_activated = true;
    if (!m_sendersFromGateway)
        fillSenders();
}

bool frmOtoAyar::fillSenders() {
    Gateway gateway;
    const std::optional<QStringList> names =
        SenderNamesOf(gateway.GetInfo(App().gatewayUserName(), App().gPassword));
    if (!names) {
        UserInterface().error(
            QStringLiteral("Parlex"),
            QStringLiteral("Mesaj merkeziyle bağlantı kurulamıyor. ") + Crlf +
                QStringLiteral("Bilgisayarınız, güvenlik duvarı denetiminde olabilir.") + Crlf +
                QStringLiteral("SMS göndermek için internete bağlı olmanız gerekmektedir!") + Crlf +
                QStringLiteral("Lütfen güvenlik ayarlarınızı kontrol ediniz."));
        return false;
    }
    // Only the gateway's names: a rule being changed adds its own after.
    m_ui->cmbGonderen_1->clear();
    m_ui->cmbGonderen_1->addItems(*names);
    m_ui->cmbGonderen_1->setCurrentIndex(0);
    m_sendersFromGateway = true;
    return true;
}

void frmOtoAyar::loadList(std::optional<qint32> select) {
    m_ui->cmdDurum->setEnabled(true);
    Recordset rules;
    try {
        rules = LoadEditorRules();
    } catch (const std::exception& e) {
        failed(QStringLiteral("Kurallar okunamadı."), ErrorText(e));
    }
    m_rsKurallar->setRecordset(rules);
    for (int column = 0; column < m_rsKurallar->columnCount(); ++column)
        m_ui->DataGrid1->setColumnHidden(column, column != 1);
    int row = 0;
    if (select) {
        for (int i = 0; i < m_rsKurallar->rowCount(); ++i)
            if (m_rsKurallar->index(i, 0).data().toInt() == *select)
                row = i;
    }
    if (m_rsKurallar->rowCount() > 0)
        m_ui->DataGrid1->setCurrentIndex(m_rsKurallar->index(row, 1));
    // Connected after the first load: selecting a rule in the list shows it.
    disconnect(m_ui->DataGrid1->selectionModel(), nullptr, this, nullptr);
    connect(m_ui->DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] {
                if (m_mode == Mode::Viewing)
                    showCurrentRule();
            });
}

void frmOtoAyar::showCurrentRule() {
    const QModelIndex current = m_ui->DataGrid1->currentIndex();
    if (!current.isValid()) {
        m_shown.reset();
        for (QLineEdit* box : {m_ui->txtKuralAdi, m_ui->txtGelenKlasoru, m_ui->txtGidenKlasoru,
                               m_ui->txtGonderen, m_ui->txtFGSMNo, m_ui->txtAyrac})
            box->clear();
        m_ui->lblKuralDurum->clear();
        setTemplate(QString());
        showPolicy({});
        m_ui->cmdDurum->setText(QString());
        for (QWidget* w :
             {static_cast<QWidget*>(m_ui->cmdDurum), static_cast<QWidget*>(m_ui->cmdSil),
              static_cast<QWidget*>(m_ui->cmdKuralDegistir)})
            w->setEnabled(false);
        setSeparatorOptions(false, false);
        return;
    }
    Recordset rs = m_rsKurallar->recordset().clone();
    rs.setAbsolutePosition(current.row() + 1);
    const Rule rule = Rule::fromRecord(rs);
    m_shown = rule;
    const bool running = rule.flg_aktif == RuleState::Running;
    m_ui->lblKuralDurum->setText(running ? QStringLiteral("Çalışıyor")
                                         : QStringLiteral("Durduruldu"));
    m_ui->lblKuralDurum->setStyleSheet(running ? QStringLiteral("color: rgb(0, 0, 255)")
                                               : QStringLiteral("color: rgb(255, 0, 0)"));
    m_ui->cmdDurum->setText(running ? QStringLiteral("Durdur") : QStringLiteral("Çalıştır"));
    m_ui->cmdDurum->setEnabled(true);
    m_ui->txtKuralAdi->setText(rule.kural_adi);
    m_ui->txtGelenKlasoru->setText(rule.gelen_klasor);
    m_ui->txtGidenKlasoru->setText(rule.giden_klasor);
    const bool tab = rule.metin_ayraci == QLatin1String("T");
    setSeparatorOptions(tab, !tab);
    m_ui->txtAyrac->setText(tab ? QString() : rule.metin_ayraci);
    m_ui->cmbBaslik->setCurrentText(rule.baslik_var == QLatin1String("E") ? QStringLiteral("Var")
                                                                          : QStringLiteral("Yok"));
    setTemplate(rule.mesaj_sablonu);
    m_shownTemplate = m_ui->txtMesaj->toPlainText();
    m_ui->Label11->setText(EditorCounterText(m_shownTemplate)); // an empty one counts too
    m_ui->txtGonderen->setText(rule.originator);
    m_ui->txtFGSMNo->setText(rule.fgsmno);
    showPolicy(rule.policy());
    m_ui->cmdSil->setEnabled(true);
    m_ui->cmdKuralDegistir->setEnabled(true);
}

void frmOtoAyar::setSeparatorOptions(bool tab, bool custom) {
    // Both may be cleared, which exclusive options do not allow.
    m_ui->optSekme->setAutoExclusive(false);
    m_ui->optOzel->setAutoExclusive(false);
    m_ui->optSekme->setChecked(tab);
    m_ui->optOzel->setChecked(custom);
    m_ui->optSekme->setAutoExclusive(true);
    m_ui->optOzel->setAutoExclusive(true);
}

void frmOtoAyar::showCombos(bool editing) {
    m_ui->txtFGSMNo->setVisible(!editing);
    m_ui->txtGonderen->setVisible(!editing);
    m_ui->cmbFGSMNo->setVisible(editing);
    m_ui->cmbGonderen_1->setVisible(editing);
}

void frmOtoAyar::viewingMode() {
    m_mode = Mode::Viewing;
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_ui->txtKuralAdi, m_ui->txtGelenKlasoru, m_ui->cmdGelenGozat, m_ui->txtGidenKlasoru,
             m_ui->cmdGidenGozat, m_ui->txtAyrac, m_ui->cmbBaslik, m_ui->cmdMesajBelirle,
             m_ui->txtMesaj, m_ui->cmdAlanEkle, m_ui->txtFGSMNo, m_ui->txtGonderen, m_ui->cmbFGSMNo,
             m_ui->cmbGonderen_1, m_ui->optSekme, m_ui->optOzel, m_ui->chkTicari,
             m_ui->chkTekNumara})
        w->setEnabled(false);
    m_ui->lblOrnekDosya->clear();
    m_ui->DataGrid2->setModel(nullptr);
    m_rsKural->close(); // lets the example file go
    m_sample.reset();
    showCombos(false);
    m_ui->cmdYeniKural->setText(NewRule);
    m_ui->cmdKuralDegistir->setText(ChangeRule);
    for (QPushButton* b : {m_ui->cmdYeniKural, m_ui->cmdKuralDegistir, m_ui->cmdSil})
        b->setEnabled(true);
    m_ui->cmdVazgec->setText(Close);
    setSeparatorOptions(false, false);
    m_ui->txtAyrac->clear();
}

void frmOtoAyar::cmdYeniKural_Click() {
    if (m_ui->cmdYeniKural->text() == Save)
        return saveNewRule();
    viewingMode();
    m_mode = Mode::NewRule;
    m_ui->lblKuralDurum->clear();
    m_ui->cmdDurum->setText(QString());
    m_ui->cmdDurum->setEnabled(false);
    for (QLineEdit* box : {m_ui->txtKuralAdi, m_ui->txtGelenKlasoru, m_ui->txtGidenKlasoru,
                           m_ui->txtAyrac, m_ui->txtFGSMNo, m_ui->txtGonderen})
        box->clear();
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_ui->txtKuralAdi, m_ui->txtGelenKlasoru, m_ui->cmdGelenGozat, m_ui->txtGidenKlasoru,
             m_ui->cmdGidenGozat, m_ui->txtAyrac, m_ui->optSekme, m_ui->optOzel, m_ui->cmbBaslik,
             m_ui->cmdMesajBelirle, m_ui->chkTicari, m_ui->chkTekNumara})
        w->setEnabled(true);
    showPolicy({}); // a new rule sends as rules always have
    setSeparatorOptions(false, true);
    m_ui->cmbBaslik->setCurrentText(QStringLiteral("Var"));
    setTemplate(QString());
    m_ui->cmbFGSMNo->clear();
    showCombos(true);
    // Without the gateway's list a new rule gets no sender, not one another
    // rule's change left in the combo.
    if (!m_sendersFromGateway && !fillSenders())
        m_ui->cmbGonderen_1->clear();
    m_ui->cmbGonderen_1->setCurrentIndex(0);
    m_ui->cmdKuralDegistir->setEnabled(false);
    m_ui->cmdSil->setEnabled(false);
    m_ui->cmdVazgec->setText(Cancel);
    m_ui->cmdYeniKural->setText(Save);
    m_ui->txtKuralAdi->setFocus();
}

void frmOtoAyar::cmdKuralDegistir_Click() {
    if (!m_shown)
        return;
    // Both checks come first, when the change starts and when it is saved.
    // The state is read as stored now, whatever the list showed.
    QString state;
    if (auto failure = TryStatement([&] { state = StoredRuleState(m_shown->id); }))
        return failed(QStringLiteral("Kural okunamadı."), *failure);
    if (state == RuleState::Running) {
        UserInterface().information(
            Title, QStringLiteral("Ayarlarını değiştirmek için öncelikle kuralı durdurun."));
        return;
    }
    if (SameFolder(m_ui->txtGelenKlasoru->text(), m_ui->txtGidenKlasoru->text())) {
        UserInterface().error(Title,
                              QStringLiteral("Gelen klasörü ile giden klasörü aynı olamaz."));
        m_ui->txtGelenKlasoru->clear();
        m_ui->txtGidenKlasoru->clear();
        return;
    }
    if (m_ui->cmdKuralDegistir->text() == Save)
        return saveChange();
    startChanging();
}

void frmOtoAyar::startChanging() {
    m_mode = Mode::Changing;
    m_ui->cmdKuralDegistir->setText(Save);
    m_ui->cmdVazgec->setText(Cancel);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_ui->txtKuralAdi, m_ui->cmdGelenGozat, m_ui->cmdGidenGozat, m_ui->txtAyrac,
             m_ui->optSekme, m_ui->optOzel, m_ui->cmbBaslik, m_ui->cmdMesajBelirle, m_ui->chkTicari,
             m_ui->chkTekNumara})
        w->setEnabled(true);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_ui->txtMesaj, m_ui->cmdAlanEkle, m_ui->cmdYeniKural, m_ui->cmdSil, m_ui->cmdDurum,
             m_ui->txtFGSMNo, m_ui->txtGonderen})
        w->setEnabled(false);
    showCombos(true);
    if (!m_sendersFromGateway)
        fillSenders();
    // Saved without a new example, the rule keeps its own column and sender.
    m_ui->cmbFGSMNo->clear();
    showEntry(m_ui->cmbFGSMNo, m_shown->fgsmno);
    showEntry(m_ui->cmbGonderen_1, m_shown->originator);
    m_ui->cmbFGSMNo->setEnabled(false);
    m_ui->cmbGonderen_1->setEnabled(false);
}

void frmOtoAyar::setTemplate(const QString& text) {
    // Only a real change counts: the counter keeps "160 / 160" until a
    // template is shown or typed.
    if (m_ui->txtMesaj->toPlainText() != text)
        m_ui->txtMesaj->setPlainText(text);
}

RuleDraft frmOtoAyar::draft() const {
    QString message = m_ui->txtMesaj->toPlainText();
    // The box shows CR LF as one line break (and a no-break space as a
    // blank): an unchanged template is stored as it was.
    if (m_mode == Mode::Changing && m_shown && message == m_shownTemplate)
        message = m_shown->mesaj_sablonu;
    RuleDraft d{m_ui->txtKuralAdi->text(),
                m_ui->txtGelenKlasoru->text(),
                m_ui->txtGidenKlasoru->text(),
                message,
                m_ui->optSekme->isChecked(),
                m_ui->txtAyrac->text(),
                m_ui->cmbBaslik->currentText() == QLatin1String("Var")};
    d.commercial = m_ui->chkTicari->isChecked();
    d.oneMessagePerNumber = m_ui->chkTekNumara->isChecked();
    return d;
}

bool frmOtoAyar::draftPasses() {
    const std::optional<RuleProblem> problem = CheckRule(draft());
    if (!problem)
        return true;
    if (problem->error)
        UserInterface().error(Title, problem->text);
    else
        UserInterface().information(Title, problem->text);
    if (problem->clearFolders) {
        m_ui->txtGelenKlasoru->clear();
        m_ui->txtGidenKlasoru->clear();
    }
    if (auto* target = findChild<QWidget*>(problem->focus))
        target->setFocus();
    return false;
}

void frmOtoAyar::saveNewRule() {
    if (!draftPasses())
        return;
    const Rule rule =
        RuleFromDraft(draft(), m_ui->cmbGonderen_1->currentText(), m_ui->cmbFGSMNo->currentText());
    if (auto failure = TryStatement([&] { InsertRule(rule); }))
        return failed(QStringLiteral("Kural kaydedilemedi."), *failure);
    UserInterface().information(
        Title, QStringLiteral("İşlem başarıyla kaydedildi.Kural tanımlandı ve çalıştırıldı."));
    warnWithoutRefusalLine(rule);
    finishEdit();
}

void frmOtoAyar::saveChange() {
    if (!draftPasses())
        return;
    Rule rule =
        RuleFromDraft(draft(), m_ui->cmbGonderen_1->currentText(), m_ui->cmbFGSMNo->currentText());
    rule.id = m_shown->id;
    bool inHand = false;
    if (auto failure = TryStatement([&] { inHand = RuleHasFilesInHand(rule.id); }))
        return failed(QStringLiteral("Kural değiştirilemedi."), *failure);
    if (inHand && !SameFolder(rule.gelen_klasor, m_shown->gelen_klasor)) {
        UserInterface().information(Title, QStringLiteral("Bu kuralın gönderilmiş ama henüz giden "
                                                          "klasörüne taşınmamış dosyaları var. "
                                                          "Gelen klasörü, dosyalar taşınınca "
                                                          "değiştirilebilir."));
        return;
    }
    if (auto failure = TryStatement([&] { UpdateRule(rule); }))
        return failed(QStringLiteral("Kural değiştirilemedi."), *failure);
    UserInterface().information(Title, QStringLiteral("İşlem başarıyla kaydedildi."));
    warnWithoutRefusalLine(rule);
    finishEdit();
}

void frmOtoAyar::showPolicy(const PackagePolicy& policy) {
    m_ui->chkTicari->setChecked(policy.commercial);
    m_ui->chkTekNumara->setChecked(policy.oneMessagePerNumber);
}

void frmOtoAyar::warnWithoutRefusalLine(const Rule& rule) {
    if (LacksRefusalLine(rule.policy(), ReadRefusalText()))
        UserInterface().information(Title, NoRefusalLineWarning);
}

void frmOtoAyar::finishEdit() {
    // A data file's description was written for the editor only; none was
    // written for a workbook.
    const QString folder = m_sample && !m_sample->workbook ? m_sample->folder : QString();
    viewingMode();
    if (!folder.isEmpty())
        QFile::remove(QDir(folder).filePath(QStringLiteral("Schema.ini")));
    App().gConnection.close();
    loadList();
    showCurrentRule();
}

void frmOtoAyar::cmdSil_Click() {
    if (!m_shown)
        return;
    bool inHand = false;
    if (auto failure = TryStatement([&] { inHand = RuleHasFilesInHand(m_shown->id); }))
        return failed(QStringLiteral("Kural silinemedi."), *failure);
    if (inHand) {
        UserInterface().information(
            Title, QStringLiteral("Bu kuralın gönderilmiş ama henüz giden klasörüne taşınmamış "
                                  "dosyaları var. Kural, dosyalar taşınınca silinebilir."));
        return;
    }
    if (!UserInterface().askQuestion(
            Title, QLatin1Char('"') + m_shown->kural_adi +
                       QStringLiteral("\" kuralını silmek istediğinizden emin misiniz?")))
        return;
    if (auto failure = TryStatement([&] { DeleteRule(m_shown->id); }))
        return failed(QStringLiteral("Kural silinemedi."), *failure);
    UserInterface().information(Title, QStringLiteral("Kayıt silme işlemi başarıyla tamamlandı."));
    finishEdit();
}

void frmOtoAyar::cmdDurum_Click() {
    if (!m_shown)
        return;
    const qint32 id = m_shown->id;
    // The stored state is what is toggled: the list may be older.
    if (auto failure = TryStatement([&] {
            const QString state = StoredRuleState(id);
            SetRuleState(id, state == RuleState::Running ? RuleState::Stopped : RuleState::Running);
        }))
        return failed(QStringLiteral("Kural durumu değiştirilemedi."), *failure);
    App().gConnection.close();
    loadList(id);
    showCurrentRule();
}

void frmOtoAyar::cmdVazgec_Click() {
    if (m_ui->cmdVazgec->text() == Cancel) {
        App().gConnection.close();
        viewingMode();
        loadList();
        showCurrentRule();
        return;
    }
    closeWindow();
}

void frmOtoAyar::cmdMesajBelirle_Click() {
    SampleControls controls;
    controls.optSekme = m_ui->optSekme;
    controls.optOzel = m_ui->optOzel;
    controls.txtAyrac = m_ui->txtAyrac;
    controls.cmbBaslik = m_ui->cmbBaslik;
    controls.pressed = m_ui->cmdMesajBelirle;
    controls.grid = m_ui->DataGrid2;
    controls.gridCaption = m_ui->lblOrnekDosya;
    controls.cmbFGSMNo = m_ui->cmbFGSMNo;
    controls.model = m_rsKural;
    std::optional<SampleFile> sample =
        LoadSampleFile(controls, EditorSampleTexts, EditorSampleFailure);
    if (!sample)
        return;
    m_sample = std::move(sample);
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->txtMesaj, m_ui->cmdAlanEkle,
                                                      m_ui->cmbFGSMNo, m_ui->cmbGonderen_1})
        w->setEnabled(true);
}

void frmOtoAyar::chooseFolder(bool incoming) {
    auto* window = new frmKlasorSec(this);
    window->setTarget(incoming ? m_ui->txtGelenKlasoru : m_ui->txtGidenKlasoru);
    window->show();
}

void frmOtoAyar::failed(const QString& what, const QString& reason) {
    UserInterface().error(Title, reasonText(what, reason));
}

void frmOtoAyar::closeWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void frmOtoAyar::closeEvent(QCloseEvent* event) {
    frmPop::unload();
    // As with the send wizard, the advertisement comes back however the
    // window goes: closed by its frame it would otherwise stay away.
    m_host.loadAdvertisement();
    event->accept();
    emit finished();
}
