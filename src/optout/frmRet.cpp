#include "frmRet.h"

#include <exception>

#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMdiSubWindow>

#include "ui_frmRet.h"

#include "OptOutModel.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Database.h"
#include "core/DbRoutines.h"
#include "core/Routines.h"
#include "core/SystemError.h"
#include "frmRetAktar.h"
#include "spreadsheet/ExcelExport.h"
#include "widgets/GuardedStep.h"
#include "widgets/WorkingWindowHost.h"

namespace {

const QString Title = QStringLiteral("Parlex Ret listesi");

bool guarded(const char* what, const std::function<void()>& step) {
    return RunGuarded(what, Title, QString(), step);
}

QString countText(qint64 n) {
    return QLocale(QLocale::Turkish).toString(n);
}

// The import on its own connection: the shared one belongs to the
// interface thread (and to the passes its timer runs).
OptOutImportResult importOnOwnConnection(const QString& databasePath, const OptOutImport& import,
                                         const std::function<bool(qint64)>& keepGoing) {
    try {
        Database db;
        db.open(databasePath);
        return ImportOptOutFile(db, import, keepGoing);
    } catch (const std::exception& e) {
        OptOutImportResult failed;
        failed.error = ErrorText(e);
        return failed;
    }
}

} // namespace

frmRet::frmRet(WorkingWindowHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_ui(std::make_unique<Ui_frmRet>())
    , m_model(new OptOutModel(this)) {
    m_ui->setupUi(this);
    setMinimumSize(DesignWidth, DesignHeight);
    m_ui->DataGrid1->setModel(m_model);
    m_ui->DataGrid1->setWordWrap(false);
    m_ui->DataGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ui->DataGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Rows of one line each: the grid need not measure a million of them.
    m_ui->DataGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_ui->DataGrid1->verticalHeader()->setDefaultSectionSize(
        m_ui->DataGrid1->fontMetrics().height() + 4);
    m_ui->DataGrid1->setColumnWidth(0, 110);
    m_ui->DataGrid1->setColumnWidth(1, 140);
    m_ui->DataGrid1->horizontalHeader()->setStretchLastSection(true);

    connect(m_ui->txtAra, &QLineEdit::textChanged, this, [this](const QString& typed) {
        // The number the user was on is selected again whenever it shows,
        // also after a keystroke that hid it.
        if (const QString current = m_model->numberAt(m_ui->DataGrid1->currentIndex().row());
            !current.isEmpty())
            m_chosen = current;
        m_model->setSearch(typed);
        showCounts();
        selectNumber(m_chosen);
    });
    connect(m_ui->txtNumara, &QLineEdit::returnPressed, this, &frmRet::cmdEkle_Click);
    connect(m_ui->cmdEkle, &QPushButton::clicked, this, &frmRet::cmdEkle_Click);
    connect(m_ui->cmdSil, &QPushButton::clicked, this, &frmRet::cmdSil_Click);
    connect(m_ui->cmdIceAktar, &QPushButton::clicked, this, &frmRet::cmdIceAktar_Click);
    connect(m_ui->cmdDisaAktar, &QPushButton::clicked, this, &frmRet::cmdDisaAktar_Click);
    connect(m_ui->cmdVazgec, &QPushButton::clicked, this, &frmRet::cmdVazgec_Click);
    connect(m_ui->cmdKapat, &QPushButton::clicked, this, [this] {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
            frame->close();
        else
            close();
    });
    m_progress.setInterval(200);
    connect(&m_progress, &QTimer::timeout, this, &frmRet::showProgress);
}

frmRet::~frmRet() {
    stopImport();
}

frmRetAktar* frmRet::importDialog() const {
    return m_dialog;
}

void frmRet::Form_Load() {
    m_host.unloadAdvertisement();
    reload();
}

void frmRet::reload() {
    guarded("reading the opt-out list", [this] { m_model->reload(); });
    showCounts();
}

void frmRet::showCounts() {
    m_ui->lblToplam->setText(countText(m_model->totalCount()));
    m_ui->lblBulunan->setText(
        m_ui->txtAra->text().trimmed().isEmpty() ? QString() : countText(m_model->rowCount()));
}

void frmRet::selectNumber(const QString& number) {
    if (const int row = m_model->rowOf(number); row >= 0) {
        m_ui->DataGrid1->selectRow(row);
        m_ui->DataGrid1->scrollTo(m_model->index(row, 0));
    }
}

void frmRet::cmdEkle_Click() {
    const QString typed = m_ui->txtNumara->text().trimmed();
    if (typed.isEmpty()) {
        UserInterface().information(Title, QStringLiteral("Eklenecek numarayı yazınız."));
        m_ui->txtNumara->setFocus();
        return;
    }
    OptOutChange change;
    if (!guarded("adding to the opt-out list", [&] {
            change =
                AddOptOutNumbers({typed}, OptOutSource::Typed, m_ui->txtAciklama->text().trimmed());
        }))
        return;
    if (!change.invalid.isEmpty()) {
        UserInterface().error(Title, change.message(true));
        m_ui->txtNumara->setFocus();
        m_ui->txtNumara->selectAll();
        return;
    }
    if (!change.already.isEmpty()) {
        UserInterface().information(Title, change.message(true));
    } else {
        SetStatusText(change.message(true));
        m_ui->txtNumara->clear();
        m_ui->txtAciklama->clear();
        reload();
    }
    selectNumber(NormalizeGsm(typed));
}

void frmRet::cmdSil_Click() {
    QStringList numbers;
    for (const QModelIndex& row : m_ui->DataGrid1->selectionModel()->selectedRows())
        numbers << m_model->numberAt(row.row());
    if (numbers.isEmpty()) {
        UserInterface().information(Title, QStringLiteral("Silinecek numarayı listeden seçiniz."));
        return;
    }
    const QString question =
        numbers.size() == 1
            ? QStringLiteral("%1 numarası ret listesinden silinsin mi?").arg(numbers.first())
            : QStringLiteral("Seçili %1 numara ret listesinden silinsin mi?").arg(numbers.size());
    if (!UserInterface().askQuestion(Title, question))
        return;
    OptOutChange change;
    if (!guarded("removing from the opt-out list", [&] { change = RemoveOptOutNumbers(numbers); }))
        return;
    SetStatusText(change.message(false));
    reload();
}

void frmRet::cmdIceAktar_Click() {
    auto* dialog = new frmRetAktar(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog = dialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog] { startImport(dialog->request()); });
    dialog->open();
}

