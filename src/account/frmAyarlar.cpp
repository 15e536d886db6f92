#include "frmAyarlar.h"

#include <functional>

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>

#include "ui_frmAyarlar.h"

#include "AccountSettings.h"
#include "core/AppState.h"
#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"
#include "core/GatewayMode.h"
#include "textsource/MessageCost.h"
#include "widgets/GuardedStep.h"
#include "widgets/WorkingWindowHost.h"

namespace {

bool credentialCharacter(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// What of `text` may go into a credential box: unaccented letters and digits.
QString credentialCharacters(const QString& text) {
    QString kept;
    for (const QChar c : text)
        if (credentialCharacter(c))
            kept += c;
    return kept;
}

// Only typed characters are filtered: Enter is swallowed, and a character
// other than an unaccented letter or a digit (a blank, punctuation, a
// Turkish letter). Editing keys and shortcuts (Delete, the arrows,
// Home/End, Ctrl+A/C/X; Ctrl+V is pasted filtered) pass, although some
// carry a control character as their text.
bool swallowedKey(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        return true;
    const Qt::KeyboardModifiers mods = key.modifiers();
    // Ctrl with Alt is AltGr on some systems, which types characters.
    if ((mods & Qt::MetaModifier) || ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)))
        return false;
    const QString text = key.text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    return credentialCharacters(text) != text;
}

// Pasted text goes in as it would have been typed.
void pasteFiltered(QLineEdit* box, QClipboard::Mode mode) {
    box->insert(credentialCharacters(QGuiApplication::clipboard()->text(mode)));
}

// A failure inside a handler leaves the window usable and says why.
bool guarded(const char* what, const std::function<void()>& step) {
    return RunGuarded(what, QStringLiteral("Parlex"), QString(), step);
}

} // namespace

frmAyarlar::frmAyarlar(WorkingWindowHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_ui(std::make_unique<Ui_frmAyarlar>()) {
    m_ui->setupUi(this);
    setMinimumSize(DesignWidth, DesignHeight);
    for (QLineEdit* box : {m_ui->txtUserName_m, m_ui->txtPassWord_m, m_ui->txtClientKodu_m,
                           m_ui->txtUserName_i, m_ui->txtPassWord_i}) {
        box->installEventFilter(this);
        // The menu's paste and a dropped text would go round the filter.
        box->setContextMenuPolicy(Qt::NoContextMenu);
        box->setAcceptDrops(false);
    }
    // An asterisk for every character, as in the login window.
    for (QLineEdit* box : {m_ui->txtPassWord_m, m_ui->txtPassWord_i})
        box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    connect(m_ui->optAnaHesap, &QRadioButton::clicked, this, [this] { showMode(true); });
    connect(m_ui->optHollin, &QRadioButton::clicked, this, [this] { showMode(false); });
    connect(m_ui->cmdKaydet, &QPushButton::clicked, this, &frmAyarlar::cmdKaydet_Click);
    connect(m_ui->cmdVazgec, &QPushButton::clicked, this, &frmAyarlar::cmdVazgec_Click);
    connect(m_ui->cmdKontor, &QPushButton::clicked, this, &frmAyarlar::cmdKontor_Click);
}

frmAyarlar::~frmAyarlar() = default;

void frmAyarlar::Form_Load() {
    m_host.unloadAdvertisement();
    const AppState& app = App();
    const bool main = app.gGatewayMode == GatewayMode::Main;
    const bool remember = app.gRemember == QLatin1String("1");
    showMode(main);
    // The inactive mode's stored credentials stay out of sight.
    if (main) {
        m_ui->optAnaHesap->setChecked(true);
        m_ui->txtUserName_m->setText(app.gUserName);
        m_ui->txtPassWord_m->setText(app.gPassword);
        m_ui->txtClientKodu_m->setText(app.gClientCode);
        m_ui->chkKaydet_m->setChecked(remember);
    } else {
        m_ui->optHollin->setChecked(true);
        m_ui->txtHollinYolu->setText(app.gGatewayUrl);
        m_ui->txtUserName_i->setText(app.gUserName);
        m_ui->txtPassWord_i->setText(app.gPassword);
        m_ui->chkKaydet_i->setChecked(remember);
    }
    guarded("reading the polling period", [this] {
        const qint64 period = GetParam(QLatin1String(ParamName::CheckPeriod)).toLongLong();
        m_ui->txtOtoTime->setText(QString::number(period / 1000));
    });
    guarded("reading the SMS count settings", [this] {
        const CostSettings cost = ReadCostSettings();
        m_ui->txtOperatorEki->setText(QString::number(cost.operatorSuffix));
        m_ui->chkTekSms->setChecked(cost.oneSmsOnly);
        m_ui->txtRetMetni->setText(GetParam(QLatin1String(ParamName::RefusalText)));
    });
}

void frmAyarlar::showMode(bool mainAccount) {
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->txtUserName_m), static_cast<QWidget*>(m_ui->txtPassWord_m),
          static_cast<QWidget*>(m_ui->txtClientKodu_m), static_cast<QWidget*>(m_ui->chkKaydet_m)})
        control->setEnabled(mainAccount);
    for (QWidget* control :
         {static_cast<QWidget*>(m_ui->txtHollinYolu), static_cast<QWidget*>(m_ui->txtUserName_i),
          static_cast<QWidget*>(m_ui->txtPassWord_i), static_cast<QWidget*>(m_ui->chkKaydet_i)})
        control->setEnabled(!mainAccount);
}

