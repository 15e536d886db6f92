#include <atomic>
#include <exception>

#include <QFileInfo>

#include "CliCommands.h"
#include "CliSupport.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/ExitRequest.h"
#include "core/Routines.h"
#include "optout/OptOutList.h"
#include "spreadsheet/TableFile.h"

namespace {

const QString kCommand = QStringLiteral("optout");

const QString kHelp = QStringLiteral(
    "Usage: parlex-cli optout add NUMBER... [--note TEXT]\n"
    "       parlex-cli optout remove NUMBER...\n"
    "       parlex-cli optout import FILE --separator X --header E|H --gsm-column C\n"
    "                                [--status-column S] [--sheet S]\n"
    "       parlex-cli optout list\n"
    "       parlex-cli optout count\n"
    "\n"
    "The opt-out list (Ret listesi): the numbers that refused commercial\n"
    "messages, as the window keeps them. A number may be written in any form\n"
    "(0532 123 45 67, +90 532 123 4567, 5321234567) and is kept once as its ten\n"
    "digits.\n"
    "  add     adds the numbers; prints one line per number, \"added N\" or\n"
    "          \"already N\", then added=N already=N. When one is not a mobile\n"
    "          number none is added.\n"
    "  remove  removes the numbers; prints \"removed N\" or \"missing N\", then\n"
    "          removed=N missing=N. When one is not a mobile number none is\n"
    "          removed.\n"
    "  import  adds the numbers of a data file or workbook (a workbook needs no\n"
    "          separator) in one step: a file that cannot be read to its end adds\n"
    "          nothing. Rows without a mobile number are counted and skipped.\n"
    "          Prints added=N already=N invalid=N not_ret=N.\n"
    "  list    one line per number, by number: number, date added, source\n"
    "          (elle, dosya, komut) and note, tab-separated\n"
    "  count   count=N\n"
    "\n"
    "Options:\n"
    "  --note TEXT           kept with the numbers added\n"
    "  --separator X         the field separator; T means tab\n"
    "  --header E|H          E: the first line names the columns, H: it does not\n"
    "  --gsm-column C        the column of the numbers\n"
    "  --status-column S     only rows whose S is RET (an İYS export)\n"
    "  --sheet S             a workbook's sheet: its name, or its position from 1\n"
    "  --program-folder DIR  the folder of ostrel.mdb\n"
    "  -h, --help            this text\n"
    "\n"
    "Exit status: 0 done, 1 a number or FILE is refused, or the list cannot be\n"
    "written, 2 bad arguments.\n");

// Every typed number a mobile number, or none taken.
bool allMobileNumbers(const QStringList& typed) {
    bool all = true;
    for (const QString& text : typed) {
        if (NormalizeGsm(text).isEmpty()) {
            PrintError(kCommand,
                       QStringLiteral("%1: Geçerli bir GSM numarası değil (ten digits starting "
                                      "with 5 expected); nothing changed")
                           .arg(text));
            all = false;
        }
    }
    return all;
}

int change(const QString& action, const QStringList& numbers, const QString& note) {
    const bool adding = action == QLatin1String("add");
    if (numbers.isEmpty()) {
        PrintError(kCommand, QStringLiteral("optout %1 NUMBER..., please").arg(action));
        return ExitUsage;
    }
    if (!allMobileNumbers(numbers))
        return ExitFailure;
    const OptOutChange done = adding ? AddOptOutNumbers(numbers, OptOutSource::CommandLine, note)
                                     : RemoveOptOutNumbers(numbers);
    CliOutput out;
    const QString doneWord = adding ? QStringLiteral("added") : QStringLiteral("removed");
    const QString otherWord = adding ? QStringLiteral("already") : QStringLiteral("missing");
    for (const QString& number : done.done)
        out.line(doneWord + QLatin1Char(' ') + number);
    for (const QString& number : done.already)
        out.line(otherWord + QLatin1Char(' ') + number);
    out.line(QStringLiteral("%1=%2 %3=%4")
                 .arg(doneWord)
                 .arg(done.done.size())
                 .arg(otherWord)
                 .arg(done.already.size()));
    return ExitOk;
}

int importFile(const CliArguments& arguments) {
    CliArguments file = arguments;
    file.positional.removeFirst();
    const QString gsmColumn = arguments.options.value(QStringLiteral("gsm-column"));
    if (gsmColumn.isEmpty()) {
        PrintError(kCommand, QStringLiteral("--gsm-column is missing (try --help)"));
        return ExitUsage;
    }
    TableFile reader;
    if (const int status = OpenDataFile(kCommand, file, reader); status != ExitOk)
        return status;
    OptOutImport import;
    import.path = file.positional.front();
    import.gsmColumn = gsmColumn;
    import.statusColumn = arguments.options.value(QStringLiteral("status-column"));
    for (const QString& column : {import.gsmColumn, import.statusColumn}) {
        if (!column.isEmpty() && reader.columnIndex(column) < 0) {
            PrintError(kCommand, QStringLiteral("%1 has no column %2; its columns: %3")
                                     .arg(import.path, column,
                                          reader.columnNames().join(QStringLiteral(", "))));
            return ExitUsage;
        }
    }
    // Ctrl+C stops the import; the list stays as it was.
    static std::atomic<bool> stop = false;
    WatchExitSignals([] { stop = true; });
    OpenDatabase();
    const OptOutImportResult result =
        ImportOptOutRecords(App().gConnection, reader, import, QFileInfo(import.path).fileName(),
                            [](qint64) { return !stop.load(); });
    if (!result.imported()) {
        PrintError(kCommand,
                   QString(result.message()).replace(QStringLiteral("\r\n"), QStringLiteral(": ")));
        return ExitFailure;
    }
    CliOutput out;
    out.line(QStringLiteral("added=%1 already=%2 invalid=%3 not_ret=%4")
                 .arg(result.added)
                 .arg(result.already)
                 .arg(result.invalid)
                 .arg(result.notRefused));
    return ExitOk;
}

// Page by page, by number: a list of a million costs no more than a short one.
void list() {
    CliOutput out;
    QString after;
    for (;;) {
        Recordset rs = OpenRecordset(
            QStringLiteral("SELECT numara, tarih, kaynak, aciklama FROM tbl_ret WHERE numara > "
                           "'%1' ORDER BY numara LIMIT 5000")
                .arg(SqlQuote(after)));
        if (rs.isEmpty())
            return;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            after = rs.text(0);
            out.line(QStringList{EscapeValue(after), rs.text(1), EscapeValue(rs.text(2)),
                                 EscapeValue(rs.text(3))}
                         .join(QLatin1Char('\t')));
        }
    }
}

} // namespace

