// Reads a generated recipient file, fills a two-placeholder template and
// tests every row, then runs a Python csv implementation of the same work
// on the same file, and prints one line of figures.
//
//   bench_textsource [--rows N] [--folder DIR]
//
// The file is written into DIR (a temporary folder by default, removed
// afterwards).

#include <sys/resource.h>

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "RecipientFile.h"
#include "core/Routines.h"
#include "textsource/DelimitedReader.h"
#include "textsource/MessageTemplate.h"
#include "textsource/SchemaIni.h"

namespace {

const QString kTemplate = QStringLiteral("Sayın [##ad##], [##tutar##] TL borcunuz bulunmaktadır.");

double currentRssMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double peakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

struct Counts {
    qint64 rows = 0;
    qint64 outcome[4] = {};
};

int fail(const QString& message) {
    std::fprintf(stderr, "bench_textsource: %s\n", message.toUtf8().constData());
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    qint64 rows = 1000000;
    QString folder;
    const QStringList arguments = app.arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--rows"))
            rows = arguments[i + 1].toLongLong();
        else if (arguments[i] == QLatin1String("--folder"))
            folder = arguments[i + 1];
        else
            return fail(QStringLiteral("unknown option ") + arguments[i]);
    }
    QTemporaryDir temporary;
    if (folder.isEmpty())
        folder = temporary.path();
    const QString path = folder + QStringLiteral("/recipients.txt");
    if (!WriteRecipientFile(path, rows))
        return fail(QStringLiteral("cannot write ") + path);
    WriteSchemaIni(folder, QStringLiteral(";"), QStringLiteral("E"));

    const double rssBefore = currentRssMiB();
    Counts counts;
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    {
        DelimitedReader reader;
        if (!reader.open(folder, QStringLiteral("recipients.txt")))
            return fail(reader.errorString());
        const int gsm = reader.columnIndex(u"gsm");
        const MessageTemplate messageTemplate(kTemplate);
        // As the senders test rows; the cleaning is the basket's in a sender.
        RowTester tester(messageTemplate, gsm);
        qsizetype cleanedLength = 0;
        while (reader.next()) {
            const RowOutcome outcome = tester.test(reader.record());
            if (outcome == RowOutcome::Queued)
                cleanedLength += CleanMessageText(tester.filled()).size();
            ++counts.outcome[static_cast<int>(outcome)];
            ++counts.rows;
        }
        if (cleanedLength == 0 && counts.outcome[0] > 0)
            return fail(QStringLiteral("queued messages cleaned to nothing"));
        if (reader.hasError())
            return fail(reader.errorString());
    }
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuStart;
    const double rssGrowth = peakRssMiB() - rssBefore;

    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral(PARLEX_BENCH_REFERENCE), path, kTemplate, QStringLiteral("gsm")});
    if (!python.waitForFinished(-1) || python.exitCode() != 0)
        return fail(QStringLiteral("the Python reference failed: ") +
                    QString::fromUtf8(python.readAllStandardError()));
    const QString reply = QString::fromUtf8(python.readAllStandardOutput()).trimmed();
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("rows=(\\d+) queued=(\\d+) h01=(\\d+) h02=(\\d+) "
                                          "h03=(\\d+) seconds=([0-9.]+) cpu_seconds=([0-9.]+)"))
            .match(reply);
    if (!match.hasMatch())
        return fail(QStringLiteral("unexpected reply from the Python reference: ") + reply);
    const double pythonSeconds = match.captured(6).toDouble();
    const double pythonCpu = match.captured(7).toDouble();
    const bool same = match.captured(1).toLongLong() == counts.rows &&
                      match.captured(2).toLongLong() == counts.outcome[0] &&
                      match.captured(3).toLongLong() == counts.outcome[1] &&
                      match.captured(4).toLongLong() == counts.outcome[2] &&
                      match.captured(5).toLongLong() == counts.outcome[3];

    // Wall-clock figures, and the same by processor time, which a busy
    // machine disturbs less.
    const auto perSecond = [&counts](double s) {
        return static_cast<double>(counts.rows) / s;
    };
    std::printf(
        "textsource: rows=%lld file=%.1fMiB rows/s=%.0f python_rows/s=%.0f ratio=%.1f "
        "cpu_rows/s=%.0f python_cpu_rows/s=%.0f cpu_ratio=%.1f peak_rss=%.1fMiB "
        "rss_growth=%.1fMiB queued=%lld h01=%lld h02=%lld h03=%lld same_counts=%s\n",
        static_cast<long long>(counts.rows),
        static_cast<double>(QFile(path).size()) / (1024 * 1024), perSecond(seconds),
        perSecond(pythonSeconds), pythonSeconds / seconds, perSecond(cpu), perSecond(pythonCpu),
        pythonCpu / cpu, peakRssMiB(), rssGrowth, static_cast<long long>(counts.outcome[0]),
        static_cast<long long>(counts.outcome[1]), static_cast<long long>(counts.outcome[2]),
        static_cast<long long>(counts.outcome[3]), same ? "yes" : "NO");
    return same ? 0 : 1;
}