bool frmAyarlar::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            pasteFiltered(box, QClipboard::Clipboard);
            return true;
        }
        return swallowedKey(*key);
    }
    case QEvent::MouseButtonRelease:
        // The X11 selection, pasted by the middle button.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
            QGuiApplication::clipboard()->supportsSelection()) {
            pasteFiltered(box, QClipboard::Selection);
            return true;
        }
        break;
    case QEvent::InputMethod: {
        // Typed through an input method, a Turkish letter arrives here.
        const auto* typed = static_cast<QInputMethodEvent*>(event);
        const QString kept = credentialCharacters(typed->commitString());
        if (kept == typed->commitString() && typed->preeditString().isEmpty())
            break;
        QInputMethodEvent filtered;
        filtered.setCommitString(kept, typed->replacementStart(), typed->replacementLength());
        QCoreApplication::sendEvent(box, &filtered);
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

AccountForm frmAyarlar::content() const {
    AccountForm form;
    form.mainAccount = m_ui->optAnaHesap->isChecked();
    form.userName_m = m_ui->txtUserName_m->text();
    form.password_m = m_ui->txtPassWord_m->text();
    form.clientCode_m = m_ui->txtClientKodu_m->text();
    form.remember_m = m_ui->chkKaydet_m->isChecked();
    form.hollinUrl = m_ui->txtHollinYolu->text();
    form.userName_i = m_ui->txtUserName_i->text();
    form.password_i = m_ui->txtPassWord_i->text();
    form.remember_i = m_ui->chkKaydet_i->isChecked();
    form.periodText = m_ui->txtOtoTime->text();
    form.operatorSuffixText = m_ui->txtOperatorEki->text();
    form.oneSmsOnly = m_ui->chkTekSms->isChecked();
    form.refusalText = m_ui->txtRetMetni->text();
    return form;
}

void frmAyarlar::cmdKaydet_Click() {
    guarded("saving the settings", [this] {
        const SaveOutcome outcome = SaveAccountSettings(content());
        if (outcome.saved)
            m_ui->cmdVazgec->setText(QStringLiteral("Kapat"));
        if (outcome.tab >= 0) {
            m_ui->SSTab1->setCurrentIndex(outcome.tab);
            if (auto* box = findChild<QWidget*>(outcome.focus))
                box->setFocus();
        }
    });
}

void frmAyarlar::cmdVazgec_Click() {
    // A setting that cannot be read leaves the running account as it was
    // and the window open.
    if (!guarded("applying the settings", [this] { ApplyAccountForm(content()); }))
        return;
    m_host.showAccount();
    closeWindow();
}

void frmAyarlar::cmdKontor_Click() {
    guarded("asking for the credit", [] { ShowCredit(); });
}

void frmAyarlar::closeWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void frmAyarlar::closeEvent(QCloseEvent* event) {
    // However the window goes, the main window is not left empty.
    m_host.loadAdvertisement();
    event->accept();
    emit finished();
}
