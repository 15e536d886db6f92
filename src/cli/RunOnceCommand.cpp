#include <memory>

#include <QDir>
#include <QFileInfo>

#include "CliCommands.h"
#include "CliSupport.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/ExitRequest.h"
#include "core/InstanceLock.h"
#include "core/ProgramFolder.h"
#include "core/Settings.h"
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

// Status-bar texts have no window here: they go to standard error.
class RunOnceUi : public HeadlessUi {
public:
    void setStatusText(const QString& text) override {
        HeadlessUi::setStatusText(text);
        if (!text.isEmpty())
            PrintError(kCommand, text);
    }
};

qint64 lastLogId() {
    Recordset rs = OpenRecordset(QStringLiteral("SELECT MAX(id) FROM tbl_log_txt"));
    return rs.isEmpty() ? 0 : rs.value(0).toLongLong();
}

} // namespace

int RunRunOnce(const QStringList& args) {
    const CliArguments arguments = ParseArguments(args, {QStringLiteral("program-folder")});
    if (const auto status = HelpOrUsageError(kCommand, kHelp, arguments))
        return *status;
    if (!arguments.positional.isEmpty()) {
        PrintError(kCommand, QStringLiteral("unexpected argument %1 (try --help)")
                                 .arg(arguments.positional.first()));
        return ExitUsage;
    }
    const QString folder = arguments.options.contains(QStringLiteral("program-folder"))
                               ? arguments.options.value(QStringLiteral("program-folder"))
                               : DefaultProgramFolder();
    if (!QFileInfo(folder).isDir()) {
        PrintError(kCommand, QStringLiteral("program folder %1 does not exist").arg(folder));
        return ExitFailure;
    }

    AppState& app = App();
    app.programFolder = QDir(folder).absolutePath();
    app.ui = std::make_shared<RunOnceUi>();

    InstanceLock lock(app.programFolder);
    if (!lock.tryLock()) {
        if (lock.failure() == InstanceLock::Failure::CannotCreate) {
            PrintError(kCommand,
                       QStringLiteral("the lock file %1 cannot be created: %2")
                           .arg(InstanceLock::lockFilePath(app.programFolder), lock.cause()));
            return ExitFailure;
        }
        const qint64 pid = lock.holderPid();
        PrintError(kCommand, QStringLiteral("another Parlex%1 is using %2")
                                 .arg(pid ? QStringLiteral(" (process %1)").arg(pid) : QString(),
                                      app.programFolder));
        return ExitFailure;
    }

    const QString cause = LoadSettings();
    if (!app.gSettingsLoaded) {
        PrintError(kCommand, QStringLiteral("the settings in %1 could not be loaded%2")
                                 .arg(DatabasePath(),
                                      cause.isEmpty() ? QString() : QStringLiteral(": ") + cause));
        return ExitFailure;
    }
    if (app.gRemember != QLatin1String("1")) {
        PrintError(kCommand,
                   QStringLiteral("no account is remembered: sign in once with Parlex and "
                                  "tick \"remember\""));
        return ExitFailure;
    }

    qint64 since = 0;
    try {
        since = lastLogId();
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
        Recordset rs =
            OpenRecordset(QStringLiteral("SELECT tarih, aciklama FROM tbl_log_txt WHERE id > ") +
                          QString::number(since) + QStringLiteral(" ORDER BY id"));
        CliOutput out;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            out.line(rs.text(0) + QLatin1Char('\t') + EscapeValue(rs.text(1)));
    } catch (const std::exception& e) {
        PrintError(kCommand, QStringLiteral("the pass ran, but its log cannot be read: %1")
                                 .arg(QString::fromUtf8(e.what())));
    }
    return ExitOk;
}
