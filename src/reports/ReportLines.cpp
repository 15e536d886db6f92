#include "ReportLines.h"

#include <QElapsedTimer>

#include "core/AppState.h"

StatusList::State StateOfCode(int code) {
    switch (code) {
    case 0:
    case 1:
        return StatusList::Waiting;
    case 3:
        return StatusList::Delivered;
    case 5:
        return StatusList::TimedOut;
    default:
        return StatusList::Rejected;
    }
}

QString MesajDurumu(int code) {
    return StatusList::stateText(StateOfCode(code));
}

QString LinesRun::description() const {
    return QStringLiteral("Rapor satırı %1 okunamıyor: \"%2\"").arg(lineNumber).arg(line);
}

namespace {

// Yields on time, so a million lines cost a few dozen repaints, not a million.
class Breather {
public:
    explicit Breather(const std::function<void()>& shown)
        : m_shown(shown) {
        m_clock.start();
    }
    void lineDone(qint64 done) {
        // The clock is read every 256 lines only.
        if ((++m_lines & 255) != 0)
            return;
        if (m_clock.elapsed() >= ReportYieldIntervalMs || m_lines >= ReportYieldLines)
            breathe(done);
    }
    void breathe(qint64 done) {
        App().gProgressDone = done;
        if (m_shown)
            m_shown();
        UserInterface().yield();
        m_lines = 0;
        m_clock.restart();
    }

private:
    const std::function<void()>& m_shown;
    QElapsedTimer m_clock;
    qint64 m_lines = 0;
};

QStringView withoutCr(QStringView line) {
    return line.endsWith(u'\r') ? line.chopped(1) : line;
}

template <typename ReadLine>
LinesRun listLines(QStringView reply, ReportCounters& counters, const std::function<void()>& shown,
                   ReadLine readLine) {
    AppState& app = App();
    const qint64 lines = reply.count(u'\n');
    app.gProgressTotal = lines;
    counters.total = lines;
    LinesRun run;
    Breather breather(shown);
    qsizetype start = 0;
    qint64 done = 0;
    for (; done < lines; ++done) {
        if (app.gReportCancel) {
            run.end = LinesRun::End::Cancelled;
            break;
        }
        const qsizetype lf = reply.indexOf(u'\n', start);
        const QStringView line = withoutCr(reply.mid(start, lf - start));
        start = lf + 1;
        if (!readLine(line)) {
            run.end = LinesRun::End::BadLine;
            run.lineNumber = done + 1;
            run.line = line.left(80).toString();
            break;
        }
        breather.lineDone(done + 1);
    }
    app.gProgressDone = done;
    if (shown)
        shown();
    return run;
}

} // namespace

LinesRun ListStatusLines(QStringView reply, StatusList& list, ReportCounters& counters,
                         const std::function<void()>& shown) {
    list.reserve(list.totalCount() + reply.count(u'\n'), reply.size() / 2);
    return listLines(reply, counters, shown, [&](QStringView line) {
        if (line.size() < 12)
            return false;
        const char16_t digit = line.back().unicode();
        if (digit < u'0' || digit > u'9')
            return false;
        const StatusList::State state = StateOfCode(int(digit - u'0'));
        ++counters.byState[state];
        list.append(line.mid(line.size() - 12, 10), state);
        return true;
    });
}

LinesRun ListPackageLines(QStringView reply, StatusList& list, ReportCounters& counters,
                          const std::function<void()>& shown) {
    return listLines(reply, counters, shown, [&](QStringView line) {
        const qsizetype blank = line.indexOf(u' ');
        if (blank < 0)
            return false;
        list.append(line.left(blank), line.mid(blank + 1));
        return true;
    });
}
