#include "frmDosyaSMS.h"

#include <QCloseEvent>
#include <QCursor>
#include <QHeaderView>
#include <QMdiSubWindow>

#include "ui_frmDosyaSMS.h"

#include "FileSubmission.h"
#include "PackageBuilder.h"
#include "PackageListModel.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/RegionalFormat.h"
#include "core/Routines.h"
#include "gateway/Gateway.h"
#include "textsource/MessageTemplate.h"
#include "widgets/MessageCostLine.h"
#include "widgets/SampleLoader.h"
#include "widgets/WorkingWindowHost.h"
#include "widgets/frmPop.h"

namespace {

const QString Title = QStringLiteral("Parlex");
const QString Close = QStringLiteral("Kapat");
const QString Crlf = QStringLiteral("\r\n");

bool isBlank(const QString& text) {
    return text.isEmpty() || text == QLatin1String(" ");
}

} // namespace

frmDosyaSMS::frmDosyaSMS(WorkingWindowHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_ui(std::make_unique<Ui_frmDosyaSMS>())
    , m_rsPaket(new PackageListModel(this))
    , m_rsDosya(new SampleFileModel(this)) {
    m_ui->setupUi(this);
    setFixedSize(DesignWidth, DesignHeight);
    m_ui->cmbBaslik->addItems({QStringLiteral(" "), QStringLiteral("Var"), QStringLiteral("Yok")});
    m_ui->DataGrid2->setModel(m_rsPaket);
    m_ui->DataGrid2->setWordWrap(false);
    m_ui->DataGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ui->DataGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    // Rows of one line each: the grid need not measure a million of them.
    m_ui->DataGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The message takes what the number and the SMS count leave; a reset
    // of the list lays the columns out afresh.
    const auto sizeColumns = [grid = m_ui->DataGrid2] {
        grid->horizontalHeader()->setStretchLastSection(false);
        grid->horizontalHeader()->setSectionResizeMode(PackageListModel::MessageColumn,
                                                       QHeaderView::Stretch);
        grid->setColumnWidth(PackageListModel::GsmColumn, 90);
        grid->setColumnWidth(PackageListModel::SmsColumn, 40);
    };
    sizeColumns();
    connect(m_rsPaket, &QAbstractItemModel::modelReset, this, sizeColumns);
    PrepareSampleGrid(m_ui->DataGrid1);

    connect(m_ui->cmdGozat, &QPushButton::clicked, this, &frmDosyaSMS::cmdGozat_Click);
    connect(m_ui->cmbSayfa, &QComboBox::currentIndexChanged, this, &frmDosyaSMS::cmbSayfa_Click);
    connect(m_ui->cmbBaslik, &QComboBox::currentIndexChanged, this, &frmDosyaSMS::cmbBaslik_Click);
    connect(m_ui->cmdAlanEkle, &QPushButton::clicked, this, &frmDosyaSMS::cmdAlanEkle_Click);
    connect(m_ui->cmdIleri_1, &QPushButton::clicked, this, &frmDosyaSMS::cmdIleri_1_Click);
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmDosyaSMS::Command1_Click);
    connect(m_ui->cmdVazgec_1, &QPushButton::clicked, this, &frmDosyaSMS::cmdVazgec_1_Click);
    connect(m_ui->cmdVazgec_2, &QPushButton::clicked, this, &frmDosyaSMS::cmdVazgec_2_Click);
    connect(m_ui->cmdGonder, &QPushButton::clicked, this, &frmDosyaSMS::cmdGonder_Click);
    connect(m_ui->txtMesaj, &QPlainTextEdit::textChanged, this,
            [this] { m_ui->Label11->setText(WizardCounterText(m_ui->txtMesaj->toPlainText())); });
    m_ui->ctlMaliyet->follow(m_ui->txtMesaj);
    connect(m_ui->chkIleriTarih, &QCheckBox::toggled, this, [this](bool on) {
        m_ui->DTPicker1->setEnabled(on);
        m_ui->DTPicker2->setEnabled(on);
    });
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &frmDosyaSMS::Timer1_Timer);
}

