#pragma once

#include <array>

#include <QChartView>

#include "StatusList.h"

class QBarSet;
class QValueAxis;

// The states of the report on screen at a glance: one bar a state, each in
// its own colour and labelled with its count, named as the grid names the
// state. It draws what it is given: the counts of the states shown.
class StateChart : public QChartView {
    Q_OBJECT

public:
    explicit StateChart(QWidget* parent = nullptr);

    // Counts in the order of the states (Beklemede, İletildi, Zaman Aşımı,
    // Reddedildi).
    void setCounts(const std::array<qint64, StatusList::StateCount>& counts);

private:
    std::array<QBarSet*, StatusList::StateCount> m_sets{};
    QValueAxis* m_values = nullptr;
};
