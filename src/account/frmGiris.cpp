#include "frmGiris.h"

#include <exception>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QScreen>

#include "ui_frmGiris.h"

#include "LoginReply.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/GatewayMode.h"
#include "core/SystemError.h"
#include "gateway/CheckGateway.h"
#include "gateway/Gateway.h"
#include "widgets/Artwork.h"

Q_LOGGING_CATEGORY(lcLogin, "parlex.login")

namespace {

const QString Title = QStringLiteral("Parlex Kullanıcı girişi");
const QString CRLF = QStringLiteral("\r\n");

// Nothing, or a single blank, counts as empty.
bool isBlank(const QString& text) {
    return text.isEmpty() || text == QLatin1String(" ");
}

} // namespace

frmGiris::frmGiris(OpenMainWindow openMainWindow, QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui_frmGiris>())
    , m_openMainWindow(std::move(openMainWindow)) {
    m_ui->setupUi(this);
    setWindowIcon(Artwork::applicationIcon());
    m_ui->imgInfo->setPixmap(Artwork::informationPicture(32));
    m_ui->imgHour->setPixmap(Artwork::hourglassPicture(32));
    connect(m_ui->btnOturumAc, &QPushButton::clicked, this, &frmGiris::btnOturumAc_Click);
    connect(m_ui->btnVazgec, &QPushButton::clicked, this, &frmGiris::btnVazgec_Click);
    // A fixed window of the design's size: nothing to maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    Form_Load();
}

frmGiris::~frmGiris() = default;

void frmGiris::Form_Load() {
    setBusy(false);
    const bool main = App().gGatewayMode == GatewayMode::Main;
    m_ui->lblClientKodu->setVisible(main);
    m_ui->lblClientKodu->setEnabled(main);
    m_ui->txtClientKodu->setVisible(main);
    m_ui->txtClientKodu->setEnabled(main);
}

void frmGiris::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
        m_ui->txtUserName->setFocus();
    }
}

void frmGiris::keyPressEvent(QKeyEvent* event) {
    // A plain window has no default button of its own: Enter logs in from
    // whatever control has the focus, Escape is Vazgeç. A disabled (busy)
    // button ignores the click.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_ui->btnOturumAc->click();
        break;
    case Qt::Key_Escape:
        m_ui->btnVazgec->click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void frmGiris::setBusy(bool busy) {
    m_busy = busy;
    m_ui->imgInfo->setVisible(!busy);
    m_ui->imgHour->setVisible(busy);
    m_ui->btnOturumAc->setEnabled(!busy);
    m_ui->btnVazgec->setEnabled(!busy);
}

void frmGiris::loginError(const QString& text) {
    UserInterface().error(Title, text);
}

void frmGiris::btnOturumAc_Click() {
    try {
        logIn();
    } catch (const std::exception& e) {
        // The window must stay usable: back to idle with the reason.
        qCWarning(lcLogin).noquote() << "login failed:" << QString::fromUtf8(e.what());
        setBusy(false);
        loginError(ErrorText(e));
    }
}

void frmGiris::logIn() {
    const QString userName = m_ui->txtUserName->text();
    const QString password = m_ui->txtPassWord->text();
    if (isBlank(userName) || isBlank(password)) {
        loginError(QStringLiteral("Eksik bilgi girişi yaptınız.Lütfen bilgilerinizi kontrol "
                                  "ediniz."));
        m_ui->txtUserName->setFocus();
        return;
    }

    setBusy(true);
    repaint();

    AppState& app = App();
    const bool main = app.gGatewayMode == GatewayMode::Main;
    const QString clientCode = main ? m_ui->txtClientKodu->text() : QString();
    const QString gatewayUser = main ? userName + QLatin1Char('-') + clientCode : userName;
    const QString reply = Gateway().GetInfo(gatewayUser, password);

    switch (ClassifyLoginReply(reply)) {
    case LoginReply::ConnectionError:
        setBusy(false);
        loginError(QStringLiteral("Bağlantı hatası! Lütfen internet bağlantınızı kontrol ediniz.") +
                   CRLF +
                   QStringLiteral("İnternet Bağlantınız kapalı olabilir ya da bir güvenlik "
                                  "uygulaması internet bağlantınızı kontrol ediyor olabilir."));
        return;
    case LoginReply::WrongCredentials:
        setBusy(false);
        loginError(QStringLiteral("Girmiş olduğunuz kullanıcı bilgilerinde hata var.") + CRLF +
                   QStringLiteral("Lütfen bilgilerinizi kontrol edip tekrar deneyiniz."));
        m_ui->txtUserName->setFocus();
        return;
    case LoginReply::CannotSend:
        setBusy(false);
        loginError(QStringLiteral("Kullanıcı bilgileri mesaj merkezine gönderilemiyor") + CRLF +
                   QStringLiteral("Bilgisayarınızdaki güvenlik uygulamalarından biri internet "
                                  "bağlantınızı denetliyor olabilir."));
        return;
    case LoginReply::Refused:
        setBusy(false);
        return;
    case LoginReply::Accepted:
        break;
    }

    if (m_ui->chkKaydet->isChecked()) {
        SaveAccount(userName, password, clientCode, QStringLiteral("1"), app.gGatewayMode,
                    app.gGatewayUrl);
        app.gRemember = QStringLiteral("1");
    } else {
        SaveAccount(QString(), QString(), QString(), QStringLiteral("0"), app.gGatewayMode,
                    app.gGatewayUrl);
        app.gRemember = QStringLiteral("0");
    }

    app.gUserName = userName;
    if (main)
        app.gClientCode = clientCode;
    app.gPassword = password;

    // CheckGateway has already told the user why when it fails.
    if (CheckGateway() == QLatin1String("-1")) {
        app.gNoMainWindow = true;
    } else {
        app.gNoMainWindow = false;
        if (m_openMainWindow)
            m_openMainWindow();
    }
    m_busy = false;
    close();
}

void frmGiris::btnVazgec_Click() {
    App().gNoMainWindow = true;
    close();
}

void frmGiris::closeEvent(QCloseEvent* event) {
    // A request is running: the window answers when it returns.
    if (m_busy) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}