frmDosyaSMS::~frmDosyaSMS() = default;

void frmDosyaSMS::Form_Load() {
    m_host.unloadAdvertisement();
    Timer1_Timer();
    m_timer.start();
    m_ui->txtDosyaAdi->clear();
    m_ui->txtAyrac->clear();
    m_ui->txtMesaj->clear();
    m_ui->Label11->setText(WizardCounterText(QString()));
    const QDateTime now = Clock::now();
    m_ui->DTPicker1->setDate(now.date());
    m_ui->DTPicker2->setTime(now.time());
    m_ui->DTPicker1->setEnabled(false);
    m_ui->DTPicker2->setEnabled(false);
    m_ui->SSTab1->setTabEnabled(1, false);
}

void frmDosyaSMS::Timer1_Timer() {
    m_ui->lblSimdi->setText(RegionalDateTimeText(Clock::now()));
}

SampleControls frmDosyaSMS::sampleControls() const {
    return WizardLayoutControls(*m_ui, m_rsDosya);
}

void frmDosyaSMS::cmdGozat_Click() {
    std::optional<SampleFile> sample =
        LoadSampleFile(sampleControls(), WizardSampleTexts, WizardSampleFailure);
    if (!sample)
        return;
    m_sample = std::move(sample);
    // The caption leaves room for the sheet choice.
    m_ui->lblOrnekDosya->resize(m_sample->workbook ? m_ui->lblSayfa->x() - 8
                                                   : m_ui->DataGrid1->width(),
                                m_ui->lblOrnekDosya->height());
    sampleChanged();
    m_ui->txtMesaj->setEnabled(true);
    m_ui->txtMesaj->clear();
    m_ui->cmdAlanEkle->setEnabled(true);
    m_ui->cmbFGSMNo->setEnabled(true);
    m_ui->cmdIleri_1->setEnabled(true);
}

void frmDosyaSMS::sampleChanged() {
    // A list built from the file before is not this file's: it must not be
    // sent, nor recorded, under the new file's name.
    m_rsPaket->clear();
    m_credit.reset();
    updateSendButton();
    m_ui->lblToplam->clear();
    m_ui->lblToplamSMS->clear();
    m_ui->SSTab1->setTabEnabled(1, false);
}

bool frmDosyaSMS::rereadWorkbook(const SampleFile& next) {
    if (!ReloadSampleFile(sampleControls(), next, WizardSampleFailure))
        return false;
    m_sample = next;
    sampleChanged();
    return true;
}

void frmDosyaSMS::cmbSayfa_Click() {
    const int sheet = m_ui->cmbSayfa->currentIndex();
    if (!m_sample || !m_sample->workbook || sheet < 0 || sheet == m_sample->sheet)
        return;
    SampleFile next = *m_sample;
    next.sheet = sheet;
    if (!rereadWorkbook(next)) {
        const QSignalBlocker quiet(m_ui->cmbSayfa);
        m_ui->cmbSayfa->setCurrentIndex(m_sample->sheet);
    }
}

void frmDosyaSMS::cmbBaslik_Click() {
    // A data file's header choice is taken at "Gözat", as its separator is.
    if (!m_sample || !m_sample->workbook)
        return;
    const SampleChoice choice{false, QString(), m_ui->cmbBaslik->currentText()};
    const bool header = SampleHeaderFlag(choice) == QLatin1String("E");
    const auto putBack = [this] {
        const QSignalBlocker quiet(m_ui->cmbBaslik);
        m_ui->cmbBaslik->setCurrentText(m_sample->format.header ? QStringLiteral("Var")
                                                                : QStringLiteral("Yok"));
    };
    if (CheckSampleChoice(choice, false) == SampleProblem::NoHeader) {
        UserInterface().information(Title, WizardSampleTexts.noHeader);
        return putBack();
    }
    if (header == m_sample->format.header)
        return;
    SampleFile next = *m_sample;
    next.format.header = header;
    if (!rereadWorkbook(next))
        putBack();
}

