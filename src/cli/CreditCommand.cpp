#include "CliCommands.h"
#include "CliSupport.h"
#include "gateway/Gateway.h"

namespace {

const QString kCommand = QStringLiteral("credit");

const QString kHelp =
    QStringLiteral("Usage: parlex-cli credit [--program-folder DIR]\n"
                   "\n"
                   "Asks the gateway for the remembered account's credit and sender names, as\n"
                   "\"Kontör bilgisi\" does, and prints\n"
                   "  credit=N\n"
                   "  originator=NAME   (one line per sender name)\n"
                   "\n"
                   "Options:\n"
                   "  --program-folder DIR  the folder of ostrel.mdb\n"
                   "  -h, --help            this text\n"
                   "\n"
                   "Exit status: 0 done, 1 the gateway gave no credit (the reason on standard\n"
                   "error) or the program folder cannot be used, 2 bad arguments.\n");

} // namespace

int RunCredit(const QStringList& args) {
    ProgramSession session;
    if (const auto status = StartPlainJob(kCommand, kHelp, args, session, false))
        return *status;
    const std::optional<AccountInfo> account = AskAccountInfo();
    if (!account) {
        PrintError(kCommand, QStringLiteral("Mesaj merkezine ulaşılamıyor ya da hesap bilgileri "
                                            "kabul edilmedi; kontör bilgisi alınamadı."));
        return ExitFailure;
    }
    CliOutput out;
    out.line(QStringLiteral("credit=%1").arg(account->credit));
    for (const QString& originator : account->originators)
        out.line(QStringLiteral("originator=") + originator);
    return ExitOk;
}
