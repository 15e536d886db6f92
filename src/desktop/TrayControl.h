#pragma once

#include <optional>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

class QWidget;

// The program's icon in the desktop's notification area. The host switches
// it on while its window is hidden there and off while the window shows;
// mouse actions on the icon come back as the three events.
class TrayControl : public QObject {
    Q_OBJECT

public:
    // How often an enabled icon looks whether the notification area is still
    // there: Qt does not say when it goes.
    static constexpr int WatchIntervalMs = 1000;

    explicit TrayControl(QWidget* host);
    ~TrayControl() override;

    QString ToolTipText() const { return m_tip; }
    void setToolTipText(const QString& text);

    // True: the icon is in the notification area.
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Whether the desktop has a notification area at the moment; without one
    // the host must not hide its window there.
    bool isAvailable() const;
    // Tests pretend a desktop with or without a notification area.
    void forceAvailability(std::optional<bool> available);

    // The icon is really there for the user to click.
    bool isIconShown() const { return m_enabled && isAvailable(); }

    // Mouse actions on the icon, with the host's button values (1 left,
    // 2 right); shift and the coordinates are always 0.
    void deliverActivation(QSystemTrayIcon::ActivationReason reason);

signals:
    void DblClick();
    void MouseDown(int Button, int Shift, int X, int Y);
    void MouseUp(int Button, int Shift, int X, int Y);
    // The notification area went away while the icon was in it (the panel
    // was closed or crashed): whatever hid behind the icon must come back.
    void notificationAreaGone();

private:
    void applyIcon();
    void watch();

    QPointer<QWidget> m_host;
    QSystemTrayIcon* m_icon = nullptr;
    QString m_tip;
    bool m_enabled = true;
    std::optional<bool> m_forcedAvailability;
    QTimer m_watch;
};
