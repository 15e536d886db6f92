#pragma once

#include <array>
#include <functional>

#include <QString>
#include <QStringView>

#include "StatusList.h"

// Reading the gateway's report replies into a StatusList.

// Line feeds in `text`, counted a few characters at a time.
qint64 CountLineFeeds(QStringView text);

// Summary of one report run: lines listed and lines per state.
struct ReportCounters {
    qint64 total = 0;
    std::array<qint64, StatusList::StateCount> byState{};
};

// Of a report's counts by state, those of the states the four boxes show:
// every state when no box is ticked, as the list then shows every row; 0 for
// a state left out.
std::array<qint64, StatusList::StateCount>
ShownStateCounts(const ReportCounters& counters,
                 const std::array<bool, StatusList::StateCount>& ticked);

// A state digit's state: 0 and 1 waiting, 3 delivered, 5 timed out, every
// other value rejected.
StatusList::State StateOfCode(int code);
// Its text: "Beklemede", "İletildi", "Zaman Aşımı" or "Reddedildi".
QString MesajDurumu(int code);

// How a listing loop ended. A bad line ends it with the rows before it kept.
struct LinesRun {
    enum class End { Done, Cancelled, BadLine };
    End end = End::Done;
    qint64 lineNumber = 0; // 1-based, of the bad line
    QString line;          // the bad line, cut short
    QString description() const;
};

// How often a listing loop lets the window breathe: on time, and after so
// many lines at the latest, never after every line.
inline constexpr int ReportYieldIntervalMs = 20;
inline constexpr qint64 ReportYieldLines = 65536;

// A line of the package and date-range reports: whatever the gateway puts
// first, then the 10-digit number, one separator (neither letter nor digit)
// and the state digit.
bool IsStatusLine(QStringView line);

// The package and date-range replies: lines ended by LF (a CR before it is
// dropped), the last one possibly without its LF, each a status line. Sets
// gProgressTotal to the number of lines and counts.total with it, then lists
// line by line into `list` and `counters`, testing gReportCancel before
// every line and, on time, advancing gProgressDone, calling `shown` (the
// window repaints its counters and grid) and yielding. Any other line is a
// bad line. An empty `list` shares the reply's text instead of copying the
// numbers.
LinesRun ListStatusLines(const QString& reply, StatusList& list, ReportCounters& counters,
                         const std::function<void()>& shown);

// The GSM-number reply: "identifier date" lines ended by LF (a CR dropped;
// the last LF may be missing), split at the first blank. A line without a
// blank, a package identifier before it and a date after it is a bad line.
LinesRun ListPackageLines(QStringView reply, StatusList& list, ReportCounters& counters,
                          const std::function<void()>& shown);
