#include <cstdio>
#include <unistd.h>

#include <QDateTime>
#include <QFileInfo>

#include "CliCommands.h"
#include "CliSupport.h"
#include "core/ExitRequest.h"
#include "core/PendingRecords.h"
#include "filesend/FileSubmission.h"
#include "filesend/PackageBuilder.h"
#include "filesend/PackageList.h"
#include "gateway/Gateway.h"
#include "rules/SentFileJournal.h"
#include "spreadsheet/TableFile.h"
#include "textsource/MessageCost.h"
#include "textsource/RecordStream.h"
#include "textsource/SampleFile.h"

namespace {

const QString kCommand = QStringLiteral("send");
const QString kAtFormat = QStringLiteral("dd.MM.yyyy HH:mm");

const QString kHelp = QStringLiteral(
    "Usage: parlex-cli send FILE --separator X --header E|H --gsm-column C --template T\n"
    "                       [--sheet S] [--originator NAME] [--at \"dd.MM.yyyy HH:mm\"]\n"
    "                       [--one-sms] [--commercial] [--unique] [--yes] [--resend]\n"
    "                       [--program-folder DIR]\n"
    "\n"
    "Sends FILE as one package, as the \"Dosyadan SMS gönder\" window does: builds\n"
    "the list (rows that cannot be sent go to h01_, h02_ and h03_ files beside\n"
    "FILE, rows left out by --commercial and --unique to h04_ and h05_), asks the\n"
    "gateway for the credit and prints\n"
    "  queued=N h01=N h02=N h03=N h04=N h05=N sms=M\n"
    "  credit=N\n"
    "then asks \"Devam etmek istiyor musunuz?\" on a terminal (e: yes), submits\n"
    "and prints\n"
    "  MsgID: ID\n"
    "The package is recorded and logged as the window records it. The\n"
    "submission is journalled before it leaves: when an earlier send of the same\n"
    "content (size and SHA-256, wherever the file is) never learned its outcome\n"
    "(killed, connection lost), send refuses with exit status 3 until --resend.\n"
    "\n"
    "M is the SMS the package will be billed as: each message counted with the\n"
    "operator's code the settings name (\"Operatör eki\"). With the settings'\n"
    "one-SMS option, or --one-sms, rows dearer than one SMS go to h02_ (h03_\n"
    "without a number) like rows longer than 160 characters.\n"
    "\n"
    "A workbook (.xlsx, .ods, .xls) is sent as a data file, one sheet, each cell\n"
    "as the sheet shows it; it needs no --separator (one given is not used), and\n"
    "its reject rows go to workbooks h01_NAME.xlsx, ... under its header row.\n"
    "\n"
    "Options:\n"
    "  --separator X         the field separator; T means tab\n"
    "  --header E|H          E: the first line names the columns, H: it does not\n"
    "  --gsm-column C        the column that holds the mobile numbers\n"
    "  --template T          the message template, [##column##] for a value\n"
    "  --sheet S             a workbook's sheet: its name, or its position from 1\n"
    "                        (default: the first)\n"
    "  --originator NAME     one of the account's sender names (default: its first)\n"
    "  --at \"dd.MM.yyyy HH:mm\" deliver at that time instead of now\n"
    "  --one-sms             send no row dearer than one SMS, whatever the\n"
    "                        settings say\n"
    "  --commercial          a commercial message (ticari ileti): numbers on the\n"
    "                        opt-out list of the program folder are left out (h04),\n"
    "                        and every message ends with the refusal line of the\n"
    "                        settings (a warning on standard error when none is set)\n"
    "  --unique              one message per number: a number's later rows are left\n"
    "                        out (h05)\n"
    "  --yes                 send without asking (needed when not on a terminal)\n"
    "  --resend              send although an earlier send of the same content\n"
    "                        may have reached the gateway (check its reports first)\n"
    "  --program-folder DIR  the folder of ostrel.mdb\n"
    "  -h, --help            this text\n"
    "\n"
    "Exit status: 0 sent, 1 not sent (the reason on standard error), 2 bad\n"
    "arguments, 3 the outcome is unknown: the package may have reached the\n"
    "gateway; check its reports before sending again.\n");

bool isBlank(const QString& text) {
    return text.isEmpty() || text == QLatin1String(" ");
}

// The window's Yes/No question, on the terminal; anything but e or y is No.
bool confirmOnTerminal(const QString& question) {
    PrintText(question + QStringLiteral(" [e/H] "));
    char answer[64] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    const QString text = QString::fromUtf8(answer).trimmed().toLower();
    return text == QLatin1String("e") || text == QLatin1String("evet") ||
           text == QLatin1String("y") || text == QLatin1String("yes");
}

struct SendOptions {
    QString path;
    bool workbook = false;
    int sheet = 0; // of a workbook, from 0
    QString separator;
    QString header;
    QString gsmColumn;
    QString templateText;
    std::optional<QDateTime> at;
    bool yes = false;
    bool resend = false;
};

// The checks that need no program folder; ExitOk or the status after saying why.
int checkOptions(const CliArguments& parsed, SendOptions& options) {
    if (parsed.positional.size() != 1) {
        PrintError(kCommand, parsed.positional.isEmpty()
                                 ? QStringLiteral("FILE is missing (try --help)")
                                 : QStringLiteral("only one FILE, please (try --help)"));
        return ExitUsage;
    }
    options.workbook = IsWorkbookName(parsed.positional.front());
    for (const char* required : {"separator", "header", "gsm-column", "template"}) {
        // A workbook has no separator: one given is not used.
        if (options.workbook && QLatin1String(required) == QLatin1String("separator"))
            continue;
        if (!parsed.options.contains(QLatin1String(required))) {
            PrintError(kCommand,
                       QStringLiteral("--%1 is missing (try --help)").arg(QLatin1String(required)));
            return ExitUsage;
        }
    }
    options.separator = parsed.options.value(QStringLiteral("separator"));
    options.header = parsed.options.value(QStringLiteral("header"));
    options.gsmColumn = parsed.options.value(QStringLiteral("gsm-column"));
    options.templateText = parsed.options.value(QStringLiteral("template"));
    options.yes = parsed.options.contains(QStringLiteral("yes"));
    options.resend = parsed.options.contains(QStringLiteral("resend"));
    if (isBlank(options.separator) && !options.workbook) {
        PrintError(kCommand, QStringLiteral("--separator is empty (T means tab)"));
        return ExitUsage;
    }
    if (options.header != QLatin1String("E") && options.header != QLatin1String("H")) {
        PrintError(kCommand, QStringLiteral("--header must be E (header line) or H (none)"));
        return ExitUsage;
    }
    if (parsed.options.contains(QStringLiteral("sheet")) && !options.workbook) {
        PrintError(kCommand,
                   QStringLiteral("--sheet is for workbooks (.xlsx, .ods, .xls), not data files"));
        return ExitUsage;
    }
    if (isBlank(options.templateText)) {
        PrintError(kCommand, QStringLiteral("Lütfen göndermek istediğiniz mesajı belirtiniz."));
        return ExitUsage;
    }
    if (parsed.options.contains(QStringLiteral("at"))) {
        const QString at = parsed.options.value(QStringLiteral("at"));
        const QDateTime when = QDateTime::fromString(at, kAtFormat);
        if (!when.isValid()) {
            PrintError(kCommand, QStringLiteral("--at %1 is not a date and time as %2")
                                     .arg(at, QStringLiteral("dd.MM.yyyy HH:mm")));
            return ExitUsage;
        }
        options.at = when;
    }
    // Checked before anything is built: an unattended run must not stop at a
    // question nobody can answer.
    if (!options.yes && !::isatty(STDIN_FILENO)) {
        PrintError(kCommand,
                   QStringLiteral("not on a terminal, so nobody can confirm: add --yes to send"));
        return ExitFailure;
    }
    options.path = QFileInfo(parsed.positional.front()).absoluteFilePath();
    if (const QString problem = DataFileProblem(options.path); !problem.isEmpty()) {
        PrintError(kCommand, problem);
        return ExitFailure;
    }
    if (options.workbook)
        return SheetOfWorkbook(kCommand, options.path,
                               parsed.options.value(QStringLiteral("sheet")), options.sheet);
    return ExitOk;
}

// An earlier send of the same content whose outcome nobody learned (the
// command was killed, the reply was lost): sending again could deliver every
// message twice, so it is refused until the user has checked the gateway's
// reports and says --resend. ExitOk when the send may go on.
int checkEarlierSubmission(const SendOptions& options, const QString& fileName) {
    // A package accepted whose record still waits is not unknown: its
    // record clears its entry.
    if (const QString notYet = PendingRecords::applyPending(); !notYet.isEmpty()) {
        PrintError(kCommand, QStringLiteral("kayıtlar veritabanına yazılamadı: ") + notYet);
        return ExitFailure;
    }
    QString error;
    const auto identity = FileIdentity::of(options.path, &error);
    if (!identity) {
        PrintError(kCommand, fileName + QStringLiteral(" dosyası okunamadı: ") + error);
        return ExitFailure;
    }
    const auto earlier = SentFileJournal::findUnknown(*identity);
    if (!earlier || options.resend)
        return ExitOk;
    const QString text = fileName + QStringLiteral(" dosyası ") + earlier->when +
                         QStringLiteral(" tarihinde gönderildi, gönderim sonucu bilinmiyor: paket "
                                        "mesaj merkezine ulaşmış olabilir. Yeniden göndermeden "
                                        "önce mesaj merkezindeki raporları kontrol edin.");
    // Logged once, not at every try.
    if (!earlier->reported) {
        FileSendWriteLog(PackageBuilder::Tag + text);
        SentFileJournal::noteReported(earlier->id);
    }
    PrintError(kCommand, text + QStringLiteral(" Yine de göndermek için: --resend"));
    return ExitUnknownOutcome;
}

} // namespace