void frmDosyaSMS::cmdAlanEkle_Click() {
    frmPop::instance().popup(this, m_ui->txtMesaj, QCursor::pos());
}

void frmDosyaSMS::cmdIleri_1_Click() {
    if (isBuilding() || m_submitted || !m_sample)
        return;
    m_ui->Command1->setEnabled(false);
    if (isBlank(m_ui->txtMesaj->toPlainText())) {
        UserInterface().information(
            Title, QStringLiteral("Lütfen göndermek istediğiniz mesajı belirtiniz."));
        m_ui->txtMesaj->setFocus();
        return;
    }
    m_ui->SSTab1->setTabEnabled(1, true);
    m_ui->SSTab1->setCurrentIndex(1);
    if (!buildList() || m_closeAfterBuild)
        return;
    if (!askAccount())
        return;
    if (m_credit && *m_credit < m_rsPaket->list().size())
        UserInterface().information(Title, NotEnoughCreditText);
    m_ui->Command1->setEnabled(true);
}

bool frmDosyaSMS::buildList() {
    m_credit.reset();
    updateSendButton();
    m_rsPaket->clear();
    m_ui->lblToplam->clear();
    m_ui->lblToplamSMS->clear();
    m_ui->lblKontor->clear();
    m_ui->cmdVazgec_2->setText(QStringLiteral("Vazgeç"));
    // Nothing on tab 1 may start another build or change the file meanwhile.
    m_ui->Tab1->setEnabled(false);
    m_ui->Frame5->show();
    UserInterface().yield();

    PackageBuilder::Source source;
    source.folder = m_sample->folder;
    source.fileName = m_sample->file;
    source.format = m_sample->format;
    source.sheet = m_sample->sheet;
    source.rejectSeparator =
        m_sample->separator == QLatin1String("T") ? QStringLiteral("\t") : m_sample->separator;
    PackageBuilder builder(std::move(source));
    builder.policy.commercial = m_ui->chkTicari->isChecked();
    builder.policy.oneMessagePerNumber = m_ui->chkTekNumara->isChecked();
    builder.onProgress = [this](const PackageList& list) {
        m_ui->lblToplam->setText(QStringLiteral(" ") + QString::number(list.added()));
        m_ui->lblToplamSMS->setText(QStringLiteral(" ") + QString::number(list.sms()));
    };
    m_builder = &builder;
    PackageList list;
    const PackageBuilder::Result result =
        builder.build(m_ui->txtMesaj->toPlainText(), m_ui->cmbFGSMNo->currentText(), list);
    m_builder = nullptr;
    m_optedOut = builder.optedOut();
    m_repeated = builder.repeated();
    m_lacksRefusalLine = builder.lacksRefusalLine();

    m_rsPaket->reset(std::move(list));
    showTotal();
    m_ui->Frame5->hide();
    m_ui->Tab1->setEnabled(true);
    UserInterface().yield();
    if (m_closeAfterBuild) {
        closeWindow();
        return false;
    }
    // The box of a sample that cannot be read: the file is the same one.
    if (result == PackageBuilder::Result::Unreadable)
        UserInterface().error(WizardSampleFailure.title,
                              WizardSampleFailure.text + Crlf +
                                  QStringLiteral("Sistemin ürettiği hata mesajı : ") +
                                  builder.errorString());
    if (result == PackageBuilder::Result::RejectsNotWritten ||
        result == PackageBuilder::Result::OptOutUnreadable)
        UserInterface().error(Title, builder.errorString());
    return result == PackageBuilder::Result::Built || result == PackageBuilder::Result::Empty;
}

