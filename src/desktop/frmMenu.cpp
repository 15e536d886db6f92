#include "frmMenu.h"

#include <exception>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "ui_frmMenu.h"

#include "HelpDocument.h"
#include "TrayControl.h"
#include "account/frmAyarlar.h"
#include "auxiliary/frmDestek.h"
#include "auxiliary/frmHakkinda.h"
#include "auxiliary/frmReklam.h"
#include "core/AppState.h"
#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"
#include "core/ExitRequest.h"
#include "core/Routines.h"
#include "filesend/frmDosyaSMS.h"
#include "optout/frmRet.h"
#include "reports/frmRapor.h"
#include "rules/frmAna.h"
#include "rules/frmOtoAyar.h"
#include "widgets/Artwork.h"
#include "widgets/ElidedLabel.h"

Q_LOGGING_CATEGORY(lcMenu, "parlex.menu")

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The frame's empty client area, with the program's picture in its middle.
class MdiClient : public QMdiArea {
public:
    explicit MdiClient(QWidget* parent)
        : QMdiArea(parent)
        , m_picture(Artwork::backgroundPicture()) {
        setBackground(QColor(96, 110, 130));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QMdiArea::paintEvent(event);
        QPainter p(viewport());
        const QRect area = viewport()->rect();
        p.drawPixmap(area.center() - QPoint(m_picture.width() / 2, m_picture.height() / 2),
                     m_picture);
    }

private:
    QPixmap m_picture;
};

QString hostOf(const char* param) {
    try {
        return QUrl(GetParam(QLatin1String(param)).trimmed()).host();
    } catch (const std::exception& e) {
        qCWarning(lcMenu).noquote()
            << "web site address unreadable:" << QString::fromUtf8(e.what());
        return QString();
    }
}

} // namespace

