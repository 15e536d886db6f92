// The reports on a million rows. Prints one line of figures; each half adds
// its own to it.
//   lines:  a 1,000,000-line package report read by the real report
//           (RaporCek: the reply decoded, split, counted and listed), the
//           longest stretch between two yields, one status filter, and a
//           plain Python reading of the same reply in the same run.
//   export: a 1,000,000-row status list (GSM number, status) written as a
//           workbook by WriteWorkbook, in a child process so that its peak
//           memory is its own, against Python's xlsxwriter in constant-memory
//           mode writing the same rows in the same run.
// Usage: bench_reports [--rows N]
//        bench_reports --export-child FILE ROWS   (run by the export half)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <QRegularExpression>

#include "core/AppState.h"
#include "gateway/HttpTransport.h"
#include "reports/DeliveryReports.h"
#include "reports/StatusListExport.h"
#include "spreadsheet/ExcelExport.h"

namespace {

// A status list as a delivery report leaves it.
StatusList statusList(qint64 rows) {
    StatusList list;
    list.reserve(rows, rows * 10);
    for (qint64 i = 0; i < rows; ++i)
        list.append(QString::number(5320000000LL + i), StatusList::State(i % 4));
    return list;
}

const char* const PythonExport = R"(
import sys, time, xlsxwriter
path, rows = sys.argv[1], int(sys.argv[2])
states = ['Beklemede', 'İletildi', 'Zaman Aşımı', 'Reddedildi']
start = time.perf_counter()
wb = xlsxwriter.Workbook(path, {'constant_memory': True})
row, sheet = 0, 0
while True:
    sheet += 1
    ws = wb.add_worksheet('Sayfa%d' % sheet)
    ws.write_string(0, 0, 'GsmNo')
    ws.write_string(0, 1, 'Durum')
    end = min(rows, row + 65535)
    r = 1
    for i in range(row, end):
        ws.write_string(r, 0, str(5320000000 + i))
        ws.write_string(r, 1, states[i % 4])
        r += 1
    row = end
    if row >= rows:
        break
wb.close()
print('%.0f' % (rows / (time.perf_counter() - start)))
)";

// Debian's python3 is the one with the Debian modules.
QString python() {
    const QString system = QStringLiteral("/usr/bin/python3");
    return QFile::exists(system) ? system
                                 : QStandardPaths::findExecutable(QStringLiteral("python3"));
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        qFatal("%s failed", qPrintable(program));
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

int exportChild(const QString& path, qint64 rows) {
    const StatusList list = statusList(rows);
    StatusListExport source(list);
    QElapsedTimer timer;
    timer.start();
    const ExportResult result = WriteWorkbook(source, path, StatusListExport::columnNames());
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (!result.written()) {
        std::fprintf(stderr, "bench_reports: %s\n", qPrintable(result.message()));
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.0f %ld %d\n", static_cast<double>(rows) / seconds, usage.ru_maxrss,
                result.sheets);
    return 0;
}

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

QByteArray packageReply(qint64 lines) {
    QByteArray reply;
    reply.reserve(lines * 21);
    static const char states[] = "0135324";
    for (qint64 i = 0; i < lines; ++i) {
        reply += "1000001 53";
        reply += QByteArray::number(10000000 + i % 90000000);
        reply += ' ';
        reply += states[i % 7];
        reply += '\n';
    }
    return reply;
}

QString linesHalf(qint64 lines) {
    const QByteArray reply = packageReply(lines);
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
    if (list.totalCount() != lines || outcome.counters.total != lines)
        qFatal("listed %lld of %lld lines: %s", static_cast<long long>(list.totalCount()),
               static_cast<long long>(lines), qPrintable(outcome.message));

    timer.restart();
    list.setFilter({false, true, false, false});
    const double filterMs = double(timer.nsecsElapsed()) / 1e6;
    if (list.rowCount() != outcome.counters.byState[StatusList::Delivered])
        qFatal("the filter shows %lld rows", static_cast<long long>(list.rowCount()));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("reply.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reply) != reply.size())
        qFatal("cannot write the reply");
    file.close();
    const QString said = run(python(), {QStringLiteral(PARLEX_BENCH_REFERENCE), path});
    const auto match =
        QRegularExpression(QStringLiteral("lines=(\\d+) seconds=([0-9.]+)")).match(said);
    if (!match.hasMatch() || match.captured(1).toLongLong() != lines)
        qFatal("unexpected reply from the Python reference: %s", qPrintable(said));
    const double rate = double(lines) / seconds;
    const double pythonRate = double(lines) / match.captured(2).toDouble();
    return QStringLiteral("lines=%1 lines/s=%2 python_lines/s=%3 ratio=%4 max_gap_ms=%5 "
                          "filter_ms=%6")
        .arg(lines)
        .arg(qRound64(rate))
        .arg(qRound64(pythonRate))
        .arg(rate / pythonRate, 0, 'f', 1)
        .arg(ui->maxGapMs, 0, 'f', 1)
        .arg(filterMs, 0, 'f', 1);
}

QString exportHalf(qint64 rows) {
    QTemporaryDir dir;
    const QStringList child =
        run(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--export-child"), dir.filePath(QStringLiteral("parlex.xlsx")),
             QString::number(rows)})
            .split(QLatin1Char(' '));
    if (child.size() != 3)
        qFatal("the export child printed nothing usable");
    const double ours = child.at(0).toDouble();
    const double peakMb = child.at(1).toDouble() / 1024.0;

    const QString script = dir.filePath(QStringLiteral("export.py"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly) || file.write(PythonExport) < 0)
        qFatal("cannot write the Python reference");
    file.close();
    const double theirs =
        run(python(), {script, dir.filePath(QStringLiteral("python.xlsx")), QString::number(rows)})
            .toDouble();

    return QStringLiteral("export_rows/s=%1 python_export_rows/s=%2 export_ratio=%3 "
                          "export_peak_rss_mb=%4 sheets=%5")
        .arg(qRound64(ours))
        .arg(qRound64(theirs))
        .arg(theirs > 0 ? ours / theirs : 0.0, 0, 'f', 1)
        .arg(peakMb, 0, 'f', 1)
        .arg(child.at(2));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--export-child"))
        return exportChild(args.at(2), args.at(3).toLongLong());

    qint64 rows = 1000000;
    if (const qsizetype at = args.indexOf(QStringLiteral("--rows")); at > 0 && at + 1 < args.size())
        rows = args.at(at + 1).toLongLong();

    QStringList halves;
    halves << linesHalf(rows) << exportHalf(rows);
    std::printf("reports: %s\n", qPrintable(halves.join(QLatin1Char(' '))));
    return 0;
}
