#pragma once

#include <functional>

#include <QObject>
#include <QTimer>

// The main window's polling timer (Timer1): one pass of automatic sending
// per tick. "Enabled" is the state the status screen shows and switches; the
// platform timer itself is stopped while a pass runs so passes never overlap.
class PollingTimer : public QObject {
    Q_OBJECT

public:
    using Pass = std::function<void()>;

    // Passes closer together than this would only keep the database and the
    // gateway busy; a zero or negative period would run them back to back.
    static constexpr int MinimumIntervalMs = 1000;

    explicit PollingTimer(QObject* parent = nullptr, Pass pass = {});

    void setInterval(int milliseconds);
    int interval() const { return m_timer.interval(); }

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    bool isPassRunning() const { return m_inPass; }
    // The platform timer is counting towards the next pass.
    bool isCounting() const { return m_timer.isActive(); }

    // One tick: the pass, then the timer again only while automatic sending
    // is still switched on.
    void tick();

signals:
    void enabledChanged(bool enabled);
    void passFinished();

private:
    bool switchStillOn() const;

    QTimer m_timer;
    Pass m_pass;
    bool m_enabled = false;
    bool m_inPass = false;
};
