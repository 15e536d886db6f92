// bench_reports: reads a package report of 1,000,000 lines with the real
// report (RaporCek: the reply decoded, split, counted and listed), measures
// the longest stretch between two yields and one status filter, and runs a
// plain Python reading of the same reply in the same invocation. Prints one
// line of figures.

#include <algorithm>
#include <cstdio>
#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/AppState.h"
#include "gateway/HttpTransport.h"
#include "reports/DeliveryReports.h"

namespace {

constexpr qint64 Lines = 1'000'000;

// The gateway answers at once with the reply in hand: only the report's own
// work is measured.
class ReplyTransport : public HttpTransport {
public:
    explicit ReplyTransport(QByteArray reply)
        : m_reply(std::move(reply)) {}
    HttpResult post(const QString&, const RequestBody&) override {
        HttpResult result;
        result.ok = true;
        result.status = 200;
        result.body = m_reply;
        return result;
    }

private:
    QByteArray m_reply;
};

// Notes the longest time the report went without yielding.
class TimingUi : public HeadlessUi {
public:
    void start() {
        m_clock.start();
        maxGapMs = 0;
    }
    void yield() override {
        maxGapMs = std::max(maxGapMs, double(m_clock.nsecsElapsed()) / 1e6);
        m_clock.restart();
    }
    void setStatusText(const QString&) override {}
    double maxGapMs = 0;

private:
    QElapsedTimer m_clock;
};

QByteArray packageReply() {
    QByteArray reply;
    reply.reserve(Lines * 21);
    static const char states[] = "0135324";
    for (qint64 i = 0; i < Lines; ++i) {
        reply += "1000001 53";
        reply += QByteArray::number(10000000 + i % 90000000);
        reply += ' ';
        reply += states[i % 7];
        reply += '\n';
    }
    return reply;
}

int fail(const QString& why) {
    std::fprintf(stderr, "bench_reports: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QByteArray reply = packageReply();
    auto ui = std::make_shared<TimingUi>();
    App().ui = ui;
    App().gGatewayUrl = QStringLiteral("http://127.0.0.1:9/");
    SetDefaultHttpTransport(std::make_shared<ReplyTransport>(reply));

    StatusList list;
    ui->start();
    QElapsedTimer timer;
    timer.start();
    const ReportOutcome outcome = RaporCek(QStringLiteral("1000001"), list);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    ui->yield();
    if (list.totalCount() != Lines || outcome.counters.total != Lines)
        return fail(QStringLiteral("listed %1 of %2 lines: %3")
                        .arg(list.totalCount())
                        .arg(Lines)
                        .arg(outcome.message));

    timer.restart();
    list.setFilter({false, true, false, false});
    const double filterMs = double(timer.nsecsElapsed()) / 1e6;
    if (list.rowCount() != outcome.counters.byState[StatusList::Delivered])
        return fail(QStringLiteral("the filter shows %1 rows").arg(list.rowCount()));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reply.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reply) != reply.size())
        return fail(QStringLiteral("cannot write ") + path);
    file.close();
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral(PARLEX_BENCH_REFERENCE), path});
    if (!python.waitForFinished(-1) || python.exitCode() != 0)
        return fail(QStringLiteral("the Python reference failed: ") +
                    QString::fromUtf8(python.readAllStandardError()));
    const QString said = QString::fromUtf8(python.readAllStandardOutput()).trimmed();
    const auto match =
        QRegularExpression(QStringLiteral("lines=(\\d+) seconds=([0-9.]+)")).match(said);
    if (!match.hasMatch() || match.captured(1).toLongLong() != Lines)
        return fail(QStringLiteral("unexpected reply from the Python reference: ") + said);
    const double pythonSeconds = match.captured(2).toDouble();

    const double rate = double(Lines) / seconds;
    const double pythonRate = double(Lines) / pythonSeconds;
    std::printf("reports: lines=%lld lines/s=%.0f python_lines/s=%.0f ratio=%.1f max_gap_ms=%.1f "
                "filter_ms=%.1f\n",
                static_cast<long long>(Lines), rate, pythonRate, rate / pythonRate, ui->maxGapMs,
                filterMs);
    return 0;
}
