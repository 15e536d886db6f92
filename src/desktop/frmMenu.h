#pragma once

#include <memory>

#include <QMainWindow>
#include <QPointer>

#include "rules/PollingTimer.h"
#include "widgets/StatusLine.h"
#include "widgets/WorkingWindowHost.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class TrayControl;
class frmAna;
class frmAyarlar;
class frmDosyaSMS;
class frmOtoAyar;
class frmRapor;
class frmRet;
class frmHakkinda;
class frmReklam;

class Ui_frmMenu;

// The program's frame: the multiple-document area for the working windows,
// the menus, the status bar, the notification icon and the polling timer of
// automatic sending. Its close box hides it into the notification area; only
// Çıkış, once confirmed, ends the program.
class frmMenu : public QMainWindow, public WorkingWindowHost, public StatusLine {
    Q_OBJECT

public:
    static constexpr int StatusPanelCount = 6;

    explicit frmMenu(QWidget* parent = nullptr, PollingTimer::Pass pass = {});
    ~frmMenu() override;

    Ui_frmMenu& form() { return *m_ui; }
    QMdiArea* mdiArea() const { return m_mdi; }
    PollingTimer& Timer1() { return m_timer; }
    PollingTimer& pollingTimer() override { return m_timer; }
    TrayControl& TrayControl1() { return *m_tray; }

    // Panels are numbered 1 to 6 from the left. Panel 2 shows the end of a
    // long text as "…" and the whole text as its tool tip.
    void setStatusPanel(int panel, const QString& text);
    QString statusPanel(int panel) const;
    QString statusText() const override { return statusPanel(2); }
    void setStatusText(const QString& text) override { setStatusPanel(2, text); }
    // Panel 4 shows the active user, panel 6 the account mode.
    void showAccount() override;
    // The advertisement window goes at once; it comes back once the event
    // loop is free, and only when no working window is open by then.
    void unloadAdvertisement() override;
    void loadAdvertisement() override;
    bool advertisementWanted() const { return m_advertisementWanted; }
    frmReklam* advertisement() const;

    // "Hizmet durumu": opens the status screen, or brings it forward.
    frmAna* openStatusScreen();
    frmAna* statusScreen() const;
    // Unloads the status screen if it is loaded.
    void closeStatusScreen();
    // "Dosyadan SMS gönder": opens the send wizard, or brings it forward.
    frmDosyaSMS* openFileSend();
    frmDosyaSMS* fileSend() const;
    // "Otomatik gönderim ayarları": opens the rule editor, or brings it forward.
    frmOtoAyar* openRuleEditor();
    frmOtoAyar* ruleEditor() const;
    // "Hesap ayarları": opens the settings window, or brings it forward.
    frmAyarlar* openSettings();
    frmAyarlar* settings() const;
    // "Ret listesi": opens the opt-out list, or brings it forward.
    frmRet* openOptOutList();
    frmRet* optOutList() const;
    // "Mesaj gönderim raporları": opens the reports window, or brings it
    // forward.
    frmRapor* openReports();
    frmRapor* reports() const;
    // "Parlex Hakkında", modal; and the web site item, the support window.
    frmHakkinda* openAbout();
    void openSupport();

    // Back from the notification area: "Programı göster" or a double click.
    void restoreFromTray();
    void openHelp();

signals:
    // Çıkış was confirmed: the program ends.
    void exitConfirmed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void minimisedIntoTray();
    void exitChosen();
    void onTrayMouseDown(int button);
    void onSubWindowActivated(QMdiSubWindow* window);
    void showAdvertisementIfFree();
    // A working window in its frame, centred in the client area.
    QMdiSubWindow* addWorkingWindow(QWidget* window);
    void centre(QMdiSubWindow* window);
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::unique_ptr<Ui_frmMenu> m_ui;
    QMdiArea* m_mdi = nullptr;
    QLabel* m_panels[StatusPanelCount] = {};
    TrayControl* m_tray = nullptr;
    PollingTimer m_timer;
    QPointer<frmAna> m_ana;
    QPointer<QMdiSubWindow> m_anaWindow;
    QPointer<frmDosyaSMS> m_dosyaSMS;
    QPointer<QMdiSubWindow> m_dosyaSMSWindow;
    QPointer<frmOtoAyar> m_otoAyar;
    QPointer<QMdiSubWindow> m_otoAyarWindow;
    QPointer<frmAyarlar> m_ayarlar;
    QPointer<QMdiSubWindow> m_ayarlarWindow;
    QPointer<frmRapor> m_rapor;
    QPointer<QMdiSubWindow> m_raporWindow;
    QPointer<frmRet> m_ret;
    QPointer<QMdiSubWindow> m_retWindow;
    QPointer<frmReklam> m_reklam;
    bool m_exitConfirmed = false;
    bool m_advertisementWanted = true;
    // Where the window was when it went into the notification area.
    QByteArray m_geometryBeforeTray;
};
