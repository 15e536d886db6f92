#include "ReportLines.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

qint64 CountLineFeeds(QStringView text) {
    // Four UTF-16 units at a time: a lane is 0 after the XOR exactly where
    // it held a line feed, and the two steps below set its top bit then
    // and only then, without a borrow from one lane into the next.
    constexpr quint64 Feeds = 0x000A000A000A000AULL;
    constexpr quint64 Low = 0x7FFF7FFF7FFF7FFFULL;
    const char16_t* p = text.utf16();
    const qsizetype size = text.size();
    qint64 count = 0;
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        quint64 word;
        std::memcpy(&word, p + i, sizeof word);
        const quint64 x = word ^ Feeds;
        const quint64 zeroLanes = ~(((x & Low) + Low) | x | Low);
        count += std::popcount(zeroLanes);
    }
    for (; i < size; ++i)
        count += p[i] == u'\n';
    return count;
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

// Calls readLine(offset, length) for every line of `reply` ended by LF, the
// LF and a CR before it left out.
template <typename ReadLine>
LinesRun listLines(QStringView reply, ReportCounters& counters, const std::function<void()>& shown,
                   ReadLine readLine) {
    AppState& app = App();
    // Counting is part of the first stretch without a yield.
    Breather breather(shown);
    const qint64 lines = CountLineFeeds(reply);
    app.gProgressTotal = lines;
    counters.total = lines;
    LinesRun run;
    const char16_t* const text = QStringView(reply).utf16();
    const char16_t* at = text;
    qint64 done = 0;
    for (; done < lines; ++done) {
        if (app.gReportCancel) {
            run.end = LinesRun::End::Cancelled;
            break;
        }
        // Lines are short: a plain scan finds the end sooner than a search.
        const char16_t* lf = at;
        while (*lf != u'\n')
            ++lf;
        qsizetype length = lf - at;
        if (length > 0 && at[length - 1] == u'\r')
            --length;
        if (!readLine(at - text, length)) {
            run.end = LinesRun::End::BadLine;
            run.lineNumber = done + 1;
            run.line = reply.mid(at - text, std::min<qsizetype>(length, 80)).toString();
            break;
        }
        at = lf + 1;
        breather.lineDone(done + 1);
    }
    app.gProgressDone = done;
    if (shown)
        shown();
    return run;
}

} // namespace

LinesRun ListStatusLines(const QString& reply, StatusList& list, ReportCounters& counters,
                         const std::function<void()>& shown) {
    // The rows point into the reply when they can: no copy of the numbers.
    const bool shared = list.totalCount() == 0;
    const qsizetype base = shared ? 0 : list.textSize();
    if (shared)
        list.shareText(reply);
    const char16_t* const text = QStringView(reply).utf16();
    return listLines(reply, counters, shown, [&](qsizetype offset, qsizetype length) {
        if (length < 12)
            return false;
        const char16_t digit = text[offset + length - 1];
        if (digit < u'0' || digit > u'9')
            return false;
        const StatusList::State state = StateOfCode(int(digit - u'0'));
        ++counters.byState[state];
        if (shared)
            list.appendIn(base + offset + length - 12, 10, state);
        else
            list.append(QStringView(text + offset + length - 12, 10), state);
        return true;
    });
}

LinesRun ListPackageLines(QStringView reply, StatusList& list, ReportCounters& counters,
                          const std::function<void()>& shown) {
    return listLines(reply, counters, shown, [&](qsizetype offset, qsizetype length) {
        const QStringView line = reply.mid(offset, length);
        const qsizetype blank = line.indexOf(u' ');
        if (blank < 0)
            return false;
        list.append(line.left(blank), line.mid(blank + 1));
        return true;
    });
}
