#include "frmBekle.h"

#include <cmath>

#include "ui_frmBekle.h"

#include "KeepOnTop.h"
#include "core/AppState.h"
#include "core/UiServices.h"

frmBekle::frmBekle(QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_ui(std::make_unique<Ui_frmBekle>()) {
    m_ui->setupUi(this);
    KeepOnTop(this);
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &frmBekle::Timer1_Timer);
    m_timer.start();
}

frmBekle::~frmBekle() = default;

void frmBekle::Timer1_Timer() {
    ++m_ticks;
    const qint64 done = App().gProgressDone;
    const qint64 total = App().gProgressTotal;
    // Nothing to compute a share of: the window keeps what it showed.
    if (total > 0) {
        const auto percent = static_cast<int>(
            std::clamp<qint64>(std::llround(100.0 * double(done) / double(total)), 0, 100));
        // Once shown, the bar never stands at nothing.
        m_ui->ProgressBar1->setValue(percent != 0 ? percent : 1);
        setWindowTitle(
            QStringLiteral("%1/%2 (%%3)").arg(done).arg(total).arg(m_ui->ProgressBar1->value()));
    }
    m_ui->lblIslemHiz->setText(QString::number(std::llround(double(done) / double(m_ticks))) +
                               QStringLiteral(" kayıt/saniye"));
    UserInterface().yield();
}
