// Reads a generated customer workbook through WorkbookReader, then runs
// openpyxl in read-only mode on the same file, and prints one line:
//
//   workbook read: rows=N rows/s=N python_rows/s=N ratio=N peak_rss_mb=N
//
//   bench_workbook_read [--rows N] [--folder DIR]
//   bench_workbook_read --read FILE   (the reading half alone, as the bench
//                                      runs it; handy under perf)
//
// The workbook is written into DIR (a temporary folder by default, removed
// afterwards). The reading runs in a child process of its own, so that
// peak_rss_mb is the reader's alone, not the generator's or Python's.

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "CustomerWorkbook.h"
#include "spreadsheet/WorkbookReader.h"

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "bench_workbook_read: %s\n", message.toUtf8().constData());
    return 1;
}

// This process's own peak memory in KiB. Not getrusage's ru_maxrss: a child
// started by fork and exec inherits its parent's peak there.
long long peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Reads every record with the header row on and takes each value's text as
// a template would. Prints the records, the seconds and the peak memory in
// KiB.
int readHalf(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    WorkbookReader reader;
    if (!reader.open(path, true))
        return fail(reader.errorString());
    qint64 records = 0;
    qint64 characters = 0;
    QString text;
    while (reader.next()) {
        const TextRecord& record = reader.record();
        for (int i = 0; i < record.size(); ++i) {
            text.clear();
            record.appendWrittenText(i, text);
            characters += text.size();
        }
        ++records;
    }
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (reader.hasError())
        return fail(reader.errorString());
    if (reader.columnCount() != 4 || characters == 0)
        return fail(QStringLiteral("the workbook read as %1 columns, %2 characters")
                        .arg(reader.columnCount())
                        .arg(characters));
    std::printf("%lld %.6f %lld\n", static_cast<long long>(records), seconds, peakKiB());
    return 0;
}

// Debian's python3 is the one with the Debian modules.
QString python() {
    const QString system = QStringLiteral("/usr/bin/python3");
    return QFile::exists(system) ? system
                                 : QStandardPaths::findExecutable(QStringLiteral("python3"));
}

// openpyxl's rows a second on the same workbook, 0 (and a word on stderr)
// when it cannot run here: the line is still printed.
double pythonRate(const QString& path, qint64 rows) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(python(), {QStringLiteral(PARLEX_BENCH_REFERENCE), path});
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        fail(
            QStringLiteral("python3 did not run (%1); python_rows/s=0").arg(process.errorString()));
        return 0;
    }
    const QString reply = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    if (reply == QLatin1String("openpyxl=missing")) {
        fail(QStringLiteral("python3-openpyxl is not installed (apt install python3-openpyxl); "
                            "python_rows/s=0"));
        return 0;
    }
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("rows=(\\d+) values=(\\d+) seconds=([0-9.]+)"))
            .match(reply);
    // openpyxl counts the header row too.
    if (!match.hasMatch() || match.captured(1).toLongLong() != rows + 1)
        qFatal("unexpected reply from the Python reference: %s", qPrintable(reply));
    return static_cast<double>(rows) / match.captured(3).toDouble();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    qint64 rows = 1000000;
    QString folder;
    const QStringList arguments = app.arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--read"))
            return readHalf(arguments[i + 1]);
        if (arguments[i] == QLatin1String("--rows"))
            rows = arguments[i + 1].toLongLong();
        else if (arguments[i] == QLatin1String("--folder"))
            folder = arguments[i + 1];
        else
            return fail(QStringLiteral("unknown option ") + arguments[i]);
    }
    if (arguments.size() % 2 == 0 || rows < 1)
        return fail(QStringLiteral("usage: bench_workbook_read [--rows N] [--folder DIR] | "
                                   "--read FILE"));
    QTemporaryDir temporary;
    if (folder.isEmpty())
        folder = temporary.path();
    const QString path = folder + QStringLiteral("/customers.xlsx");
    QString error;
    if (!WriteCustomerWorkbook(path, rows, error))
        return fail(error);

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--read"), path});
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return fail(QStringLiteral("the reading half failed"));
    const QStringList figures =
        QString::fromUtf8(child.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    if (figures.size() != 3 || figures[0].toLongLong() != rows)
        return fail(QStringLiteral("the reading half read %1 of %2 rows")
                        .arg(figures.value(0), QString::number(rows)));
    const double rate = static_cast<double>(rows) / figures[1].toDouble();
    const double peakMb = figures[2].toDouble() / 1024;

    const double theirs = pythonRate(path, rows);
    std::printf("workbook read: rows=%lld rows/s=%.0f python_rows/s=%.0f ratio=%.1f "
                "peak_rss_mb=%.1f\n",
                static_cast<long long>(rows), rate, theirs, theirs > 0 ? rate / theirs : 0.0,
                peakMb);
    return 0;
}
