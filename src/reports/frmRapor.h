#pragma once

#include <array>
#include <memory>

#include <QPointer>
#include <QWidget>

#include "ReportLines.h"
#include "StatusList.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class RecordsetModel;
class StateChart;
class StatusListModel;
class WorkingWindowHost;
class frmBekle;
class Ui_frmRapor;

// "Rapor görüntüleme": the packages sent in the running account mode and,
// for the chosen one, a date range or a GSM number, the delivery state of
// each message fetched from the gateway, with counters and status filters.
// The reports themselves are DeliveryReports'; this class keeps the
// buttons, boxes and grids in step with them.
class frmRapor : public QWidget {
    Q_OBJECT

public:
    // 8340 x 7560 twips; the window keeps this size.
    static constexpr int DesignWidth = 556;
    static constexpr int DesignHeight = 504;

    explicit frmRapor(WorkingWindowHost& host, QWidget* parent = nullptr);
    ~frmRapor() override;

    void Form_Load();
    void Form_Activate();
    Ui_frmRapor& form() { return *m_ui; }
    const StatusList& statusList() const { return m_list; }
    bool reportRunning() const { return m_running; }

signals:
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Grid1Ayar();
    void CreateFields1();
    void cmdRaporGoruntule_1_Click();
    void cmdRaporGoruntule_2_Click();
    void cmdRaporGoruntule_3_Click();
    void cmdMsgGoster_Click();
    void cmdMesajGoster_Click();
    void cmdVazgec_Click(QPushButton* button, bool readyText);
    // cmdExceleGonder_1, _2 and _3: the rows shown into a workbook.
    void cmdExceleGonder_Click(int tab);
    void filterClicked(int firstBox);
    // The four boxes from `firstBox` on, ticked and held while a report runs.
    void holdFilterBoxes(int firstBox);
    // Runs one report with the tabs held still, the progress window shown
    // while lines are listed, and a close asked for meanwhile done after.
    template <typename Report> void runReport(Report report);
    std::array<QCheckBox*, 8> checks() const;
    std::array<QLineEdit*, 5> counterBoxes(int tab) const;
    void showCounters(int tab, const ReportCounters& counters);
    // The tab's chart: its counters, for the states its boxes show.
    void showChart(int tab);
    QString selectedPackageId() const;
    void closeWindow();

    WorkingWindowHost& m_host;
    std::unique_ptr<Ui_frmRapor> m_ui;
    StatusList m_list;
    RecordsetModel* m_packages = nullptr;
    StatusListModel* m_statusModel = nullptr;   // DataGrid2 and DataGrid3
    StatusListModel* m_numberModel = nullptr;   // DataGrid4
    std::array<ReportCounters, 2> m_counters{}; // what tabs 1 and 2 show
    QPointer<frmBekle> m_bekle;
    bool m_running = false;
    bool m_closeWhenDone = false;
};
