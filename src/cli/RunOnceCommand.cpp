#include "CliCommands.h"
#include "CliSupport.h"
#include "core/DbRoutines.h"
#include "core/ExitRequest.h"
#include "rules/RuleRunner.h"
#include "rules/RuleStore.h"

namespace {

const QString kCommand = QStringLiteral("run-once");

const QString kHelp =
    QStringLiteral("Usage: parlex-cli run-once [--program-folder DIR]\n"
                   "\n"
                   "Runs one pass of automatic sending, as the desktop program's timer does:\n"
                   "every file of every running rule's incoming folder is sent and moved on.\n"
                   "Loads the settings and the remembered account from ostrel.mdb in the\n"
                   "program folder (creating the database on first use), holds the same lock\n"
                   "as the desktop program, and prints the pass's activity-log lines, each as\n"
                   "its date and time, a tab and the text. Status-bar texts (account check\n"
                   "failures) go to standard error. SIGTERM or Ctrl+C ends the pass once the\n"
                   "file in hand is sent, recorded and moved.\n"
                   "\n"
                   "Options:\n"
                   "  --program-folder DIR  the folder of ostrel.mdb (default: the program's\n"
                   "                        folder, or the per-user data folder)\n"
                   "  -h, --help            this text\n"
                   "\n"
                   "Exit status: 0 the pass ran, 1 it could not run (no settings, account not\n"
                   "remembered, another Parlex holds the folder, the lock file cannot be\n"
                   "created), 2 bad arguments.\n");

} // namespace

int RunRunOnce(const QStringList& args) {
    // Status-bar texts (account check failures) have no window here.
    ProgramSession session;
    if (const auto status = StartPlainJob(kCommand, kHelp, args, session, true))
        return *status;

    std::optional<LogTail> log;
    try {
        log.emplace();
        if (AutoSendSwitch() != QLatin1String("1")) {
            PrintError(kCommand,
                       QStringLiteral("automatic sending is switched off (flg_parlex is not 1): "
                                      "no file will be sent"));
        }
    } catch (const std::exception& e) {
        PrintError(kCommand, QString::fromUtf8(e.what()));
        return ExitFailure;
    }

    // SIGTERM or Ctrl+C: the file in hand is finished (sent, recorded and
    // moved) and no other is started.
    WatchExitSignals();
    OtoMesaj();
    if (ExitRequested())
        PrintError(kCommand, QStringLiteral("stopped on request; the other files wait"));

    try {
        log->printNew();
    } catch (const std::exception& e) {
        PrintError(kCommand, QStringLiteral("the pass ran, but its log cannot be read: %1")
                                 .arg(QString::fromUtf8(e.what())));
    }
    return ExitOk;
}
