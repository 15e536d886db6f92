#include "CliCommands.h"
#include "CliSupport.h"
#include "spreadsheet/TableFile.h"

namespace {

const QString kCommand = QStringLiteral("read");

const QString kHelp =
    QStringLiteral("Usage: parlex-cli read FILE --separator X --header E|H\n"
                   "       parlex-cli read WORKBOOK --header E|H [--sheet S]\n"
                   "\n"
                   "Describes the folder of FILE in its Schema.ini as the program does, reads\n"
                   "FILE and prints:\n"
                   "  encoding: windows-1254 (or utf-8)\n"
                   "  the columns as name:type (integer, double or text), joined by tabs\n"
                   "  one line per record: the values as the program shows them (numbers in\n"
                   "  the regional format), joined by tabs\n"
                   "A Null value is written \\N; a backslash, tab, CR or LF inside a value is\n"
                   "written \\\\, \\t, \\r or \\n.\n"
                   "\n"
                   "A workbook (.xlsx, .ods, .xls) is read the same way, one sheet: the first\n"
                   "line is then \"sheet: NAME\"; no Schema.ini is written and a separator\n"
                   "given is not used.\n"
                   "\n"
                   "Options:\n"
                   "  --separator X  the field separator; T means tab\n"
                   "  --header E|H   E: the first line names the columns, H: it does not\n"
                   "  --sheet S      a workbook's sheet: its name, or its position from 1\n"
                   "                 (default: the first)\n"
                   "  -h, --help     this text\n"
                   "\n"
                   "Exit status: 0 done, 1 FILE cannot be read, 2 bad arguments.\n");

} // namespace

int RunRead(const QStringList& arguments) {
    const CliArguments parsed =
        ParseArguments(arguments, {QStringLiteral("separator"), QStringLiteral("header"),
                                   QStringLiteral("sheet")});
    if (const auto status = HelpOrUsageError(kCommand, kHelp, parsed))
        return *status;
    TableFile reader;
    QString sheet;
    if (const int status = OpenDataFile(kCommand, parsed, reader, &sheet); status != ExitOk)
        return status;

    CliOutput out;
    out.line(reader.isWorkbook() ? QStringLiteral("sheet: ") + EscapeValue(sheet)
                                 : QStringLiteral("encoding: ") + EncodingName(reader.encoding()));
    QStringList columns;
    for (const TextColumn& column : reader.columns())
        columns << EscapeValue(column.name) + QLatin1Char(':') + TextColumnTypeName(column.type);
    out.line(columns.join(QLatin1Char('\t')));

    QString line;
    while (reader.next()) {
        const TextRecord& record = reader.record();
        line.clear();
        for (int i = 0; i < record.size(); ++i) {
            if (i > 0)
                line += QLatin1Char('\t');
            line += record.isNull(i) ? QStringLiteral("\\N") : EscapeValue(record.text(i));
        }
        out.line(line);
    }
    out.flush();
    if (reader.hasError()) {
        PrintError(kCommand, reader.errorString());
        return ExitFailure;
    }
    return ExitOk;
}
