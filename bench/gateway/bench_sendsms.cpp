// Builds a basket of N messages (default 1,000,000, each 160 characters) and
// submits it with sendsms to a parlex-gateway-sim started for the run, then
// posts the very same body with `curl --data-binary` to the same simulator.
// Prints one line: messages per second, the time ratio sendsms / curl (best of
// the runs), and the peak memory of this process against the body size.
//
//   bench_sendsms [MESSAGES] [RUNS]

#include <algorithm>
#include <cstdio>
#include <limits>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/AppState.h"
#include "core/GatewayMode.h"
#include "gateway/Gateway.h"

namespace {

const QString User = QStringLiteral("bench-1");
const QString Password = QStringLiteral("pw");
const QString Originator = QStringLiteral("BENCH");

// Writes the body it is given into a file instead of posting it.
class FileTransport : public HttpTransport {
public:
    explicit FileTransport(QString path)
        : m_path(std::move(path)) {}
    HttpResult post(const QString&, const RequestBody& body) override {
        QFile file(m_path);
        HttpResult result;
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return result;
        for (const std::string_view piece : body.pieces())
            file.write(piece.data(), qint64(piece.size()));
        result.ok = file.error() == QFileDevice::NoError;
        result.body = "00 0";
        return result;
    }

private:
    QString m_path;
};

// One message per index, every one different, 160 characters.
void fill(Gateway& gateway, int count) {
    QString text = QStringLiteral("Sayin musteri 0000000, Mart 2024 donemi faturaniz 1234,56 TL "
                                  "tutarindadir. Son odeme tarihi 15.04.2024. Bilgi icin "
                                  "0850 000 00 00 numarasini arayiniz. Iyi gunler.");
    text = text.leftJustified(160, QLatin1Char('.'), true);
    QString number = QStringLiteral("5300000000");
    for (int i = 0; i < count; ++i) {
        int n = i;
        for (int pos = 20; pos >= 14; --pos, n /= 10)
            text[pos] = QChar(u'0' + n % 10);
        n = i;
        for (int pos = 9; pos >= 2; --pos, n /= 10)
            number[pos] = QChar(u'0' + n % 10);
        gateway.addtosmsbasket(text, number);
    }
}

int startSimulator(QProcess& sim) {
    sim.start(QStringLiteral(PARLEX_GATEWAY_SIM),
              {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--account"),
               User + u':' + Password + QStringLiteral(":1000000000000:") + Originator});
    if (!sim.waitForStarted(10000))
        return 0;
    while (!sim.canReadLine()) {
        if (!sim.waitForReadyRead(10000))
            return 0;
    }
    const auto match = QRegularExpression(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"))
                           .match(QString::fromUtf8(sim.readLine()));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

double seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args[1].toInt() : 1'000'000;
    const int runs = args.size() > 2 ? args[2].toInt() : 3;
    if (count <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: bench_sendsms [MESSAGES] [RUNS]\n");
        return 2;
    }

    QProcess sim;
    const int port = startSimulator(sim);
    if (port == 0) {
        std::fprintf(stderr, "bench_sendsms: the simulator did not start\n");
        return 1;
    }
    App().gGatewayMode = GatewayMode::Hollin;
    App().gGatewayUrl = QStringLiteral("http://127.0.0.1:%1/sms/com.corvane").arg(port);

    QTemporaryDir dir;
    const QString bodyFile = dir.filePath(QStringLiteral("body.xml"));
    {
        Gateway capture(std::make_shared<FileTransport>(bodyFile));
        fill(capture, count);
        capture.sendsms(User, Password, Originator, QString());
    }
    const double bodyBytes = double(QFile(bodyFile).size());

    double bestCurl = std::numeric_limits<double>::max();
    double bestFill = bestCurl;
    double bestSend = bestCurl;
    for (int run = 0; run < runs; ++run) {
        QProcess curl;
        QElapsedTimer timer;
        timer.start();
        curl.start(QStringLiteral("curl"),
                   {QStringLiteral("-sS"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                    QStringLiteral("-w"), QStringLiteral("%{http_code}"), QStringLiteral("-H"),
                    QStringLiteral("Content-Type: text/plain;charset=UTF-8"), QStringLiteral("-H"),
                    QStringLiteral("Expect:"), QStringLiteral("--data-binary"), u'@' + bodyFile,
                    App().gGatewayUrl});
        if (!curl.waitForFinished(-1) || curl.exitCode() != 0 ||
            curl.readAllStandardOutput() != "200") {
            std::fprintf(stderr, "bench_sendsms: curl failed: %s\n",
                         curl.readAllStandardError().constData());
            return 1;
        }
        bestCurl = std::min(bestCurl, seconds(timer));

        Gateway gateway;
        timer.start();
        fill(gateway, count);
        bestFill = std::min(bestFill, seconds(timer));
        timer.start();
        const QString reply = gateway.sendsms(User, Password, Originator, QString());
        bestSend = std::min(bestSend, seconds(timer));
        if (!reply.startsWith(QLatin1String("00 "))) {
            std::fprintf(stderr, "bench_sendsms: the package was refused: %s\n",
                         qPrintable(reply.left(80)));
            return 1;
        }
    }
    sim.terminate();
    sim.waitForFinished(10000);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakBytes = double(usage.ru_maxrss) * 1024.0;
    std::printf("sendsms %d messages, body %.1f MB: fill %.2f s + sendsms %.2f s = %.0f msg/s "
                "(sendsms alone %.0f msg/s); curl --data-binary %.2f s; sendsms/curl %.2f, "
                "(fill+sendsms)/curl %.2f; peak memory %.1f MB = %.2f x body (best of %d)\n",
                count, bodyBytes / 1e6, bestFill, bestSend, count / (bestFill + bestSend),
                count / bestSend, bestCurl, bestSend / bestCurl, (bestFill + bestSend) / bestCurl,
                peakBytes / 1e6, peakBytes / bodyBytes, runs);
    return 0;
}
