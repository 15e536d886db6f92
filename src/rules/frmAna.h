#pragma once

#include <memory>

#include <QTimer>
#include <QWidget>

class NewestFirstModel;
class WorkingWindowHost;
class Ui_frmAna;

// The status screen: switches automatic sending on and off for all rules,
// shows what has been sent in total and today (messages and the SMS they
// were billed as) and on each of the last fourteen days, and lists the
// activity log newest first, refreshed every second.
class frmAna : public QWidget {
    Q_OBJECT

public:
    static constexpr int RefreshIntervalMs = 1000;

    explicit frmAna(WorkingWindowHost& host, QWidget* parent = nullptr);
    ~frmAna() override;

    // Called by the main window after creating the screen, and each time
    // the screen comes to the front.
    void Form_Load();
    void Form_Activate();

    NewestFirstModel& rsLog() { return *m_rsLog; }
    QTimer& Timer1() { return m_timer; }

    // The grid's columns: the date gets a fifth of the width, the text the
    // rest, each less the grid's own margins.
    void sizeColumns();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showRunning();
    void showStopped();
    void cmdBaslat_Click();
    void cmdEkranKapat_Click();
    void Command1_Click();
    void Timer1_Timer();
    void refreshCounters();
    void refreshChart();
    void setUpLogGrid();
    // Each step of the refresh is independent; a failing query must not
    // take the program down with it.
    template <typename Step> void guarded(const char* what, Step step);

    WorkingWindowHost& m_host;
    std::unique_ptr<Ui_frmAna> m_ui;
    NewestFirstModel* m_rsLog;
    QTimer m_timer;
};