frmMenu::frmMenu(QWidget* parent, PollingTimer::Pass pass)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui_frmMenu>())
    , m_timer(nullptr, std::move(pass)) {
    m_ui->setupUi(this);
    StatusLine::setCurrent(this);
    setWindowIcon(Artwork::applicationIcon());

    m_mdi = new MdiClient(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_ui->centralLayout->addWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &frmMenu::onSubWindowActivated);

    const QString initial[StatusPanelCount] = {
        QStringLiteral("Durum"),           QStringLiteral("Hazır"),
        QStringLiteral("Aktif kullanıcı"), QString(),
        QStringLiteral("SMS Gateway"),     QString()};
    for (int i = 0; i < StatusPanelCount; ++i) {
        // Panel 2 takes any message, however long.
        auto* panel = i == 1 ? new ElidedLabel(initial[i], m_ui->StatusBar1)
                             : new QLabel(initial[i], m_ui->StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(i == 1 ? 200 : 60);
        m_ui->StatusBar1->addWidget(panel, i == 1 ? 1 : 0);
        m_panels[i] = panel;
    }

    m_tray = new TrayControl(this);
    m_tray->setObjectName(QStringLiteral("TrayControl1"));
    m_tray->setToolTipText(QStringLiteral("Parlex 1.0"));
    connect(m_tray, &TrayControl::DblClick, this, &frmMenu::restoreFromTray);
    connect(m_tray, &TrayControl::notificationAreaGone, this, &frmMenu::restoreFromTray);
    connect(m_tray, &TrayControl::MouseDown, this,
            [this](int button, int, int, int) { onTrayMouseDown(button); });

    connect(m_ui->miGoster, &QAction::triggered, this, &frmMenu::restoreFromTray);
    connect(m_ui->miCikis, &QAction::triggered, this, &frmMenu::exitChosen);
    connect(m_ui->miHizDurumu, &QAction::triggered, this, [this] { openStatusScreen(); });
    connect(m_ui->miTxtYardim, &QAction::triggered, this, &frmMenu::openHelp);
    connect(m_ui->miDosyaSMS, &QAction::triggered, this, [this] { openFileSend(); });
    connect(m_ui->miOtoMesaj, &QAction::triggered, this, [this] { openRuleEditor(); });
    connect(m_ui->miHesapAyar, &QAction::triggered, this, [this] { openSettings(); });
    connect(m_ui->miRetListesi, &QAction::triggered, this, [this] { openOptOutList(); });
    connect(m_ui->miSMSRapor, &QAction::triggered, this, [this] { openReports(); });
    connect(m_ui->miHakkinda, &QAction::triggered, this, [this] { openAbout(); });
    connect(m_ui->miWeb, &QAction::triggered, this, &frmMenu::openSupport);
    m_mdi->viewport()->installEventFilter(this);

    Form_Load();
}

frmMenu::~frmMenu() {
    // The area announces its last activation while the base class tears the
    // children down, when this object is no longer a frmMenu.
    disconnect(m_mdi, nullptr, this, nullptr);
    if (StatusLine::current() == this)
        StatusLine::setCurrent(nullptr);
}

void frmMenu::Form_Load() {
    setWindowTitle(QStringLiteral("Parlex 1.0"));
    AppState& app = App();
    app.gFileCounter = 0;
    app.gNoMainWindow = false;
    m_tray->setEnabled(false);
    m_ui->miGoster->setVisible(false);
    const QString webHost = hostOf(ParamName::SupportHostAddress);
    if (!webHost.isEmpty())
        m_ui->miWeb->setText(webHost);
    loadAdvertisement();
    showAccount();
}

void frmMenu::Form_Activate() {
    if (App().gUserName.isEmpty())
        m_tray->setEnabled(false);
}

void frmMenu::setStatusPanel(int panel, const QString& text) {
    if (panel < 1 || panel > StatusPanelCount)
        return;
    if (auto* elided = qobject_cast<ElidedLabel*>(m_panels[panel - 1]))
        elided->setFullText(text);
    else
        m_panels[panel - 1]->setText(text);
}

QString frmMenu::statusPanel(int panel) const {
    if (panel < 1 || panel > StatusPanelCount)
        return QString();
    if (const auto* elided = qobject_cast<const ElidedLabel*>(m_panels[panel - 1]))
        return elided->fullText();
    return m_panels[panel - 1]->text();
}

void frmMenu::showAccount() {
    setStatusPanel(4, App().gUserName);
    setStatusPanel(6, App().gGatewayMode);
}

frmAna* frmMenu::statusScreen() const {
    return m_ana;
}

frmAna* frmMenu::openStatusScreen() {
    if (m_ana && m_anaWindow) {
        m_mdi->setActiveSubWindow(m_anaWindow);
        return m_ana;
    }
    auto* screen = new frmAna(*this);
    m_ana = screen;
    screen->Form_Load();
    QMdiSubWindow* window = m_mdi->addSubWindow(screen);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(windowIcon());
    m_anaWindow = window;
    window->show();
    m_mdi->setActiveSubWindow(window);
    return screen;
}

frmDosyaSMS* frmMenu::fileSend() const {
    return m_dosyaSMS;
}

frmDosyaSMS* frmMenu::openFileSend() {
    if (m_dosyaSMS && m_dosyaSMSWindow && !m_dosyaSMSWindow->isHidden()) {
        m_mdi->setActiveSubWindow(m_dosyaSMSWindow);
        return m_dosyaSMS;
    }
    auto* wizard = new frmDosyaSMS(*this);
    m_dosyaSMS = wizard;
    QMdiSubWindow* window = addWorkingWindow(wizard);
    // The wizard keeps its design size: no maximise, no resizing.
    window->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_dosyaSMSWindow = window;
    wizard->Form_Load();
    window->show();
    centre(window);
    return wizard;
}

frmAyarlar* frmMenu::settings() const {
    return m_ayarlar;
}

frmAyarlar* frmMenu::openSettings() {
    closeStatusScreen();
    // A window just closed is still on its way out: a new one is opened.
    if (m_ayarlar && m_ayarlarWindow && !m_ayarlarWindow->isHidden()) {
        m_mdi->setActiveSubWindow(m_ayarlarWindow);
        return m_ayarlar;
    }
    auto* settings = new frmAyarlar(*this);
    m_ayarlar = settings;
    QMdiSubWindow* window = addWorkingWindow(settings);
    m_ayarlarWindow = window;
    settings->Form_Load();
    window->show();
    centre(window);
    return settings;
}

frmRapor* frmMenu::reports() const {
    return m_rapor;
}

frmRapor* frmMenu::openReports() {
    // A window just closed is still on its way out: a new one is opened.
    if (m_rapor && m_raporWindow && !m_raporWindow->isHidden()) {
        m_mdi->setActiveSubWindow(m_raporWindow);
        return m_rapor;
    }
    auto* reports = new frmRapor(*this);
    m_rapor = reports;
    QMdiSubWindow* window = addWorkingWindow(reports);
    // The window keeps its design size: no maximise, no resizing.
    window->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_raporWindow = window;
    reports->Form_Load();
    window->show();
    centre(window);
    return reports;
}

frmRet* frmMenu::optOutList() const {
    return m_ret;
}

frmRet* frmMenu::openOptOutList() {
    // A window just closed is still on its way out: a new one is opened.
    if (m_ret && m_retWindow && !m_retWindow->isHidden()) {
        m_mdi->setActiveSubWindow(m_retWindow);
        return m_ret;
    }
    auto* list = new frmRet(*this);
    m_ret = list;
    QMdiSubWindow* window = addWorkingWindow(list);
    m_retWindow = window;
    list->Form_Load();
    window->show();
    centre(window);
    return list;
}

QMdiSubWindow* frmMenu::addWorkingWindow(QWidget* widget) {
    QMdiSubWindow* window = m_mdi->addSubWindow(widget);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(windowIcon());
    return window;
}

void frmMenu::centre(QMdiSubWindow* window) {
    window->move(QPoint(qMax(0, (m_mdi->viewport()->width() - window->width()) / 2),
                        qMax(0, (m_mdi->viewport()->height() - window->height()) / 2)));
    m_mdi->setActiveSubWindow(window);
}

frmHakkinda* frmMenu::openAbout() {
    auto* about = new frmHakkinda(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setWindowModality(Qt::ApplicationModal);
    about->show();
    return about;
}

void frmMenu::openSupport() {
    (new frmDestek(this))->Show();
}

frmReklam* frmMenu::advertisement() const {
    return m_reklam;
}

void frmMenu::unloadAdvertisement() {
    m_advertisementWanted = false;
    delete m_reklam;
}

void frmMenu::loadAdvertisement() {
    m_advertisementWanted = true;
    // The window that asks is still on its way out.
    QTimer::singleShot(0, this, &frmMenu::showAdvertisementIfFree);
}

void frmMenu::showAdvertisementIfFree() {
    if (!m_advertisementWanted || m_reklam)
        return;
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        if (!window->isHidden())
            return;
    auto* reklam = new frmReklam(m_mdi->viewport());
    reklam->setGeometry(m_mdi->viewport()->rect());
    reklam->lower();
    reklam->show();
    m_reklam = reklam;
}

bool frmMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && m_reklam && watched == m_mdi->viewport())
        m_reklam->setGeometry(m_mdi->viewport()->rect());
    return QMainWindow::eventFilter(watched, event);
}

