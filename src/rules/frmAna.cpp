#include "frmAna.h"

#include <exception>
#include <memory>

#include <QHeaderView>
#include <QLoggingCategory>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTableView>

#include "ui_frmAna.h"

#include "ActivityLogExport.h"
#include "DailySendsChart.h"
#include "ServiceSummary.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/DbRoutines.h"
#include "core/Routines.h"
#include "core/SystemError.h"
#include "reports/PackageHistory.h"
#include "rules/PollingTimer.h"
#include "rules/RuleStore.h"
#include "spreadsheet/ExcelExport.h"
#include "widgets/Artwork.h"
#include "widgets/GridModels.h"
#include "widgets/WorkingWindowHost.h"

Q_LOGGING_CATEGORY(lcAna, "parlex.status")

namespace {

const QString Running = QStringLiteral("Kuralları durdur");
const QString Stopped = QStringLiteral("Kuralları başlat");
const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);
const QString CRLF = QStringLiteral("\r\n");

// 180 twips of the grid's own margins, in pixels.
constexpr int ColumnMargin = 12;

void paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(role, colour);
    widget->setPalette(pal);
}

} // namespace

frmAna::frmAna(WorkingWindowHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_ui(std::make_unique<Ui_frmAna>())
    , m_rsLog(new NewestFirstModel(QStringLiteral("tbl_log_txt"), QStringLiteral("id"), this)) {
    m_ui->setupUi(this);
    m_rsLog->setObjectName(QStringLiteral("rsLog"));
    m_rsLog->setColumnTitle(QStringLiteral("tarih"), QStringLiteral("Tarih"));
    m_rsLog->setColumnTitle(QStringLiteral("aciklama"), QStringLiteral("Açıklama"));
    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(RefreshIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &frmAna::Timer1_Timer);

    QFont bold = m_ui->lblDurum->font();
    bold.setBold(true);
    m_ui->lblDurum->setFont(bold);
    QFont banner = m_ui->Label9->font();
    banner.setBold(true);
    banner.setPointSizeF(banner.pointSizeF() * 1.4);
    m_ui->Label9->setFont(banner);
    m_ui->Image1->setPixmap(Artwork::bannerPicture(48));
    m_ui->DataGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_ui->DataGrid1->horizontalHeader()->setStretchLastSection(false);
    // One line of text per log line.
    m_ui->DataGrid1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    const QString billed = QStringLiteral(
        "Şebekenin faturaladığı SMS sayısı; SMS sayısı tutulmadan önce gönderilen paketler "
        "mesaj sayısıyla sayılır.");
    for (QWidget* sms :
         {static_cast<QWidget*>(m_ui->lblToplamSMS), static_cast<QWidget*>(m_ui->lblBugunSMS),
          static_cast<QWidget*>(m_ui->chtGunluk)})
        sms->setToolTip(billed);

    connect(m_ui->cmdBaslat, &QPushButton::clicked, this, &frmAna::cmdBaslat_Click);
    connect(m_ui->cmdEkranKapat, &QPushButton::clicked, this, &frmAna::cmdEkranKapat_Click);
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmAna::Command1_Click);
}

frmAna::~frmAna() = default;

template <typename Step> void frmAna::guarded(const char* what, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        // Refreshed every second: the status bar, not a box a second.
        qCWarning(lcAna).noquote() << what << "failed:" << QString::fromUtf8(e.what());
        SetStatusText(ErrorText(e));
    }
}

void frmAna::Form_Load() {
    paint(m_ui->Frame1, QPalette::Window, Artwork::BannerBlue);
    paint(m_ui->Label9, QPalette::Window, Artwork::BannerBlue);
    paint(m_ui->Label9, QPalette::WindowText, Qt::white);

    m_ui->WebBrowser1->Navigate(App().gAdPageUrl);
    m_host.showAccount();

    m_timer.start();
    UserInterface().yield();

    guarded("reading the global switch", [this] {
        const QString state = AutoSendSwitch();
        if (state == QLatin1String("0")) {
            showStopped();
            m_host.pollingTimer().setEnabled(false);
        } else if (state == QLatin1String("1")) {
            showRunning();
            m_host.pollingTimer().setEnabled(true);
        }
    });

    guarded("counting the sent packages", [this] { refreshCounters(); });
    guarded("counting the last days", [this] { refreshChart(); });
    guarded("reading the activity log", [this] { setUpLogGrid(); });
    sizeColumns();
}

void frmAna::Form_Activate() {
    m_host.unloadAdvertisement();
    // The polling timer, not the last click, tells whether the rules run.
    if (m_host.pollingTimer().isEnabled()) {
        showRunning();
        m_host.pollingTimer().setEnabled(true);
    } else {
        showStopped();
        m_host.pollingTimer().setEnabled(false);
    }
}

void frmAna::showRunning() {
    m_ui->lblDurum->setText(QStringLiteral("Tüm kurallar başlatıldı"));
    paint(m_ui->lblDurum, QPalette::WindowText, Blue);
    m_ui->cmdBaslat->setText(Running);
}

