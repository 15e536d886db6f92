#include "TrayControl.h"

#include <QWidget>

#include "widgets/Artwork.h"

namespace {

constexpr int LeftButton = 1;
constexpr int RightButton = 2;

} // namespace

TrayControl::TrayControl(QWidget* host)
    : QObject(host)
    , m_host(host)
    , m_icon(new QSystemTrayIcon(this)) {
    connect(m_icon, &QSystemTrayIcon::activated, this, &TrayControl::deliverActivation);
    m_watch.setInterval(WatchIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &TrayControl::watch);
    if (m_enabled)
        m_watch.start();
}

TrayControl::~TrayControl() {
    if (m_icon->isVisible())
        m_icon->hide();
}

void TrayControl::setToolTipText(const QString& text) {
    m_tip = text;
    m_icon->setToolTip(text);
}

void TrayControl::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (enabled)
        m_watch.start();
    else
        m_watch.stop();
    applyIcon();
}

void TrayControl::watch() {
    if (isAvailable())
        return;
    m_watch.stop();
    emit notificationAreaGone();
}

bool TrayControl::isAvailable() const {
    if (m_forcedAvailability)
        return *m_forcedAvailability;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayControl::forceAvailability(std::optional<bool> available) {
    m_forcedAvailability = available;
    applyIcon();
}

void TrayControl::applyIcon() {
    // Only a real notification area gets the platform icon; a pretended one
    // keeps the state alone.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    if (m_enabled && isAvailable()) {
        QIcon icon = m_host ? m_host->windowIcon() : QIcon();
        if (icon.isNull())
            icon = Artwork::applicationIcon();
        m_icon->setIcon(icon);
        m_icon->setToolTip(m_tip);
        m_icon->show();
    } else {
        m_icon->hide();
    }
}

void TrayControl::deliverActivation(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit MouseDown(LeftButton, 0, 0, 0);
        emit MouseUp(LeftButton, 0, 0, 0);
        break;
    case QSystemTrayIcon::Context:
        emit MouseDown(RightButton, 0, 0, 0);
        emit MouseUp(RightButton, 0, 0, 0);
        break;
    case QSystemTrayIcon::DoubleClick:
        emit DblClick();
        break;
    default:
        break;
    }
}
