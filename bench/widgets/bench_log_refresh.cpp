// One refresh of the status screen's log grid with a million log lines, and
// the full re-read of the table that the grid would otherwise do each second.
//
//   bench_log_refresh [ROWS]      (default 1000000)

#include <algorithm>
#include <cstdio>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "widgets/GridModels.h"

namespace {

double millisecondsOf(QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    if (rows < 1) {
        std::fprintf(stderr, "usage: bench_log_refresh [ROWS]\n");
        return 2;
    }

    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_log_refresh: no temporary folder\n");
        return 1;
    }
    App().programFolder = folder.path();
    OpenDatabase();

    // Generated in the database itself: one statement, one transaction.
    QElapsedTimer fill;
    fill.start();
    ExecuteSql(QStringLiteral("INSERT INTO tbl_log_txt (tarih,aciklama) "
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < %1) "
                              "SELECT '2026-03-05 10:00:00', '[Kural] veri_' || i || "
                              "'.txt mesaj paketi başarıyla gönderildi. MsgID : ' || (100000 + i) "
                              "FROM n")
                   .arg(rows));
    const double fillMs = millisecondsOf(fill);

    NewestFirstModel model(QStringLiteral("tbl_log_txt"), QStringLiteral("id"));
    QElapsedTimer timer;
    timer.start();
    model.reload();
    const double firstPageMs = millisecondsOf(timer);

    // The tick: one new line arrived since the last second, or none.
    constexpr int Ticks = 31;
    std::vector<double> withLine;
    std::vector<double> idle;
    for (int i = 0; i < Ticks; ++i) {
        WriteLog(QStringLiteral("Tüm otomatik gönderim kuralları başlatıldı."));
        timer.restart();
        model.refresh();
        withLine.push_back(millisecondsOf(timer));
        timer.restart();
        model.refresh();
        idle.push_back(millisecondsOf(timer));
    }
    if (model.data(model.index(0, 2)).toString() !=
        QStringLiteral("Tüm otomatik gönderim kuralları başlatıldı.")) {
        std::fprintf(stderr, "bench_log_refresh: the newest line is not on top\n");
        return 1;
    }

    // What a grid bound to the whole table re-reads every second.
    timer.restart();
    const int fullRows =
        OpenRecordset(QStringLiteral("SELECT * FROM tbl_log_txt ORDER BY id DESC")).recordCount();
    const double fullMs = millisecondsOf(timer);

    const double refreshMs = median(withLine);
    std::printf("log refresh, %d rows: refresh with a new line %.3f ms (median of %d), "
                "without %.3f ms, first page %.3f ms; full re-read %.1f ms (%d rows); "
                "full re-read / refresh = %.0fx; fill %.0f ms\n",
                rows, refreshMs, Ticks, median(idle), firstPageMs, fullMs, fullRows,
                fullMs / refreshMs, fillMs);
    AppState::reset();
    return 0;
}
