#pragma once

#include <memory>

#include <QTimer>
#include <QWidget>

class Ui_frmBekle;

// The progress window of long operations (the reports, the export): it
// reads the shared counters gProgressDone and gProgressTotal once a second
// and shows how far the operation has come and how fast it runs.
class frmBekle : public QWidget {
    Q_OBJECT

public:
    static constexpr int IntervalMs = 1000;

    explicit frmBekle(QWidget* parent = nullptr);
    ~frmBekle() override;

    QTimer& Timer1() { return m_timer; }
    // One tick of Timer1.
    void Timer1_Timer();

private:
    std::unique_ptr<Ui_frmBekle> m_ui;
    QTimer m_timer;
    qint64 m_ticks = 0;
};
