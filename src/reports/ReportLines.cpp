#include "ReportLines.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include <QElapsedTimer>

#include "core/AppState.h"
#include "gateway/Submission.h"

std::array<qint64, StatusList::StateCount>
ShownStateCounts(const ReportCounters& counters,
                 const std::array<bool, StatusList::StateCount>& ticked) {
    const bool all = std::none_of(ticked.begin(), ticked.end(), [](bool t) { return t; });
    std::array<qint64, StatusList::StateCount> shown{};
    for (size_t i = 0; i < shown.size(); ++i)
        shown[i] = all || ticked[i] ? counters.byState[i] : 0;
    return shown;
}

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

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

bool IsStatusLine(QStringView line) {
    const qsizetype n = line.size();
    if (n < 12 || !isDigit(line[n - 1]) || line[n - 2].isLetterOrNumber())
        return false;
    for (qsizetype i = n - 12; i < n - 2; ++i)
        if (!isDigit(line[i]))
            return false;
    // Ten digits exactly: a longer run is not the gateway's number.
    return n == 12 || !isDigit(line[n - 13]);
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
    // A breath if one is due, whatever the line count.
    void dueBreath(qint64 done) {
        if (m_clock.elapsed() >= ReportYieldIntervalMs)
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

// Calls readLine(offset, length) for every line of `reply`, the LF and a CR
// before it left out. A last line without its LF is a line too: a reply cut
// short or a word in place of lines must not pass for fewer lines.
// `reserve(lines)` makes room for the rows before the first is listed.
template <typename Reserve, typename ReadLine>
LinesRun listLines(QStringView reply, ReportCounters& counters, const std::function<void()>& shown,
                   Reserve reserve, ReadLine readLine) {
    AppState& app = App();
    Breather breather(shown);
    // Counted a piece at a time, breathing on time: tens of megabytes of
    // reply are a long stretch on a busy machine.
    constexpr qsizetype CountPiece = qsizetype(1) << 20;
    qint64 feeds = 0;
    for (qsizetype at = 0; at < reply.size(); at += CountPiece) {
        feeds += CountLineFeeds(reply.sliced(at, std::min(CountPiece, reply.size() - at)));
        breather.dueBreath(0);
    }
    const qint64 lines = feeds + (!reply.isEmpty() && !reply.endsWith(u'\n') ? 1 : 0);
    app.gProgressTotal = lines;
    counters.total = lines;
    // Room for every row at once: growing a million rows as they come
    // copies them over and over, each copy a pause.
    reserve(lines);
    LinesRun run;
    const char16_t* const text = reply.utf16();
    const char16_t* const end = text + reply.size();
    const char16_t* at = text;
    qint64 done = 0;
    for (; done < lines; ++done) {
        if (app.gReportCancel) {
            run.end = LinesRun::End::Cancelled;
            break;
        }
        // Lines are short: a plain scan finds the end sooner than a search.
        // Every line but an unended last one has its LF to stop at.
        const char16_t* lf = end;
        if (done < feeds) {
            lf = at;
            while (*lf != u'\n')
                ++lf;
        }
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
    const auto reserve = [&](qint64 lines) {
        list.reserve(list.totalCount() + lines, shared ? 0 : list.textSize() + 10 * lines);
    };
    return listLines(reply, counters, shown, reserve, [&](qsizetype offset, qsizetype length) {
        if (!IsStatusLine(QStringView(text + offset, length)))
            return false;
        const char16_t digit = text[offset + length - 1];
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
    // Identifiers and dates are at most the reply's own text.
    const auto reserve = [&](qint64 lines) {
        list.reserve(list.totalCount() + lines, list.textSize() + reply.size());
    };
    return listLines(reply, counters, shown, reserve, [&](qsizetype offset, qsizetype length) {
        const QStringView line = reply.mid(offset, length);
        const qsizetype blank = line.indexOf(u' ');
        if (blank < 0)
            return false;
        // An identifier the gateway could have given and a date, not two
        // words of an error text.
        const QStringView date = line.mid(blank + 1);
        if (!IsWellFormedPackageId(line.left(blank).toString()) || date.isEmpty() ||
            !isDigit(date.front()))
            return false;
        list.append(line.left(blank), date);
        return true;
    });
}
