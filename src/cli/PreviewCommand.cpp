#include "CliCommands.h"
#include "CliSupport.h"
#include "core/SystemError.h"
#include "spreadsheet/TableFile.h"
#include "textsource/MessageTemplate.h"
#include "textsource/PackagePolicy.h"

namespace {

const QString kCommand = QStringLiteral("preview");

const QString kHelp =
    QStringLiteral("Usage: parlex-cli preview FILE --separator X --header E|H --template T\n"
                   "                          --gsm-column C [--sheet S] [--commercial]\n"
                   "                          [--unique] [--program-folder DIR]\n"
                   "\n"
                   "Shows what FILE would send: reads it as the program does, fills the\n"
                   "message template T for every row, takes the mobile number from column C\n"
                   "and tests the row as a sender does. Prints one line per row:\n"
                   "  outcome<TAB>number<TAB>message\n"
                   "outcome is queued (would be sent), h01 (no usable number), h02 (message\n"
                   "longer than 160 characters), h03 (both), h04 (on the opt-out list, with\n"
                   "--commercial) or h05 (the number's later rows, with --unique); number is\n"
                   "the normalised one, empty when unusable; message is the text as sent for\n"
                   "queued rows and the filled template otherwise. Then the line\n"
                   "  queued=N h01=N h02=N h03=N h04=N h05=N\n"
                   "A backslash, tab, CR or LF inside a value is written \\\\, \\t, \\r or \\n.\n"
                   "\n"
                   "Placeholders are [##column##]; column names are matched without regard\n"
                   "to case, and without a header line the columns are F1, F2, ...\n"
                   "A workbook (.xlsx, .ods, .xls) is read as a data file, one sheet, each\n"
                   "cell as the sheet shows it; it needs no --separator (one given is not\n"
                   "used).\n"
                   "\n"
                   "Options:\n"
                   "  --separator X    the field separator; T means tab\n"
                   "  --header E|H     E: the first line names the columns, H: it does not\n"
                   "  --sheet S        a workbook's sheet: its name, or its position from 1\n"
                   "                   (default: the first)\n"
                   "  --template T     the message template\n"
                   "  --gsm-column C   the column that holds the mobile numbers\n"
                   "  --commercial     a commercial message: the program folder's opt-out\n"
                   "                   list applies and messages end with the refusal line\n"
                   "                   (a warning on standard error when none is set)\n"
                   "  --unique         one message per number\n"
                   "  --program-folder DIR  the folder of ostrel.mdb (for --commercial)\n"
                   "  -h, --help       this text\n"
                   "\n"
                   "Exit status: 0 done, 1 FILE cannot be read, 2 bad arguments (also a\n"
                   "--gsm-column that names no column of FILE).\n");

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
    if (const int status = session.open(kCommand, parsed, false); status != ExitOk)
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
        {QStringLiteral("commercial"), QStringLiteral("unique")});
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

    CliOutput out;
    qint64 counts[6] = {};
    const MessageTemplate messageTemplate(templateText,
                                          RefusalEnding(PolicyOf(parsed), templateText, refusal));
    while (reader.next()) {
        PreparedRow row = PrepareRow(messageTemplate, reader.record(), gsmIndex);
        screen.apply(row);
        ++counts[static_cast<int>(row.outcome)];
        const QString& message = row.outcome == RowOutcome::Queued ? row.message : row.filled;
        out.line(RowOutcomeName(row.outcome) + QLatin1Char('\t') + EscapeValue(row.number) +
                 QLatin1Char('\t') + EscapeValue(message));
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
                            counts[static_cast<int>(RowOutcome::Repeated)]));
    return ExitOk;
}
