#include "CliSupport.h"

#include <cstdio>

#include <QDir>
#include <QFileInfo>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/InstanceLock.h"
#include "core/ProgramFolder.h"
#include "core/Settings.h"

#include "spreadsheet/TableFile.h"
#include "spreadsheet/WorkbookReader.h"
#include "textsource/RecordStream.h"
#include "textsource/SchemaIni.h"

namespace {

constexpr qsizetype kFlushBytes = 64 * 1024;

void writeStream(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

} // namespace

CliArguments ParseArguments(const QStringList& arguments, const QStringList& valueOptions,
                            const QStringList& flagOptions) {
    CliArguments parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || argument == QLatin1String("-") ||
            !argument.startsWith(QLatin1Char('-'))) {
            parsed.positional << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            parsed.help = true;
            continue;
        }
        if (argument.startsWith(QLatin1String("--")) && flagOptions.contains(argument.mid(2))) {
            parsed.options.insert(argument.mid(2), QString());
            continue;
        }
        QString name = argument.mid(2);
        QString value;
        bool hasValue = false;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
            hasValue = true;
        }
        if (!argument.startsWith(QLatin1String("--")) || !valueOptions.contains(name)) {
            parsed.error = QStringLiteral("unknown option %1").arg(argument);
            return parsed;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                parsed.error = QStringLiteral("--%1 needs a value").arg(name);
                return parsed;
            }
            value = arguments[++i];
        }
        parsed.options.insert(name, value);
    }
    return parsed;
}

CliOutput::~CliOutput() {
    flush();
}

void CliOutput::line(const QString& text) {
    m_buffer += text.toUtf8();
    m_buffer += '\n';
    if (m_buffer.size() >= kFlushBytes)
        flush();
}

void CliOutput::flush() {
    writeStream(stdout, m_buffer);
    std::fflush(stdout);
    m_buffer.clear();
}

std::optional<int> HelpOrUsageError(const QString& command, const QString& help,
                                    const CliArguments& arguments) {
    if (arguments.help) {
        PrintText(help);
        return ExitOk;
    }
    if (!arguments.error.isEmpty()) {
        PrintError(command, arguments.error + QStringLiteral(" (try --help)"));
        return ExitUsage;
    }
    return std::nullopt;
}

void PrintError(const QString& command, const QString& message) {
    const QString prefix = command.isEmpty() ? QStringLiteral("parlex-cli: ")
                                             : QStringLiteral("parlex-cli %1: ").arg(command);
    writeStream(stderr, (prefix + message + QLatin1Char('\n')).toUtf8());
}

void PrintText(const QString& text) {
    writeStream(stdout, text.toUtf8());
    std::fflush(stdout);
}

QString EscapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

int SheetOfWorkbook(const QString& command, const QString& path, const QString& chosen, int& index,
                    QString* name) {
    QString error;
    const QStringList names = WorkbookReader::SheetNames(path, &error);
    if (names.isEmpty()) {
        PrintError(command, error.isEmpty() ? QStringLiteral("%1 has no sheet").arg(path) : error);
        return ExitFailure;
    }
    index = 0;
    if (!chosen.isEmpty()) {
        // A sheet's name first: a sheet may well be called "2".
        index = int(names.indexOf(chosen));
        bool number = false;
        const int position = chosen.toInt(&number);
        if (index < 0 && number && position >= 1 && position <= names.size())
            index = position - 1;
        if (index < 0) {
            PrintError(command, QStringLiteral("%1 has no sheet %2; its sheets: %3")
                                    .arg(path, chosen, names.join(QStringLiteral(", "))));
            return ExitUsage;
        }
    }
    if (name)
        *name = names.at(index);
    return ExitOk;
}

int OpenDataFile(const QString& command, const CliArguments& arguments, TableFile& reader,
                 QString* sheetName) {
    if (arguments.positional.size() != 1) {
        PrintError(command, arguments.positional.isEmpty()
                                ? QStringLiteral("FILE is missing (try --help)")
                                : QStringLiteral("only one FILE, please (try --help)"));
        return ExitUsage;
    }
    // A workbook has no separator: one given is not used.
    const bool workbook = IsWorkbookName(arguments.positional.front());
    const QString separator = arguments.options.value(QStringLiteral("separator"));
    if (separator.isEmpty() && !workbook) {
        PrintError(command, QStringLiteral("--separator is missing or empty (T means tab)"));
        return ExitUsage;
    }
    const QString headerFlag = arguments.options.value(QStringLiteral("header"));
    if (headerFlag != QLatin1String("E") && headerFlag != QLatin1String("H")) {
        PrintError(command, QStringLiteral("--header must be E (header line) or H (none)"));
        return ExitUsage;
    }
    const bool sheetChosen = arguments.options.contains(QStringLiteral("sheet"));
    if (sheetChosen && !workbook) {
        PrintError(command,
                   QStringLiteral("--sheet is for workbooks (.xlsx, .ods, .xls), not data files"));
        return ExitUsage;
    }

    const QString path = QFileInfo(arguments.positional.front()).absoluteFilePath();
    if (const QString problem = DataFileProblem(path); !problem.isEmpty()) {
        PrintError(command, problem);
        return ExitFailure;
    }
    int sheet = 0;
    TextFormat format = RuleTextFormat(separator, headerFlag);
    if (workbook) {
        const int status = SheetOfWorkbook(
            command, path, arguments.options.value(QStringLiteral("sheet")), sheet, sheetName);
        if (status != ExitOk)
            return status;
    } else {
        // Only an existing file gets its folder described, as after the open
        // dialog, and is read as that description says.
        const ChosenPath chosen = SplitChosenPath(path);
        WriteSchemaIni(chosen.folder, separator, headerFlag);
        QString error;
        const std::optional<TextFormat> described =
            ReadSchemaSection(chosen.folder, chosen.file, &error);
        if (!described) {
            PrintError(command, error);
            return ExitFailure;
        }
        format = *described;
    }
    if (!reader.open(path, format, sheet)) {
        PrintError(command, reader.errorString());
        return ExitFailure;
    }
    return ExitOk;
}

