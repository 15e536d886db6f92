#pragma once

#include <memory>

#include <QWidget>

struct AccountForm;
class WorkingWindowHost;
class Ui_frmAyarlar;

// "Parlex - Ayarlar": the account mode, both accounts' credentials and the
// polling period. Kaydet stores them once the gateway has accepted the
// credentials; Vazgeç (Kapat after a save) makes the window's content the
// running account and closes; Kontör bilgisi shows the running account's
// credit. The work itself is AccountSettings'.
class frmAyarlar : public QWidget {
    Q_OBJECT

public:
    // 5520 x 4080 twips; the window is never smaller.
    static constexpr int DesignWidth = 368;
    static constexpr int DesignHeight = 272;

    explicit frmAyarlar(WorkingWindowHost& host, QWidget* parent = nullptr);
    ~frmAyarlar() override;

    void Form_Load();
    Ui_frmAyarlar& form() { return *m_ui; }

signals:
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showMode(bool mainAccount);
    void cmdKaydet_Click();
    void cmdVazgec_Click();
    void cmdKontor_Click();
    AccountForm content() const;
    void closeWindow();

    WorkingWindowHost& m_host;
    std::unique_ptr<Ui_frmAyarlar> m_ui;
};
