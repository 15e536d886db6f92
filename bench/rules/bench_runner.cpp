// One pass of automatic sending over generated files, against the gateway
// simulator on loopback:
//   big:   one file of --rows rows (default 1,000,000): rows per second end to
//          end (read, fill, test, basket, body, post, record, move) and the
//          share of each stage, measured by running the stages alone on the
//          same file in the same invocation. Reading overlaps the row test
//          and the basket (the reader splits ahead on its own thread), so
//          those are one stage;
//   files: --files small files (default 1,000) of ten rows each: files per
//          second.
// Usage: bench_runner [big|files] [--rows N] [--runs N] [--files N]
#include <algorithm>
#include <cstdio>
#include <memory>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "GatewaySimulator.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/GatewayMode.h"
#include "gateway/Gateway.h"
#include "rules/RuleRunner.h"
#include "rules/RuleStore.h"
#include "textsource/DelimitedReader.h"
#include "textsource/MessageTemplate.h"
#include "textsource/SchemaIni.h"

namespace {

const char* const Names[] = {"Ayşe Yılmaz", "Çağrı Öztürk", "Şükrü Işık", "Gül Demir", "Ali Veli"};

void writeFile(const QString& path, qint64 rows) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray chunk;
    chunk.reserve(1 << 20);
    chunk += "gsm;ad;tutar\r\n";
    for (qint64 i = 0; i < rows; ++i) {
        chunk += "0532";
        chunk += QByteArray::number(1000000 + i % 9000000);
        chunk += ';';
        chunk += Names[i % 5];
        chunk += ';';
        chunk += QByteArray::number(10 + i % 990);
        chunk += ",50\r\n";
        if (chunk.size() > (1 << 20) - 256) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    file.flush();
    file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
}

struct World {
    QTemporaryDir dir;
    GatewaySimulator sim;
    QString in;
    QString out;

    World() {
        AppState::reset();
        App().programFolder = dir.path();
        sim.addAccount(SimAccount{"bench-1", "pw", qint64(1) << 40, {"PARLEX"}});
        sim.setFinalStates(true);
        if (!sim.start(0))
            qFatal("the simulator cannot listen");
        App().gGatewayMode = GatewayMode::Main;
        App().gUserName = QStringLiteral("bench");
        App().gClientCode = QStringLiteral("1");
        App().gPassword = QStringLiteral("pw");
        App().gGatewayUrl = sim.url();
        in = dir.filePath(QStringLiteral("gelen"));
        out = dir.filePath(QStringLiteral("giden"));
        QDir().mkpath(in);
        QDir().mkpath(out);
        Rule r;
        r.kural_adi = QStringLiteral("bench");
        r.gelen_klasor = in;
        r.giden_klasor = out;
        r.mesaj_sablonu = QStringLiteral("Sayın [##ad##], borcunuz [##tutar##] TL.");
        r.originator = QStringLiteral("PARLEX");
        r.fgsmno = QStringLiteral("gsm");
        r.metin_ayraci = QStringLiteral(";");
        r.baslik_var = QStringLiteral("E");
        InsertRule(r);
        SetAutoSendSwitch(true);
    }
    ~World() {
        sim.stop();
        AppState::reset();
    }
};

double seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// Each figure is the best of `runs`: the machine's other work only ever adds.
int big(qint64 rows, int runs) {
    World w;
    const QString name = QStringLiteral("liste.txt");
    const QString incoming = QDir(w.in).filePath(name);
    const QString moved = QDir(w.out).filePath(name);
    writeFile(incoming, rows);

    double endToEnd = 1e9;
    double readToBasket = 1e9;
    double post = 1e9;
    for (int run = 0; run < runs; ++run) {
        const qint64 before = w.sim.messageCount();
        QElapsedTimer total;
        total.start();
        OtoMesaj();
        endToEnd = std::min(endToEnd, seconds(total));
        if (w.sim.messageCount() - before != rows || !QFile::exists(moved)) {
            std::fprintf(stderr,
                         "bench_runner: the pass sent %lld messages, expected %lld, or did not "
                         "move the file\n",
                         static_cast<long long>(w.sim.messageCount() - before),
                         static_cast<long long>(rows));
            return 1;
        }

        // The same stages alone, on the moved file.
        WriteSchemaIni(w.out, QStringLiteral(";"), QStringLiteral("E"));
        QElapsedTimer t;
        t.start();
        DelimitedReader reader;
        if (!reader.open(w.out, name))
            qFatal("%s", qPrintable(reader.errorString()));
        const MessageTemplate templ(QStringLiteral("Sayın [##ad##], borcunuz [##tutar##] TL."));
        RowTester tester(templ, reader.columnIndex(u"gsm"));
        Gateway gateway;
        while (reader.next()) {
            if (tester.test(reader.record()) == RowOutcome::Queued)
                gateway.addCleanedToBasket(tester.filled(), tester.number());
        }
        readToBasket = std::min(readToBasket, seconds(t));
        reader.close();

        t.restart();
        const QString reply = gateway.sendsms(App().gatewayUserName(), App().gPassword,
                                              QStringLiteral("PARLEX"), QString());
        post = std::min(post, seconds(t));
        if (reply.startsWith(QLatin1Char('-')) || reply.size() < 4)
            qFatal("sendsms: %s", qPrintable(reply));

        // Back where it arrived, old enough to be taken at once.
        if (!QFile::rename(moved, incoming))
            qFatal("cannot move %s back", qPrintable(moved));
        QFile file(incoming);
        if (!file.open(QIODevice::ReadWrite) ||
            !file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                              QFileDevice::FileModificationTime)) {
            qFatal("cannot age %s", qPrintable(incoming));
        }
    }