frmOtoAyar* frmMenu::ruleEditor() const {
    return m_otoAyar;
}

frmOtoAyar* frmMenu::openRuleEditor() {
    if (m_otoAyar && m_otoAyarWindow && !m_otoAyarWindow->isHidden()) {
        m_mdi->setActiveSubWindow(m_otoAyarWindow);
        return m_otoAyar;
    }
    auto* editor = new frmOtoAyar(*this);
    m_otoAyar = editor;
    QMdiSubWindow* window = addWorkingWindow(editor);
    window->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_otoAyarWindow = window;
    editor->Form_Load();
    window->show();
    centre(window);
    return editor;
}

void frmMenu::closeStatusScreen() {
    if (m_anaWindow)
        m_anaWindow->close();
}

void frmMenu::onSubWindowActivated(QMdiSubWindow* window) {
    if (window && window == m_anaWindow && m_ana)
        m_ana->Form_Activate();
    if (window && window == m_otoAyarWindow && m_otoAyar)
        m_otoAyar->Form_Activate();
    if (window && window == m_raporWindow && m_rapor)
        m_rapor->Form_Activate();
}

void frmMenu::restoreFromTray() {
    m_tray->setEnabled(false);
    m_ui->miGoster->setVisible(false);
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    // A window manager places a window that is shown again as it likes; the
    // user left it somewhere.
    if (!isVisible() && !m_geometryBeforeTray.isEmpty())
        restoreGeometry(m_geometryBeforeTray);
    m_geometryBeforeTray.clear();
    show();
    raise();
    activateWindow();
}

void frmMenu::minimisedIntoTray() {
    // Without a notification area the window stays an ordinary minimised
    // window: hidden, it could never be brought back.
    if (!m_tray->isAvailable() || !isMinimized())
        return;
    m_geometryBeforeTray = saveGeometry();
    hide();
    m_ui->miGoster->setVisible(true);
    m_tray->setEnabled(true);
}

void frmMenu::onTrayMouseDown(int button) {
    if (button == 2)
        m_ui->miProgram->popup(QCursor::pos());
}

void frmMenu::openHelp() {
    const QString path =
        HelpDocumentPath(App().programFolder, QCoreApplication::applicationDirPath());
    if (path.isEmpty()) {
        SetStatusText(QStringLiteral("Yardım dosyası bulunamadı."));
        return;
    }
    // No program for the file type, say: the user would otherwise see
    // nothing happen.
    if (!UserInterface().openWithDesktop(path))
        SetStatusText(QStringLiteral("Yardım dosyası açılamadı: ") +
                      QDir::toNativeSeparators(path));
}

void frmMenu::exitChosen() {
    App().gNoMainWindow = true;
    // Refused while a gateway request is in hand: Çıkış is asked again later.
    if (!close())
        App().gNoMainWindow = false;
}

void frmMenu::closeEvent(QCloseEvent* event) {
    if (m_exitConfirmed) {
        event->accept();
        return;
    }
    AppState& app = App();
    if (app.gNoMainWindow) {
        const bool yes = UserInterface().askQuestion(
            QStringLiteral("Uyarı"),
            QStringLiteral("Programı kapattığınızda otomatik gönderim işlemi kapatılacaktır.") +
                CRLF + QStringLiteral("Yinede programı kapatmak istediğinizden emin misiniz?"));
        if (!yes) {
            app.gNoMainWindow = false;
            event->ignore();
            return;
        }
        m_tray->setEnabled(false);
        m_exitConfirmed = true;
        event->accept();
        // A pass in progress finishes its file and starts no other; the
        // event loop ends once the timer's handler has returned.
        RequestExit();
        emit exitConfirmed();
        return;
    }
    event->ignore();
    showMinimized();
}

void frmMenu::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        // Hiding from inside the state change confuses some window managers.
        QTimer::singleShot(0, this, &frmMenu::minimisedIntoTray);
    } else if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        Form_Activate();
    }
}
