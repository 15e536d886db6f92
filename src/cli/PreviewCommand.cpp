#include "CliCommands.h"
#include "CliSupport.h"
#include "spreadsheet/TableFile.h"
#include "textsource/MessageTemplate.h"

namespace {

const QString kCommand = QStringLiteral("preview");

const QString kHelp =
    QStringLiteral("Usage: parlex-cli preview FILE --separator X --header E|H --template T\n"
                   "                          --gsm-column C [--sheet S]\n"
                   "\n"
                   "Shows what FILE would send: reads it as the program does, fills the\n"
                   "message template T for every row, takes the mobile number from column C\n"
                   "and tests the row as a sender does. Prints one line per row:\n"
                   "  outcome<TAB>number<TAB>message\n"
                   "outcome is queued (would be sent), h01 (no usable number), h02 (message\n"
                   "longer than 160 characters) or h03 (both); number is the normalised one,\n"
                   "empty when unusable; message is the text as sent for queued rows and the\n"
                   "filled template otherwise. Then the line\n"
                   "  queued=N h01=N h02=N h03=N\n"
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
                   "  -h, --help       this text\n"
                   "\n"
                   "Exit status: 0 done, 1 FILE cannot be read, 2 bad arguments (also a\n"
                   "--gsm-column that names no column of FILE).\n");

} // namespace

int RunPreview(const QStringList& arguments) {
    const CliArguments parsed =
        ParseArguments(arguments, {QStringLiteral("separator"), QStringLiteral("header"),
                                   QStringLiteral("template"), QStringLiteral("gsm-column"),
                                   QStringLiteral("sheet")});
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

    CliOutput out;
    qint64 counts[4] = {};
    const MessageTemplate messageTemplate(templateText);
    while (reader.next()) {
        const PreparedRow row = PrepareRow(messageTemplate, reader.record(), gsmIndex);
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
                 .arg(counts[static_cast<int>(RowOutcome::NoNumberTooLong)]));
    return ExitOk;
}
