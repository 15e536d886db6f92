#include "ProgramStart.h"

#include <QDir>

#include "InstanceChannel.h"
#include "SecondStart.h"
#include "account/frmGiris.h"
#include "core/AppState.h"
#include "core/InstanceLock.h"
#include "core/Settings.h"
#include "frmBaslangic.h"
#include "frmMenu.h"
#include "gateway/CheckGateway.h"

ProgramStart::ProgramStart(QString programFolder, PollingTimer::Pass pass)
    : m_folder(std::move(programFolder))
    , m_pass(std::move(pass)) {}

ProgramStart::~ProgramStart() = default;

bool ProgramStart::run() {
    AppState& app = App();
    app.gNoMainWindow = false;
    app.gSettingsLoaded = false;
    app.programFolder = m_folder;

    // A folder that does not exist yet is made; one that cannot be made
    // fails with the lock's message below.
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<InstanceLock>(m_folder);
    if (!m_lock->tryLock()) {
        ExplainRefusedStart(*m_lock);
        return false;
    }
    m_channel = std::make_unique<InstanceChannel>(m_folder);
    connect(m_channel.get(), &InstanceChannel::showRequested, this, &ProgramStart::bringToFront);

    LoadSettings();
    if (!app.gSettingsLoaded)
        return false;

    if (app.gRemember != QLatin1String("1")) {
        app.gNoMainWindow = true;
        m_login = std::make_unique<frmGiris>([this] { openMainWindow(); });
        connect(m_login.get(), &frmGiris::closed, this, &ProgramStart::loginClosed);
        m_login->show();
        return true;
    }

    QString checked;
    {
        // A slow line must not look like a program that failed to start:
        // the start window stays until the check returns, whatever it found.
        frmBaslangic starting;
        starting.show();
        checked = CheckGateway();
    }
    // CheckGateway has shown both boxes when it gives up.
    if (checked == QLatin1String("-1")) {
        app.gNoMainWindow = true;
        return false;
    }
    if (!app.gNoMainWindow)
        openMainWindow();
    return m_menu != nullptr;
}

void ProgramStart::openMainWindow() {
    if (!m_menu) {
        m_menu = std::make_unique<frmMenu>(nullptr, m_pass);
        connect(m_menu.get(), &frmMenu::exitConfirmed, this, &ProgramStart::ended);
    }
    m_menu->Timer1().setInterval(App().gCheckPeriod);
    m_menu->show();
}

void ProgramStart::bringToFront() {
    if (m_menu) {
        m_menu->restoreFromTray();
    } else if (m_login && m_login->isVisible()) {
        m_login->raise();
        m_login->activateWindow();
    }
}

void ProgramStart::loginClosed() {
    if (!m_menu)
        emit ended();
}