int RunSend(const QStringList& arguments) {
    const CliArguments parsed = ParseArguments(
        arguments,
        {QStringLiteral("separator"), QStringLiteral("header"), QStringLiteral("gsm-column"),
         QStringLiteral("template"), QStringLiteral("originator"), QStringLiteral("at"),
         QStringLiteral("sheet"), QStringLiteral("program-folder")},
        {QStringLiteral("yes"), QStringLiteral("resend"), QStringLiteral("one-sms"),
         QStringLiteral("commercial"), QStringLiteral("unique")});
    if (const auto status = HelpOrUsageError(kCommand, kHelp, parsed))
        return *status;
    SendOptions options;
    if (const int status = checkOptions(parsed, options); status != ExitOk)
        return status;
    ProgramSession session;
    if (const int status = session.open(kCommand, parsed, false); status != ExitOk)
        return status;
    // Ctrl+C stops a build; a package that has left is still seen through
    // and recorded.
    WatchExitSignals();
    if (const int status = checkEarlierSubmission(options, QFileInfo(options.path).fileName());
        status != ExitOk)
        return status;

    SampleFile sample;
    if (options.workbook) {
        // Nothing to describe: only the header flag applies.
        const ChosenPath chosen = SplitChosenPath(options.path);
        sample = {options.path, chosen.folder, chosen.file,
                  RuleTextFormat(QString(), options.header), QString()};
    } else {
        sample = DescribeSampleFile(
            options.path,
            {options.separator == QLatin1String("T"), options.separator,
             options.header == QLatin1String("E") ? QStringLiteral("Var") : QStringLiteral("Yok")});
    }
    {
        TableFile probe;
        if (!probe.open(options.path, sample.format, options.sheet)) {
            PrintError(kCommand,
                       sample.file + QStringLiteral(" dosyası okunamadı: ") + probe.errorString());
            return ExitFailure;
        }
        // The window offers only the file's columns.
        if (probe.columnIndex(options.gsmColumn) < 0) {
            PrintError(kCommand, QStringLiteral("%1 has no column %2; its columns: %3")
                                     .arg(sample.file, options.gsmColumn,
                                          probe.columnNames().join(QStringLiteral(", "))));
            return ExitUsage;
        }
    }

    PackageBuilder builder(
        {sample.folder, sample.file, sample.format,
         sample.separator == QLatin1String("T") ? QStringLiteral("\t") : sample.separator,
         options.sheet});
    builder.oneSmsOnly = parsed.options.contains(QStringLiteral("one-sms"));
    builder.policy = PolicyOf(parsed);
    builder.onProgress = [&builder](const PackageList&) {
        if (ExitRequested())
            builder.cancel();
    };
    PackageList list;
    const PackageBuilder::Result built =
        builder.build(options.templateText, options.gsmColumn, list);
    if (built == PackageBuilder::Result::Cancelled || ExitRequested()) {
        FileSendLog(PackageBuilder::CancelledText);
        PrintError(kCommand, QStringLiteral("stopped on request; nothing was sent"));
        return ExitFailure;
    }
    if (built == PackageBuilder::Result::Unreadable) {
        PrintError(kCommand,
                   sample.file + QStringLiteral(" dosyası okunamadı: ") + builder.errorString());
        return ExitFailure;
    }
    if (built == PackageBuilder::Result::RejectsNotWritten ||
        built == PackageBuilder::Result::OptOutUnreadable) {
        PrintError(kCommand, builder.errorString());
        return ExitFailure;
    }
    if (builder.lacksRefusalLine())
        PrintError(kCommand, NoRefusalLineText);
    PrintText(QStringLiteral("queued=%1 h01=%2 h02=%3 h03=%4")
                  .arg(list.size())
                  .arg(builder.noNumber())
                  .arg(builder.tooLong())
                  .arg(builder.noNumberTooLong()) +
              ScreenedCounts(builder.optedOut(), builder.repeated()) +
              QStringLiteral(" sms=%1\n").arg(list.sms()));

    const std::optional<AccountInfo> account = AskAccountInfo();
    if (!account) {
        PrintError(kCommand, QStringLiteral("Mesaj merkeziyle bağlantı kurulamıyor. Lütfen "
                                            "bağlantınızı ve güvenlik ayarlarınızı kontrol "
                                            "ediniz."));
        return ExitFailure;
    }
    PrintText(QStringLiteral("credit=%1\n").arg(account->credit));
    QString originator = account->originators.value(0);
    if (parsed.options.contains(QStringLiteral("originator"))) {
        originator = parsed.options.value(QStringLiteral("originator"));
        if (!account->originators.contains(originator)) {
            PrintError(kCommand,
                       QStringLiteral("%1 is not a sender name of the account; its "
                                      "sender names: %2")
                           .arg(originator, account->originators.join(QStringLiteral(", "))));
            return ExitFailure;
        }
    }
    if (list.isEmpty()) {
        PrintError(kCommand, EmptyListText);
        return ExitFailure;
    }
    if (account->credit < list.size()) {
        PrintError(kCommand, NotEnoughCreditText);
        return ExitFailure;
    }
    if (!options.yes && !confirmOnTerminal(SendConfirmationText(list.size(), options.at, list.sms(),
                                                                account->credit))) {
        PrintError(kCommand, QStringLiteral("not confirmed; nothing was sent"));
        return ExitFailure;
    }
    if (ExitRequested()) {
        PrintError(kCommand, QStringLiteral("stopped on request; nothing was sent"));
        return ExitFailure;
    }

    const int errorsBefore = session.ui().errorsShown();
    const FileSendResult result = SendPackageList(list, {sample.file, originator, options.at},
                                                  FileSendJournal{options.path, options.resend});
    if (result.accepted) {
        PrintText(QStringLiteral("MsgID: ") + result.outcome->packageId + QLatin1Char('\n'));
        return ExitOk;
    }
    // Its box, with the advice to check the reports, is on standard error.
    if (result.outcome && result.outcome->stage == SubmissionStage::Submitted &&
        result.outcome->verdict == SubmissionVerdict::Unknown)
        return ExitUnknownOutcome;
    // A refusal the window only logs (too little credit in the main mode).
    if (session.ui().errorsShown() == errorsBefore)
        PrintError(kCommand,
                   result.outcome ? result.outcome->fileLogLine(sample.file) : result.error);
    return ExitFailure;
}
