#include "PollingTimer.h"

#include <exception>

#include <QLoggingCategory>

#include "core/Routines.h"
#include "rules/RuleRunner.h"
#include "rules/RuleStore.h"

Q_LOGGING_CATEGORY(lcPolling, "parlex.polling")

PollingTimer::PollingTimer(QObject* parent, Pass pass)
    : QObject(parent)
    , m_pass(pass ? std::move(pass) : Pass(&OtoMesaj)) {
    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(MinimumIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PollingTimer::tick);
}

void PollingTimer::setInterval(int milliseconds) {
    if (milliseconds < MinimumIntervalMs) {
        qCWarning(lcPolling) << "polling period" << milliseconds << "ms raised to"
                             << MinimumIntervalMs << "ms";
        milliseconds = MinimumIntervalMs;
    }
    m_timer.setInterval(milliseconds);
}

void PollingTimer::setEnabled(bool enabled) {
    const bool changed = enabled != m_enabled;
    m_enabled = enabled;
    // During a pass the tick decides when the timer counts again.
    if (!m_inPass) {
        if (enabled && !m_timer.isActive())
            m_timer.start();
        else if (!enabled)
            m_timer.stop();
    }
    if (changed)
        emit enabledChanged(enabled);
}

bool PollingTimer::switchStillOn() const {
    try {
        return AutoSendSwitch() == QLatin1String("1");
    } catch (const std::exception& e) {
        // A database busy for a moment must not stop automatic sending
        // behind the user's back.
        qCWarning(lcPolling).noquote()
            << "global switch could not be read:" << QString::fromUtf8(e.what());
        return true;
    }
}

void PollingTimer::tick() {
    if (m_inPass)
        return;
    m_timer.stop();
    m_inPass = true;
    try {
        m_pass();
    } catch (const std::exception& e) {
        // Nothing may leave the timer's handler: the program must go on.
        const QString reason = QString::fromUtf8(e.what());
        qCWarning(lcPolling).noquote() << "pass ended with an error:" << reason;
        SetStatusText(QStringLiteral("Otomatik gönderimde hata oluştu: ") + reason);
    }
    m_inPass = false;

    const bool on = m_enabled && switchStillOn();
    const bool changed = on != m_enabled;
    m_enabled = on;
    if (on)
        m_timer.start();
    if (changed)
        emit enabledChanged(on);
    emit passFinished();
}