int RunOptOut(const QStringList& args) {
    const CliArguments arguments = ParseArguments(
        args, {QStringLiteral("program-folder"), QStringLiteral("note"),
               QStringLiteral("separator"), QStringLiteral("header"), QStringLiteral("gsm-column"),
               QStringLiteral("status-column"), QStringLiteral("sheet")});
    if (const auto status = HelpOrUsageError(kCommand, kHelp, arguments))
        return *status;
    const QString action = arguments.positional.value(0);
    const QStringList actions = {QStringLiteral("add"), QStringLiteral("remove"),
                                 QStringLiteral("import"), QStringLiteral("list"),
                                 QStringLiteral("count")};
    if (!actions.contains(action)) {
        PrintError(kCommand, QStringLiteral("add, remove, import, list or count? (try --help)"));
        return ExitUsage;
    }
    if ((action == QLatin1String("list") || action == QLatin1String("count")) &&
        arguments.positional.size() > 1) {
        PrintError(
            kCommand,
            QStringLiteral("unexpected argument %1 (try --help)").arg(arguments.positional.at(1)));
        return ExitUsage;
    }
    if (arguments.options.contains(QStringLiteral("note")) && action != QLatin1String("add")) {
        PrintError(kCommand, QStringLiteral("--note goes with optout add only"));
        return ExitUsage;
    }

    ProgramSession session;
    if (const int status = session.open(kCommand, arguments, false, false); status != ExitOk)
        return status;
    try {
        if (action == QLatin1String("import"))
            return importFile(arguments);
        if (action == QLatin1String("list")) {
            list();
        } else if (action == QLatin1String("count")) {
            CliOutput out;
            out.line(QStringLiteral("count=%1").arg(OptOutCount()));
        } else {
            return change(action, arguments.positional.mid(1),
                          arguments.options.value(QStringLiteral("note")));
        }
    } catch (const std::exception& e) {
        PrintError(kCommand, QString::fromUtf8(e.what()));
        return ExitFailure;
    }
    return ExitOk;
}
