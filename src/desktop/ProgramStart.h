#pragma once

#include <memory>

#include <QObject>
#include <QString>

#include "rules/PollingTimer.h"

class InstanceChannel;
class InstanceLock;
class frmGiris;
class frmMenu;

// The program's start: one instance per database, the settings, then the
// login window or the check of the remembered account, then the main window.
// It owns the lock and the top-level windows for the life of the program.
class ProgramStart : public QObject {
    Q_OBJECT

public:
    // `pass` is what the main window's polling timer runs (tests replace it).
    explicit ProgramStart(QString programFolder, PollingTimer::Pass pass = {});
    ~ProgramStart() override;

    // Runs the start-up sequence. True when a window is open and the event
    // loop must run; false when the program ends here (the reason, if any,
    // has been shown).
    bool run();

    frmMenu* mainWindow() const { return m_menu.get(); }
    frmGiris* loginWindow() const { return m_login.get(); }

    // Shows the main window with the polling period of the settings.
    void openMainWindow();
    // A later start on the same folder asked for this program's window.
    void bringToFront();

signals:
    // Nothing is left open, or Çıkış was confirmed: the program ends.
    void ended();

private:
    void loginClosed();

    QString m_folder;
    PollingTimer::Pass m_pass;
    std::unique_ptr<InstanceLock> m_lock;
    std::unique_ptr<InstanceChannel> m_channel;
    std::unique_ptr<frmGiris> m_login;
    std::unique_ptr<frmMenu> m_menu;
};
