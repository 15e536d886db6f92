#include "StateChart.h"

#include <algorithm>

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QGraphicsLayout>
#include <QHorizontalStackedBarSeries>
#include <QValueAxis>

namespace {

// Told apart at a glance, and by the colour-blind through their places and
// names: waiting blue, delivered green, timed out orange, rejected red.
const std::array<QColor, StatusList::StateCount> StateColours = {
    QColor(62, 117, 242), QColor(46, 158, 79), QColor(230, 159, 0), QColor(208, 52, 44)};

// The first state on top: horizontal bars grow from the bottom category.
int categoryOf(int state) {
    return StatusList::StateCount - 1 - state;
}

} // namespace

StateChart::StateChart(QWidget* parent)
    : QChartView(parent) {
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 0, 6, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);

    // One set a state, holding its count in its own category only, so each
    // bar is whole and has its own colour; a stack hides the empty rest.
    auto* series = new QHorizontalStackedBarSeries;
    series->setBarWidth(0.75);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideBase);
    // Whole numbers as they are, never 1e+06.
    series->setLabelsPrecision(15);
    QStringList names;
    for (int state = 0; state < StatusList::StateCount; ++state) {
        auto* set = new QBarSet(StatusList::stateText(StatusList::State(state)));
        for (int category = 0; category < StatusList::StateCount; ++category)
            set->append(0);
        set->setColor(StateColours[size_t(state)]);
        set->setBorderColor(StateColours[size_t(state)]);
        set->setLabelColor(palette().color(QPalette::Text));
        set->setLabelFont(font());
        series->append(set);
        m_sets[size_t(state)] = set;
        names.prepend(set->label());
    }
    chart->addSeries(series);

    auto* categories = new QBarCategoryAxis;
    categories->append(names);
    categories->setLabelsFont(font());
    categories->setTruncateLabels(false);
    categories->setGridLineVisible(false);
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);

    m_values = new QValueAxis;
    m_values->setVisible(false);
    m_values->setRange(0, 1);
    chart->addAxis(m_values, Qt::AlignBottom);
    series->attachAxis(m_values);

    // The view made a chart of its own, which setChart lets go without deleting.
    QChart* const own = QChartView::chart();
    setChart(chart);
    delete own;
    setRenderHint(QPainter::Antialiasing);
    // Framed like the grid above it.
    setFrameShape(QFrame::StyledPanel);
}

void StateChart::setCounts(const std::array<qint64, StatusList::StateCount>& counts) {
    for (int state = 0; state < StatusList::StateCount; ++state)
        m_sets[size_t(state)]->replace(categoryOf(state), qreal(counts[size_t(state)]));
    // The longest bar spans the chart; no bar at all keeps a range to draw in.
    const qint64 most = *std::max_element(counts.begin(), counts.end());
    m_values->setRange(0, qreal(std::max<qint64>(most, 1)));
}
