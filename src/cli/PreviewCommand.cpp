#include <QDir>
#include <QFileInfo>

#include "CliCommands.h"
#include "CliSupport.h"
#include "core/AppState.h"
#include "core/Database.h"
#include "core/DbRoutines.h"
#include "core/Routines.h"
#include "core/SystemError.h"
#include "spreadsheet/TableFile.h"
#include "textsource/MessageCost.h"
#include "textsource/MessageTemplate.h"
#include "textsource/PackagePolicy.h"

namespace {

const QString kCommand = QStringLiteral("preview");

const QString kHelp =
    QStringLiteral("Usage: parlex-cli preview FILE --separator X --header E|H --template T\n"
                   "                          --gsm-column C [--sheet S] [--one-sms]\n"
                   "                          [--commercial] [--unique] [--program-folder DIR]\n"
                   "\n"
                   "Shows what FILE would send: reads it as the program does, fills the\n"
                   "message template T for every row, takes the mobile number from column C\n"
                   "and tests the row as a sender does. Prints one line per row:\n"
                   "  outcome<TAB>number<TAB>message<TAB>encoding<TAB>parts\n"
                   "outcome is queued (would be sent), h01 (no usable number), h02 (message\n"
                   "longer than 160 characters, or with the one-SMS option dearer than one\n"
                   "SMS), h03 (both), h04 (on the opt-out list, with --commercial) or h05\n"
                   "(the number's later rows, with --unique); number is the normalised one,\n"
                   "empty when unusable; message is the text as sent for queued rows and the\n"
                   "filled template otherwise; encoding (gsm7 or ucs2) and parts are those of\n"
                   "the message as it would go out, the operator's code counted. Then the line\n"
                   "  queued=N h01=N h02=N h03=N h04=N h05=N sms=M\n"
                   "where M is the SMS the queued rows would be billed as.\n"
                   "A backslash, tab, CR or LF inside a value is written \\\\, \\t, \\r or \\n.\n"
                   "\n"
                   "Placeholders are [##column##]; column names are matched without regard\n"
                   "to case, and without a header line the columns are F1, F2, ...\n"
                   "A workbook (.xlsx, .ods, .xls) is read as a data file, one sheet, each\n"
                   "cell as the sheet shows it; it needs no --separator (one given is not\n"
                   "used).\n"
                   "\n"
                   "SMS are counted with the settings of the program folder DIR when it is\n"
                   "given (\"Operatör eki\" and the one-SMS option), else with an operator's\n"
                   "code of 5 characters and the option off.\n"
                   "\n"
                   "Options:\n"
                   "  --separator X    the field separator; T means tab\n"
                   "  --header E|H     E: the first line names the columns, H: it does not\n"
                   "  --sheet S        a workbook's sheet: its name, or its position from 1\n"
                   "                   (default: the first)\n"
                   "  --template T     the message template\n"
                   "  --gsm-column C   the column that holds the mobile numbers\n"
                   "  --one-sms        rows dearer than one SMS are not sent (h02, h03),\n"
                   "                   whatever the settings say\n"
                   "  --program-folder DIR  count with the settings of the folder of\n"
                   "                   ostrel.mdb; its lock is not taken, so the desktop\n"
                   "                   program may be running (without it: the defaults)\n"
                   "  --commercial     a commercial message: the program folder's opt-out\n"
                   "                   list applies and messages end with the refusal line\n"
                   "                   (a warning on standard error when none is set)\n"
                   "  --unique         one message per number\n"
                   "  -h, --help       this text\n"
                   "\n"
                   "Exit status: 0 done, 1 FILE or the settings cannot be read, 2 bad\n"
                   "arguments (also a --gsm-column that names no column of FILE).\n");

// What the rows are counted with: the program folder's settings when one is
// named, the defaults otherwise; --one-sms forces the option on. Empty after
// saying why the settings cannot be read.
std::optional<CostSettings> costSettings(const CliArguments& parsed) {
    CostSettings cost;
    const QString folder = parsed.options.value(QStringLiteral("program-folder"));
    if (parsed.options.contains(QStringLiteral("program-folder"))) {
        App().programFolder = QDir(folder).absolutePath();
        // Opening a missing database would make an empty one with the
        // defaults: a mistyped folder would pass unnoticed.
        if (!QFileInfo(DatabasePath()).isFile()) {
            PrintError(kCommand, QStringLiteral("%1 is not a program folder: it holds no %2")
                                     .arg(folder, QLatin1String(DatabaseFileName)));
            return std::nullopt;
        }
        try {
            cost = ReadCostSettings();
        } catch (const DatabaseError& error) {
            PrintError(kCommand, QStringLiteral("the settings in %1 could not be read: %2")
                                     .arg(DatabasePath(), error.message()));
            return std::nullopt;
        }
    }
    if (parsed.options.contains(QStringLiteral("one-sms")))
        cost.oneSmsOnly = true;
    return cost;
}

// The checks --commercial and --unique add: the program folder's opt-out
// list and refusal line are read only for --commercial. ExitOk, or the
// exit status after saying why not.
int openPolicy(const CliArguments& parsed, ProgramSession& session, NumberScreen& screen,
               QString& refusal) {
    const PackagePolicy policy = PolicyOf(parsed);
    if (!policy.commercial) {
        screen = NumberScreen(policy, nullptr);
        return ExitOk;
    }
    // A named folder is open already, without its lock; the default one is
    // opened as for every job, though no account is needed.
    if (!parsed.options.contains(QStringLiteral("program-folder")))
        if (const int status = session.open(kCommand, parsed, false, false); status != ExitOk)
            return status;
    try {
        screen = NumberScreen::forPolicy(policy);
    } catch (const std::exception& e) {
        PrintError(kCommand, QStringLiteral("ret listesi okunamadı: ") + ErrorText(e));
        return ExitFailure;
    }
    refusal = ReadRefusalText();
    if (LacksRefusalLine(policy, refusal))
        PrintError(kCommand, NoRefusalLineText);
    return ExitOk;
}

} // namespace