void frmAna::showStopped() {
    m_ui->lblDurum->setText(QStringLiteral("Tüm kurallar durduruldu"));
    paint(m_ui->lblDurum, QPalette::WindowText, Red);
    m_ui->cmdBaslat->setText(Stopped);
}

void frmAna::cmdBaslat_Click() {
    UserInterface().yield();
    const QString caption = m_ui->cmdBaslat->text();
    const bool stop = caption == Running;
    if (!stop && caption != Stopped)
        return;
    try {
        if (stop) {
            showStopped();
            SetAutoSendSwitch(false);
            m_host.pollingTimer().setEnabled(false);
            WriteLog(QStringLiteral("Tüm otomatik gönderim kuralları durduruldu."));
        } else {
            showRunning();
            SetAutoSendSwitch(true);
            m_host.pollingTimer().setEnabled(true);
            WriteLog(QStringLiteral("Tüm otomatik gönderim kuralları başlatıldı."));
        }
    } catch (const std::exception& e) {
        // The switch could not be stored: say so, and show what really holds.
        UserInterface().error(QStringLiteral("Parlex"),
                              QStringLiteral("Otomatik gönderim durumu kaydedilemedi.") + CRLF +
                                  ErrorText(e));
        Form_Activate();
        return;
    }
    guarded("reading the activity log", [this] { m_rsLog->refresh(); });
}

void frmAna::cmdEkranKapat_Click() {
    m_host.loadAdvertisement();
    if (auto* window = qobject_cast<QMdiSubWindow*>(parentWidget()))
        window->close();
    else
        close();
}

void frmAna::Command1_Click() {
    UiServices& ui = UserInterface();
    if (!ui.askQuestion(QStringLiteral("Parlex"),
                        QStringLiteral("Hizmet durum raporunu Excel'e göndermek istediğinizden "
                                       "emin misiniz?")))
        return;
    if (m_rsLog->rowCount() == 0) {
        ui.information(QStringLiteral("Parlex"),
                       QStringLiteral("Excel'e aktarılacak kayıt bulunamadı."));
        return;
    }
    const QString fileName = GetExcelFileToSave();
    if (fileName.isEmpty())
        return;
    const QString step = QStringLiteral("Veritabanı bağlantısı kurulamıyor");
    App().gStepError = step;
    std::unique_ptr<ActivityLogSource> source;
    try {
        source = std::make_unique<ActivityLogSource>();
    } catch (const std::exception& e) {
        ui.error(QStringLiteral("Uyarı"),
                 step + CRLF + QStringLiteral("Sistemin ürettiği hata mesajı : ") + ErrorText(e));
        return;
    }
    // The log may have been emptied while the dialog was open.
    if (source->rowCount() == 0) {
        ui.information(QStringLiteral("Uyarı"), QStringLiteral("Aktarılacak Hiç Kayıt Yok"));
        return;
    }
    // The export yields to the window: no second export meanwhile, and the
    // screen may be closed before it ends.
    QPointer<frmAna> self(this);
    m_ui->Command1->setEnabled(false);
    ui.yield();
    ExportToExcel(*source, fileName, ActivityLogSource::columnNames());
    ui.yield();
    if (self)
        m_ui->Command1->setEnabled(true);
}

void frmAna::Timer1_Timer() {
    guarded("counting the sent packages", [this] { refreshCounters(); });
    guarded("counting the last days", [this] { refreshChart(); });
    guarded("reading the activity log", [this] { m_rsLog->refresh(); });
    m_ui->DataGrid1->setColumnHidden(0, true);
    sizeColumns();
}

void frmAna::refreshCounters() {
    const ServiceSummary s = ReadServiceSummary(Clock::now().date());
    m_ui->lblToplamDosya->setText(s.totalFiles);
    m_ui->lblBugunSay->setText(s.todayFiles);
    m_ui->lblToplamSMSSay->setText(s.totalMessages);
    m_ui->lblBugunSMSSay->setText(s.todayMessages);
    m_ui->lblToplamSMS->setText(s.totalSms + QStringLiteral(" SMS"));
    m_ui->lblBugunSMS->setText(s.todaySms + QStringLiteral(" SMS"));
}

void frmAna::refreshChart() {
    m_ui->chtGunluk->setDays(ReadDailySends(Clock::now().date()));
}

void frmAna::setUpLogGrid() {
    OpenDatabase();
    m_rsLog->reload();
    if (m_ui->DataGrid1->model() != m_rsLog)
        m_ui->DataGrid1->setModel(m_rsLog);
    m_ui->DataGrid1->setColumnHidden(0, true);
}

void frmAna::sizeColumns() {
    QTableView* grid = m_ui->DataGrid1;
    if (!grid->model() || grid->model()->columnCount() < 3)
        return;
    const int width = grid->width();
    const int date = qRound(width * 0.2) - ColumnMargin;
    const int text = qRound(width * 0.8) - ColumnMargin;
    if (date > 0)
        grid->setColumnWidth(1, date);
    if (text > 0)
        grid->setColumnWidth(2, text);
}

void frmAna::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    sizeColumns();
}