bool frmDosyaSMS::askAccount() {
    // Any error reply: a refusal code must never be read as a credit.
    const std::optional<AccountInfo> account = AskAccountInfo();
    if (!account) {
        UserInterface().error(
            Title, QStringLiteral("Mesaj merkeziyle bağlantı kurulamıyor. ") + Crlf +
                       QStringLiteral("Bilgisayarınız, güvenlik duvarı denetiminde olabilir.") +
                       Crlf +
                       QStringLiteral("SMS göndermek için internete bağlı olmanız gerekmektedir!") +
                       Crlf + QStringLiteral("Lütfen güvenlik ayarlarınızı kontrol ediniz."));
        return false;
    }
    m_credit = account->credit;
    m_ui->lblKontor->setText(QStringLiteral(" ") + account->creditText);
    if (m_ui->cmbGonderen->count() == 0) {
        m_ui->cmbGonderen->addItems(account->originators);
        m_ui->cmbGonderen->setCurrentIndex(0);
    }
    updateSendButton();
    return true;
}

void frmDosyaSMS::showTotal() {
    m_ui->lblToplam->setText(QStringLiteral(" ") + QString::number(m_rsPaket->list().size()));
    m_ui->lblToplamSMS->setText(QStringLiteral(" ") + QString::number(m_rsPaket->list().sms()));
}

void frmDosyaSMS::updateSendButton() {
    m_ui->cmdGonder->setEnabled(!m_submitted && !isBuilding() && m_credit &&
                                *m_credit >= m_rsPaket->list().size());
}

void frmDosyaSMS::Command1_Click() {
    if (m_rsPaket->list().isEmpty())
        return;
    const int row =
        m_ui->DataGrid2->currentIndex().isValid() ? m_ui->DataGrid2->currentIndex().row() : 0;
    m_rsPaket->removeEntry(row);
    showTotal();
    updateSendButton();
}

void frmDosyaSMS::cmdVazgec_1_Click() {
    FileSendLog(CancelledText);
    closeWindow();
}

void frmDosyaSMS::cmdVazgec_2_Click() {
    if (m_ui->cmdVazgec_2->text() != Close) {
        if (m_builder)
            m_builder->cancel();
        FileSendLog(CancelledText);
        m_ui->cmdVazgec_2->setText(Close);
        return;
    }
    closeWindow();
}

void frmDosyaSMS::cmdGonder_Click() {
    if (m_submitted || isBuilding())
        return;
    // Disabled from the question on: a second click cannot send twice.
    m_ui->cmdGonder->setEnabled(false);
    const qint64 count = m_rsPaket->list().size();
    // Nothing to send is said at once: asking to send to 0 people would
    // only confuse.
    if (count == 0) {
        UserInterface().information(Title, EmptyListText);
        updateSendButton();
        return;
    }
    std::optional<QDateTime> scheduled;
    if (m_ui->chkIleriTarih->isChecked())
        scheduled = QDateTime(m_ui->DTPicker1->date(), m_ui->DTPicker2->time());
    if (!UserInterface().askQuestion(
            SendConfirmationTitle,
            SendConfirmationText(count, scheduled, m_rsPaket->list().sms(), m_credit) +
                ScreenedQuestionText(m_optedOut, m_repeated, m_lacksRefusalLine))) {
        updateSendButton();
        return;
    }
    m_submitted = true;
    const FileSendResult result = SendPackageList(
        m_rsPaket->list(), {m_sample->file, m_ui->cmbGonderen->currentText(), scheduled});
    if (result.accepted) {
        m_ui->SSTab1->setTabEnabled(0, false);
        m_ui->cmdVazgec_2->setText(Close);
    }
    UserInterface().yield();
    closeWindow();
}

void frmDosyaSMS::closeWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void frmDosyaSMS::closeEvent(QCloseEvent* event) {
    // The build runs in a handler further down the stack: the window goes
    // once it has stopped.
    if (isBuilding()) {
        m_builder->cancel();
        m_closeAfterBuild = true;
        event->ignore();
        return;
    }
    m_timer.stop();
    // However the window goes (Vazgeç, its frame, the main window closing).
    frmPop::unload();
    m_host.loadAdvertisement();
    event->accept();
    emit finished();
}
