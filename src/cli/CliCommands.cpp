#include "CliCommands.h"

#include "CliSupport.h"

namespace {

QString usage() {
    QString text = QStringLiteral("Usage: parlex-cli COMMAND [ARGUMENTS]\n"
                                  "\n"
                                  "The headless face of Parlex. Commands:\n");
    for (const CliCommand& command : CliCommands())
        text += QStringLiteral("  %1  %2\n").arg(command.name.leftJustified(8), command.summary);
    text += QStringLiteral("\n"
                           "parlex-cli COMMAND --help tells more about each.\n"
                           "Exit status: 0 done, 1 the work failed, 2 bad arguments (send: 3 the\n"
                           "outcome is unknown).\n");
    return text;
}

} // namespace

const std::vector<CliCommand>& CliCommands() {
    static const std::vector<CliCommand> commands = {
        {QStringLiteral("read"), QStringLiteral("print a data file as the program reads it"),
         RunRead},
        {QStringLiteral("preview"),
         QStringLiteral("show what each row of a data file would send and cost"), RunPreview},
        {QStringLiteral("run-once"),
         QStringLiteral("run one pass of automatic sending over the running rules"), RunRunOnce},
        {QStringLiteral("send"), QStringLiteral("send a data file as one package"), RunSend},
        {QStringLiteral("credit"), QStringLiteral("show the account's credit and sender names"),
         RunCredit},
        {QStringLiteral("watch"),
         QStringLiteral("send automatically at every polling period until stopped"), RunWatch},
        {QStringLiteral("packages"), QStringLiteral("list the packages sent, newest first"),
         RunPackages},
        {QStringLiteral("report"),
         QStringLiteral("a delivery report: of a package, a date range or a number"), RunReport},
        {QStringLiteral("optout"),
         QStringLiteral("the opt-out list: add, remove, import, list or count numbers"), RunOptOut},
    };
    return commands;
}

int RunCli(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        PrintError(QString(), QStringLiteral("no command given (try --help)"));
        return ExitUsage;
    }
    const QString& name = arguments.front();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        PrintText(usage());
        return ExitOk;
    }
    for (const CliCommand& command : CliCommands()) {
        if (command.name == name)
            return command.run(arguments.mid(1));
    }
    PrintError(QString(), QStringLiteral("unknown command %1 (try --help)").arg(name));
    return ExitUsage;
}