void frmRet::startImport(const OptOutImport& request) {
    if (importing())
        return;
    OptOutImport import = request;
    import.when = Clock::now();
    const QString databasePath = DatabasePath();
    m_rowsRead = 0;
    m_cancel = false;
    setBusy(true);
    guarded("logging the import", [&] {
        WriteLog(QStringLiteral("[Ret listesi] %1 içe aktarılıyor.").arg(import.path));
    });
    m_worker = std::thread([this, import, databasePath] {
        const OptOutImportResult result =
            importOnOwnConnection(databasePath, import, [this](qint64 rows) {
                m_rowsRead = rows;
                return !m_cancel.load();
            });
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                // Stopped by closing the window, which has waited for it.
                if (!m_worker.joinable())
                    return;
                m_worker.join();
                importDone(result);
            },
            Qt::QueuedConnection);
    });
}

void frmRet::showProgress() {
    m_ui->lblDurum->setText(
        QStringLiteral("İçe aktarılıyor : %1 satır okundu").arg(countText(m_rowsRead.load())));
}

void frmRet::setBusy(bool busy) {
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->cmdEkle), static_cast<QWidget*>(m_ui->cmdSil),
          static_cast<QWidget*>(m_ui->cmdIceAktar), static_cast<QWidget*>(m_ui->cmdDisaAktar),
          static_cast<QWidget*>(m_ui->txtNumara)})
        control->setEnabled(!busy);
    m_ui->lblDurum->setVisible(busy);
    m_ui->prgAktar->setVisible(busy);
    m_ui->cmdVazgec->setVisible(busy);
    m_ui->prgAktar->setRange(0, 0); // a file's rows are not known before its end
    if (busy) {
        showProgress();
        m_progress.start();
    } else {
        m_progress.stop();
    }
}

void frmRet::cmdVazgec_Click() {
    m_cancel = true;
}

void frmRet::importDone(const OptOutImportResult& result) {
    setBusy(false);
    const QString text = result.message();
    guarded("logging the import", [&] {
        WriteLog(QStringLiteral("[Ret listesi] ") +
                 QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    });
    reload();
    emit importFinished();
    if (result.outcome == OptOutImportResult::Outcome::Failed)
        UserInterface().error(Title, text);
    else
        UserInterface().information(Title, text);
}

void frmRet::stopImport() {
    if (!m_worker.joinable())
        return;
    m_cancel = true;
    m_worker.join();
}

void frmRet::cmdDisaAktar_Click() {
    guarded("exporting the opt-out list", [this] {
        OptOutExportSource source;
        if (source.rowCount() == 0) {
            UserInterface().information(QStringLiteral("Uyarı"),
                                        QStringLiteral("Aktarılacak Hiç Kayıt Yok"));
            return;
        }
        const QString fileName = GetExcelFileToSave();
        if (fileName.isEmpty())
            return;
        // The export yields to the window: no second one meanwhile.
        QPointer<frmRet> self(this);
        m_ui->cmdDisaAktar->setEnabled(false);
        ExportToExcel(source, fileName, OptOutExportSource::columnNames());
        if (self)
            m_ui->cmdDisaAktar->setEnabled(true);
    });
}

void frmRet::closeEvent(QCloseEvent* event) {
    // An import under way stops; the list stays as it was.
    stopImport();
    m_host.loadAdvertisement();
    event->accept();
    emit finished();
}
