#include <optional>

#include <QCoreApplication>

#include "CliCommands.h"
#include "CliSupport.h"
#include "core/AppState.h"
#include "core/ExitRequest.h"
#include "rules/PollingTimer.h"
#include "rules/RuleRunner.h"

namespace {

const QString kCommand = QStringLiteral("watch");

const QString kHelp =
    QStringLiteral("Usage: parlex-cli watch [--program-folder DIR]\n"
                   "\n"
                   "Automatic sending without a window: a pass over the running rules at once,\n"
                   "then one every polling period (kontrol_periyot) until SIGTERM or Ctrl+C,\n"
                   "as the desktop program's timer does. Holds the same lock as the desktop\n"
                   "program, which cannot start meanwhile. After every pass its activity-log\n"
                   "lines are printed, each as its date and time, a tab and the text;\n"
                   "status-bar texts go to standard error. SIGTERM or Ctrl+C during a pass\n"
                   "ends it once the file in hand is sent, recorded and moved.\n"
                   "\n"
                   "Options:\n"
                   "  --program-folder DIR  the folder of ostrel.mdb (default: the program's\n"
                   "                        folder, or the per-user data folder)\n"
                   "  -h, --help            this text\n"
                   "\n"
                   "Exit status: 0 ended on request, 1 it could not run (no settings, account\n"
                   "not remembered, automatic sending switched off, another Parlex holds the\n"
                   "folder), 2 bad arguments.\n");

const QString kSwitchedOff =
    QStringLiteral("automatic sending is switched off (flg_parlex is not 1): start it in "
                   "Raporlar -> Hizmet durumu");

} // namespace

int RunWatch(const QStringList& args) {
    ProgramSession session;
    if (const auto status = StartPlainJob(kCommand, kHelp, args, session, true))
        return *status;

    std::optional<LogTail> log;
    try {
        log.emplace();
    } catch (const std::exception& e) {
        PrintError(kCommand, QString::fromUtf8(e.what()));
        return ExitFailure;
    }

    WatchExitSignals([] { QCoreApplication::quit(); });
    PollingTimer timer(nullptr, [&log] {
        OtoMesaj();
        try {
            log->printNew();
        } catch (const std::exception& e) {
            PrintError(
                kCommand,
                QStringLiteral("the log cannot be read: %1").arg(QString::fromUtf8(e.what())));
        }
    });
    timer.setInterval(App().gCheckPeriod);
    // Switched off, the timer stops after its pass; nothing could switch it on
    // again while this holds the lock, so the watch ends rather than idles.
    bool switchedOff = false;
    QObject::connect(&timer, &PollingTimer::enabledChanged, [&switchedOff](bool on) {
        if (!on) {
            switchedOff = true;
            QCoreApplication::quit();
        }
    });
    timer.setEnabled(true);
    QMetaObject::invokeMethod(&timer, &PollingTimer::tick, Qt::QueuedConnection);
    if (!ExitRequested())
        QCoreApplication::exec();
    if (switchedOff) {
        PrintError(kCommand, kSwitchedOff);
        return ExitFailure;
    }
    PrintError(kCommand, QStringLiteral("stopped on request"));
    return ExitOk;
}
