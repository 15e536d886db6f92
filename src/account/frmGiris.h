#pragma once

#include <functional>
#include <memory>

#include <QWidget>

class Ui_frmGiris;

// The login window: shown at start-up when the active account's credentials
// are not remembered. It checks what the user typed with the gateway, stores
// it if asked, and opens the main window.
class frmGiris : public QWidget {
    Q_OBJECT

public:
    // Opens the main window once the account has been accepted.
    using OpenMainWindow = std::function<void()>;

    explicit frmGiris(OpenMainWindow openMainWindow, QWidget* parent = nullptr);
    ~frmGiris() override;

    bool isBusy() const { return m_busy; }

signals:
    // The window has gone; without a main window the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void btnOturumAc_Click();
    void btnVazgec_Click();
    void logIn();
    void setBusy(bool busy);
    void loginError(const QString& text);

    std::unique_ptr<Ui_frmGiris> m_ui;
    OpenMainWindow m_openMainWindow;
    bool m_busy = false;
    bool m_shown = false;
};