    const double rest = std::max(0.0, endToEnd - readToBasket - post);
    const auto share = [endToEnd](double s) {
        return 100.0 * s / endToEnd;
    };
    std::printf("bench_runner big: %lld rows in %.2f s end to end = %.0f rows/s (best of %d); "
                "read+fill+test+basket %.0f%%, body+post (simulator included) %.0f%%, "
                "account check+journal+record+move %.0f%% (target >= 1000000 rows/s)\n",
                static_cast<long long>(rows), endToEnd, static_cast<double>(rows) / endToEnd, runs,
                share(readToBasket), share(post), share(rest));
    return 0;
}

int files(int count) {
    World w;
    for (int i = 0; i < count; ++i)
        writeFile(
            QDir(w.in).filePath(QStringLiteral("liste%1.txt").arg(i, 5, 10, QLatin1Char('0'))), 10);
    QElapsedTimer t;
    t.start();
    OtoMesaj();
    const double s = seconds(t);
    if (w.sim.packageCount() != count) {
        std::fprintf(stderr, "bench_runner: %d packages at the simulator, expected %d\n",
                     w.sim.packageCount(), count);
        return 1;
    }
    std::printf("bench_runner files: %d files of 10 rows in %.2f s = %.0f files/s "
                "(target >= 100 files/s)\n",
                count, s, count / s);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    qputenv("no_proxy", "127.0.0.1");
    App().ui = std::make_shared<HeadlessUi>();
    QStringList args = app.arguments().mid(1);
    qint64 rows = 1000000;
    int fileCount = 1000;
    int runs = 3;
    QString mode;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows") && i + 1 < args.size())
            rows = args[++i].toLongLong();
        else if (args[i] == QLatin1String("--files") && i + 1 < args.size())
            fileCount = args[++i].toInt();
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else
            mode = args[i];
    }
    int rc = 0;
    if (mode.isEmpty() || mode == QLatin1String("big"))
        rc |= big(rows, runs);
    if (mode.isEmpty() || mode == QLatin1String("files"))
        rc |= files(fileCount);
    return rc;
}
