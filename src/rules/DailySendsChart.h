#pragma once

#include <QChartView>
#include <QList>

#include "reports/PackageHistory.h"

class QBarCategoryAxis;
class QBarSet;
class QValueAxis;

// The messages and SMS sent on each of the last days, side by side a day,
// the days named dd.MM under their bars.
class DailySendsChart : public QChartView {
    Q_OBJECT

public:
    explicit DailySendsChart(QWidget* parent = nullptr);

    // The days oldest first. The same figures again draw nothing anew: the
    // status screen gives them every second.
    void setDays(const QList<DaySends>& days);

private:
    QList<DaySends> m_days;
    QBarSet* m_messages = nullptr;
    QBarSet* m_sms = nullptr;
    QBarCategoryAxis* m_dayAxis = nullptr;
    QValueAxis* m_values = nullptr;
};
