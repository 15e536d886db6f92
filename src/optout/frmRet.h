#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "OptOutList.h"

class OptOutModel;
class WorkingWindowHost;
class frmRetAktar;
class Ui_frmRet;

// "Parlex - Ret listesi": the numbers that refused commercial messages. A
// search box narrows the list; a typed number is added, the selected ones
// removed (after a question); İçe aktar takes a file's numbers, Dışa aktar
// writes the list into a workbook. A file is imported on a thread of its
// own with a database connection of its own, in one transaction, while the
// window shows its progress and stays usable; Vazgeç stops it, leaving the
// list as it was.
class frmRet : public QWidget {
    Q_OBJECT

public:
    // The window is never smaller than this.
    static constexpr int DesignWidth = 600;
    static constexpr int DesignHeight = 440;

    explicit frmRet(WorkingWindowHost& host, QWidget* parent = nullptr);
    ~frmRet() override;

    void Form_Load();
    Ui_frmRet& form() { return *m_ui; }
    OptOutModel& model() { return *m_model; }
    // The import dialog while it is open.
    frmRetAktar* importDialog() const;
    bool importing() const { return m_worker.joinable(); }
    // Starts importing as the dialog would (İçe aktar, then the dialog's
    // own İçe aktar).
    void startImport(const OptOutImport& import);

signals:
    void finished();
    void importFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void reload();
    void showCounts();
    void selectNumber(const QString& number);
    void cmdEkle_Click();
    void cmdSil_Click();
    void cmdIceAktar_Click();
    void cmdDisaAktar_Click();
    void cmdVazgec_Click();
    void showProgress();
    void importDone(const OptOutImportResult& result);
    void setBusy(bool busy);
    // Stops an import under way and waits for its thread.
    void stopImport();

    WorkingWindowHost& m_host;
    std::unique_ptr<Ui_frmRet> m_ui;
    OptOutModel* m_model;
    QPointer<frmRetAktar> m_dialog;
    // The number last selected before a search, selected again once shown.
    QString m_chosen;
    std::thread m_worker;
    std::atomic<qint64> m_rowsRead = 0;
    std::atomic<bool> m_cancel = false;
    QTimer m_progress;
};
