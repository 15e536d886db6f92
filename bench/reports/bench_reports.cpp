// The reports on a million rows. Prints one line of figures; each half adds
// its own to it.
//   export: a 1,000,000-row status list (GSM number, status) written as a
//           workbook by WriteWorkbook, in a child process so that its peak
//           memory is its own, against Python's xlsxwriter in constant-memory
//           mode writing the same rows in the same run.
// Usage: bench_reports [--rows N]
//        bench_reports --export-child FILE ROWS   (run by the export half)
#include <array>
#include <cstdio>
#include <cstring>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include "reports/ExcelExport.h"

namespace {

const std::array<QString, 4> States = {QStringLiteral("Beklemede"), QStringLiteral("İletildi"),
                                       QStringLiteral("Zaman Aşımı"), QStringLiteral("Reddedildi")};

// The rows a delivery report lists, made as they are asked for.
class StatusRows final : public ExportSource {
public:
    explicit StatusRows(qint64 rows)
        : m_rows(rows) {}
    qint64 rowCount() const override { return m_rows; }
    int columnCount() const override { return 2; }
    void writeRow(qint64 row, ExportRowSink& sink) override {
        std::snprintf(m_number, sizeof m_number, "%lld", 5320000000LL + row);
        sink.text(0, QString::fromLatin1(m_number));
        sink.text(1, States[static_cast<size_t>(row % 4)]);
    }

private:
    qint64 m_rows;
    char m_number[24] = {};
};

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
    StatusRows source(rows);
    QElapsedTimer timer;
    timer.start();
    const ExportResult result =
        WriteWorkbook(source, path, {QStringLiteral("GsmNo"), QStringLiteral("Durum")});
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
    halves << exportHalf(rows);
    std::printf("reports: %s\n", qPrintable(halves.join(QLatin1Char(' '))));
    return 0;
}
