#include "DailySendsChart.h"

#include <algorithm>

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCursor>
#include <QGraphicsLayout>
#include <QLegend>
#include <QToolTip>
#include <QValueAxis>

namespace {

const QColor MessageColour(62, 117, 242);
const QColor SmsColour(230, 159, 0);

// A whole step of 1, 2 or 5 times a power of ten that divides 0..most into
// at most four parts, so every tick is a whole count.
qint64 tickStep(qint64 most) {
    qint64 step = 1;
    while (true) {
        for (const qint64 factor : {1, 2, 5})
            if (step * factor * 4 >= most)
                return step * factor;
        step *= 10;
    }
}

QBarSet* barSet(const QString& name, const QColor& colour) {
    auto* set = new QBarSet(name);
    set->setColor(colour);
    set->setBorderColor(colour);
    return set;
}

} // namespace

DailySendsChart::DailySendsChart(QWidget* parent)
    : QChartView(parent)
    , m_messages(barSet(QStringLiteral("Mesaj"), MessageColour))
    , m_sms(barSet(QStringLiteral("SMS"), SmsColour)) {
    auto* chart = new QChart;
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setFont(font());

    auto* series = new QBarSeries;
    series->append(m_messages);
    series->append(m_sms);
    series->setBarWidth(0.8);
    chart->addSeries(series);

    m_dayAxis = new QBarCategoryAxis;
    m_dayAxis->setLabelsFont(font());
    m_dayAxis->setGridLineVisible(false);
    m_dayAxis->setTruncateLabels(false);
    chart->addAxis(m_dayAxis, Qt::AlignBottom);
    series->attachAxis(m_dayAxis);

    m_values = new QValueAxis;
    m_values->setLabelsFont(font());
    m_values->setLabelFormat(QStringLiteral("%d"));
    m_values->setTickType(QValueAxis::TicksDynamic);
    m_values->setTickAnchor(0);
    m_values->setMinorGridLineVisible(false);
    chart->addAxis(m_values, Qt::AlignLeft);
    series->attachAxis(m_values);

    // The exact figures of a day under the pointer.
    connect(series, &QBarSeries::hovered, this, [this](bool inside, int index) {
        if (!inside || index < 0 || index >= m_days.size()) {
            QToolTip::hideText();
            return;
        }
        const DaySends& day = m_days.at(index);
        QToolTip::showText(QCursor::pos(),
                           QStringLiteral("%1: %2 mesaj, %3 SMS")
                               .arg(day.day.toString(QStringLiteral("dd.MM.yyyy")))
                               .arg(day.messages)
                               .arg(day.sms),
                           this);
    });

    // The view made a chart of its own, which setChart lets go without deleting.
    QChart* const own = QChartView::chart();
    setChart(chart);
    delete own;
    setRenderHint(QPainter::Antialiasing);
    setDays({});
}

void DailySendsChart::setDays(const QList<DaySends>& days) {
    if (days == m_days && !m_dayAxis->categories().isEmpty())
        return;
    m_days = days;
    QStringList names;
    QList<qreal> messages;
    QList<qreal> sms;
    qint64 most = 0;
    for (const DaySends& day : days) {
        names << day.day.toString(QStringLiteral("dd.MM"));
        messages << qreal(day.messages);
        sms << qreal(day.sms);
        most = std::max({most, day.messages, day.sms});
    }
    m_messages->remove(0, m_messages->count());
    m_messages->append(messages);
    m_sms->remove(0, m_sms->count());
    m_sms->append(sms);
    m_dayAxis->setCategories(names);
    const qint64 step = tickStep(most);
    m_values->setTickInterval(qreal(step));
    m_values->setRange(0, qreal(std::max<qint64>(step, (most + step - 1) / step * step)));
}
