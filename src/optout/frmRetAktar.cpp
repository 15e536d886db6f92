#include "frmRetAktar.h"

#include <QSignalBlocker>

#include "ui_frmRetAktar.h"

#include "core/AppState.h"
#include "widgets/SampleLoader.h"

namespace {

const QString Title = QStringLiteral("Parlex Ret listesi");

} // namespace

frmRetAktar::frmRetAktar(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui_frmRetAktar>())
    , m_model(new SampleFileModel(this)) {
    m_ui->setupUi(this);
    m_ui->cmbBaslik->addItems({QStringLiteral(" "), QStringLiteral("Var"), QStringLiteral("Yok")});
    PrepareSampleGrid(m_ui->DataGrid1);
    connect(m_ui->cmdGozat, &QPushButton::clicked, this, &frmRetAktar::cmdGozat_Click);
    connect(m_ui->cmbSayfa, &QComboBox::currentIndexChanged, this, &frmRetAktar::cmbSayfa_Click);
    connect(m_ui->cmbBaslik, &QComboBox::currentIndexChanged, this, &frmRetAktar::cmbBaslik_Click);
    connect(m_ui->cmdAktar, &QPushButton::clicked, this, &frmRetAktar::cmdAktar_Click);
    connect(m_ui->cmdVazgec, &QPushButton::clicked, this, &QDialog::reject);
}

frmRetAktar::~frmRetAktar() = default;

SampleControls frmRetAktar::sampleControls() const {
    return WizardLayoutControls(*m_ui, m_model);
}

void frmRetAktar::cmdGozat_Click() {
    std::optional<SampleFile> sample =
        LoadSampleFile(sampleControls(), WizardSampleTexts, WizardSampleFailure);
    if (!sample)
        return;
    m_sample = std::move(sample);
    showColumns();
}

void frmRetAktar::showColumns() {
    // Whatever the numbers' column, the status column is a choice, and "no
    // status" the first of them.
    const QStringList columns = m_model->columnNames();
    m_ui->cmbDurum->clear();
    m_ui->cmbDurum->addItem(QStringLiteral("(yok)"));
    m_ui->cmbDurum->addItems(columns);
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->cmbFGSMNo), static_cast<QWidget*>(m_ui->cmbDurum),
          static_cast<QWidget*>(m_ui->cmdAktar)})
        control->setEnabled(!columns.isEmpty());
}

void frmRetAktar::cmbSayfa_Click() {
    const int sheet = m_ui->cmbSayfa->currentIndex();
    if (!m_sample || !m_sample->workbook || sheet < 0 || sheet == m_sample->sheet)
        return;
    SampleFile next = *m_sample;
    next.sheet = sheet;
    if (!ReloadSampleFile(sampleControls(), next, WizardSampleFailure)) {
        const QSignalBlocker quiet(m_ui->cmbSayfa);
        m_ui->cmbSayfa->setCurrentIndex(m_sample->sheet);
        return;
    }
    m_sample = next;
    showColumns();
}

void frmRetAktar::cmbBaslik_Click() {
    if (!m_sample)
        return;
    // The file is read as the header choice now says, a data file's folder
    // described again for it.
    const SampleChoice choice{m_ui->optSekme->isChecked(), m_ui->txtAyrac->text(),
                              m_ui->cmbBaslik->currentText()};
    if (CheckSampleChoice(choice, !m_sample->workbook) != SampleProblem::None)
        return;
    SampleFile next = m_sample->workbook ? *m_sample : DescribeSampleFile(m_sample->path, choice);
    next.sheet = m_sample->sheet;
    next.format.header = SampleHeaderFlag(choice) == QLatin1String("E");
    if (!ReloadSampleFile(sampleControls(), next, WizardSampleFailure))
        return;
    m_sample = next;
    showColumns();
}

void frmRetAktar::cmdAktar_Click() {
    if (!m_sample) {
        UserInterface().information(QStringLiteral("Parlex"), NoFileChosenText);
        return;
    }
    if (m_ui->cmbFGSMNo->currentText().isEmpty()) {
        UserInterface().information(Title, QStringLiteral("GSMNo alanını seçiniz."));
        return;
    }
    if (m_ui->cmbDurum->currentIndex() > 0 &&
        m_ui->cmbDurum->currentIndex() - 1 == m_ui->cmbFGSMNo->currentIndex()) {
        UserInterface().information(
            Title, QStringLiteral("Durum alanı GSMNo alanından başka bir alan olmalıdır."));
        return;
    }
    accept();
}

OptOutImport frmRetAktar::request() const {
    OptOutImport import;
    if (!m_sample)
        return import;
    import.path = m_sample->path;
    import.format = m_sample->format;
    import.sheet = m_sample->sheet;
    import.gsmColumn = m_ui->cmbFGSMNo->currentText();
    if (m_ui->cmbDurum->currentIndex() > 0)
        import.statusColumn = m_ui->cmbDurum->currentText();
    return import;
}