int RunPreview(const QStringList& arguments) {
    const CliArguments parsed = ParseArguments(
        arguments,
        {QStringLiteral("separator"), QStringLiteral("header"), QStringLiteral("template"),
         QStringLiteral("gsm-column"), QStringLiteral("sheet"), QStringLiteral("program-folder")},
        {QStringLiteral("one-sms"), QStringLiteral("commercial"), QStringLiteral("unique")});
    if (const auto status = HelpOrUsageError(kCommand, kHelp, parsed))
        return *status;
    for (const QString& required : {QStringLiteral("template"), QStringLiteral("gsm-column")}) {
        if (!parsed.options.contains(required)) {
            PrintError(kCommand, QStringLiteral("--%1 is missing (try --help)").arg(required));
            return ExitUsage;
        }
    }
    const QString templateText = parsed.options.value(QStringLiteral("template"));
    const QString gsmColumn = parsed.options.value(QStringLiteral("gsm-column"));

    std::optional<CostSettings> cost = costSettings(parsed);
    if (!cost)
        return ExitFailure;

    TableFile reader;
    if (const int status = OpenDataFile(kCommand, parsed, reader); status != ExitOk)
        return status;
    const int gsmIndex = reader.columnIndex(gsmColumn);
    if (gsmIndex < 0) {
        PrintError(kCommand, QStringLiteral("%1 has no column %2; its columns: %3")
                                 .arg(parsed.positional.front(), gsmColumn,
                                      reader.columnNames().join(QStringLiteral(", "))));
        return ExitUsage;
    }

    ProgramSession session;
    NumberScreen screen;
    QString refusal;
    if (const int status = openPolicy(parsed, session, screen, refusal); status != ExitOk)
        return status;
    if (session.isOpen()) {
        const bool oneSms = cost->oneSmsOnly;
        cost = ReadCostSettings();
        cost->oneSmsOnly = cost->oneSmsOnly || oneSms;
    }

    CliOutput out;
    qint64 counts[6] = {};
    qint64 sms = 0;
    const MessageTemplate messageTemplate(templateText,
                                          RefusalEnding(PolicyOf(parsed), templateText, refusal));
    while (reader.next()) {
        PreparedRow row = PrepareRow(messageTemplate, reader.record(), gsmIndex, *cost);
        screen.apply(row);
        ++counts[static_cast<int>(row.outcome)];
        const bool queued = row.outcome == RowOutcome::Queued;
        const QString& message = queued ? row.message : row.filled;
        // A row not sent shows what it would have cost: why --one-sms left it.
        const MessageCost billed = CostOfMessage(
            queued ? row.message : CleanMessageText(row.filled), cost->operatorSuffix);
        sms += queued ? billed.parts : 0;
        out.line(RowOutcomeName(row.outcome) + QLatin1Char('\t') + EscapeValue(row.number) +
                 QLatin1Char('\t') + EscapeValue(message) + QLatin1Char('\t') +
                 EncodingName(billed.encoding) + QLatin1Char('\t') + QString::number(billed.parts));
    }
    out.flush();
    if (reader.hasError()) {
        PrintError(kCommand, reader.errorString());
        return ExitFailure;
    }
    out.line(QStringLiteral("queued=%1 h01=%2 h02=%3 h03=%4")
                 .arg(counts[static_cast<int>(RowOutcome::Queued)])
                 .arg(counts[static_cast<int>(RowOutcome::NoNumber)])
                 .arg(counts[static_cast<int>(RowOutcome::TooLong)])
                 .arg(counts[static_cast<int>(RowOutcome::NoNumberTooLong)]) +
             ScreenedCounts(counts[static_cast<int>(RowOutcome::OptedOut)],
                            counts[static_cast<int>(RowOutcome::Repeated)]) +
             QStringLiteral(" sms=%1").arg(sms));
    return ExitOk;
}