CliUi::CliUi(QString command, bool showStatus)
    : m_command(std::move(command))
    , m_showStatus(showStatus) {}

void CliUi::showMessage(BoxKind kind, const QString& title, const QString& text) {
    // Information boxes repeat what the command prints itself.
    if (kind != BoxKind::Error)
        return;
    if (!m_echo) {
        HeadlessUi::showMessage(kind, title, text);
        return;
    }
    ++m_errors;
    PrintError(m_command, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
}

void CliUi::setStatusText(const QString& text) {
    HeadlessUi::setStatusText(text);
    if (m_showStatus && !text.isEmpty())
        PrintError(m_command, text);
}

ProgramSession::ProgramSession() = default;
ProgramSession::~ProgramSession() = default;

int ProgramSession::open(const QString& command, const CliArguments& arguments, bool showStatus,
                         bool needsAccount) {
    const QString folder = arguments.options.contains(QStringLiteral("program-folder"))
                               ? arguments.options.value(QStringLiteral("program-folder"))
                               : DefaultProgramFolder();
    if (!QFileInfo(folder).isDir()) {
        PrintError(command, QStringLiteral("program folder %1 does not exist").arg(folder));
        return ExitFailure;
    }

    AppState& app = App();
    app.programFolder = QDir(folder).absolutePath();
    m_ui = std::make_shared<CliUi>(command, showStatus);
    app.ui = m_ui;

    m_lock = std::make_unique<InstanceLock>(app.programFolder);
    if (!m_lock->tryLock()) {
        if (m_lock->failure() == InstanceLock::Failure::CannotCreate) {
            PrintError(command,
                       QStringLiteral("the lock file %1 cannot be created: %2")
                           .arg(InstanceLock::lockFilePath(app.programFolder), m_lock->cause()));
            return ExitFailure;
        }
        const qint64 pid = m_lock->holderPid();
        PrintError(command, QStringLiteral("another Parlex%1 is using %2")
                                .arg(pid ? QStringLiteral(" (process %1)").arg(pid) : QString(),
                                     app.programFolder));
        return ExitFailure;
    }

    m_ui->setEchoErrors(false);
    const QString cause = LoadSettings();
    m_ui->setEchoErrors(true);
    if (!app.gSettingsLoaded) {
        PrintError(command, QStringLiteral("the settings in %1 could not be loaded%2")
                                .arg(DatabasePath(),
                                     cause.isEmpty() ? QString() : QStringLiteral(": ") + cause));
        return ExitFailure;
    }
    if (needsAccount && app.gRemember != QLatin1String("1")) {
        PrintError(command, QStringLiteral("no account is remembered: sign in once with Parlex and "
                                           "tick \"remember\""));
        return ExitFailure;
    }
    m_open = true;
    return ExitOk;
}

int NoPositional(const QString& command, const CliArguments& arguments) {
    if (arguments.positional.isEmpty())
        return ExitOk;
    PrintError(
        command,
        QStringLiteral("unexpected argument %1 (try --help)").arg(arguments.positional.first()));
    return ExitUsage;
}

std::optional<int> StartPlainJob(const QString& command, const QString& help,
                                 const QStringList& args, ProgramSession& session,
                                 bool showStatus) {
    const CliArguments arguments = ParseArguments(args, {QStringLiteral("program-folder")});
    if (const auto status = HelpOrUsageError(command, help, arguments))
        return status;
    if (const int status = NoPositional(command, arguments); status != ExitOk)
        return status;
    if (const int status = session.open(command, arguments, showStatus); status != ExitOk)
        return status;
    return std::nullopt;
}

LogTail::LogTail() {
    Recordset rs = OpenRecordset(QStringLiteral("SELECT MAX(id) FROM tbl_log_txt"));
    m_last = rs.isEmpty() ? 0 : rs.value(0).toLongLong();
}

void LogTail::printNew() {
    Recordset rs =
        OpenRecordset(QStringLiteral("SELECT id, tarih, aciklama FROM tbl_log_txt WHERE id > ") +
                      QString::number(m_last) + QStringLiteral(" ORDER BY id"));
    CliOutput out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        m_last = rs.value(0).toLongLong();
        out.line(rs.text(1) + QLatin1Char('\t') + EscapeValue(rs.text(2)));
    }
}

PackagePolicy PolicyOf(const CliArguments& arguments) {
    return {arguments.options.contains(QStringLiteral("commercial")),
            arguments.options.contains(QStringLiteral("unique"))};
}

QString ScreenedCounts(qint64 optedOut, qint64 repeated) {
    return QStringLiteral(" h04=%1 h05=%2").arg(optedOut).arg(repeated);
}
