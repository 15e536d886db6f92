#pragma once

#include <memory>
#include <optional>

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include "core/UiServices.h"
#include "textsource/PackagePolicy.h"

class InstanceLock;
class TableFile;

// Exit status of every command.
enum ExitCode : int {
    ExitOk = 0,
    ExitFailure = 1, // the work could not be done
    ExitUsage = 2,   // bad arguments
    // The package left and no reply tells whether the gateway took it.
    ExitUnknownOutcome = 3,
};

// Command arguments: positional ones, "--name value" or "--name=value"
// options, "--flag" options without a value (kept with an empty value),
// -h/--help, and "--" before positional ones that start with "-".
struct CliArguments {
    QStringList positional;
    QHash<QString, QString> options;
    bool help = false;
    QString error; // set when the arguments cannot be understood
};
CliArguments ParseArguments(const QStringList& arguments, const QStringList& valueOptions,
                            const QStringList& flagOptions = {});

// What every command does first: prints `help` for -h/--help (ExitOk), or
// the parse error (ExitUsage). Empty when the command should go on.
std::optional<int> HelpOrUsageError(const QString& command, const QString& help,
                                    const CliArguments& arguments);

// Standard output, UTF-8, one line at a time, written in large pieces.
class CliOutput {
public:
    CliOutput() = default;
    CliOutput(const CliOutput&) = delete;
    CliOutput& operator=(const CliOutput&) = delete;
    ~CliOutput();

    void line(const QString& text);
    void flush();

private:
    QByteArray m_buffer;
};

// Writes "parlex-cli COMMAND: message" to standard error.
void PrintError(const QString& command, const QString& message);
// Writes a help text to standard output.
void PrintText(const QString& text);

// A value on one line: backslash, tab, CR and LF as \\, \t, \r and \n.
QString EscapeValue(const QString& value);

// Checks FILE, --separator, --header and --sheet, describes a data file's
// folder in Schema.ini as the program does and opens the reader on the file,
// or on the chosen sheet of a workbook (whose separator is not used).
// Returns ExitOk, or the exit status after printing why not; `sheetName`
// gets a workbook's sheet.
int OpenDataFile(const QString& command, const CliArguments& arguments, TableFile& reader,
                 QString* sheetName = nullptr);

// The sheet `chosen` names in the workbook at `path`: its name, or its
// position counted from 1; the first when empty. ExitOk with `index` (from
// 0) and `name` set, or the exit status after printing why not.
int SheetOfWorkbook(const QString& command, const QString& path, const QString& chosen, int& index,
                    QString* name = nullptr);

// The Ui of a command that works on a program folder: error boxes go to
// standard error as one line, information boxes nowhere (the command prints
// its results itself), questions are answered No. Status-bar texts go to standard error
// when asked for.
class CliUi : public HeadlessUi {
public:
    CliUi(QString command, bool showStatus);
    void showMessage(BoxKind kind, const QString& title, const QString& text) override;
    void setStatusText(const QString& text) override;
    // Error boxes shown so far.
    int errorsShown() const { return m_errors; }
    // Off: error boxes only to the developer's log, while the caller says
    // the reason in its own words.
    void setEchoErrors(bool on) { m_echo = on; }

private:
    QString m_command;
    bool m_showStatus;
    bool m_echo = true;
    int m_errors = 0;
};

// A program folder opened as the desktop program opens it: --program-folder
// (or the default), the same lock, the settings and the remembered account.
// Holds the lock while it lives.
class ProgramSession {
public:
    ProgramSession();
    ~ProgramSession();
    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;

    // ExitOk, or the exit status after printing why not. A job that never
    // reaches the gateway needs no remembered account.
    int open(const QString& command, const CliArguments& arguments, bool showStatus,
             bool needsAccount = true);
    CliUi& ui() { return *m_ui; }
    bool isOpen() const { return m_open; }

private:
    std::unique_ptr<InstanceLock> m_lock;
    std::shared_ptr<CliUi> m_ui;
    bool m_open = false;
};

// The arguments a command takes no positional argument in; ExitOk or
// ExitUsage after printing why.
int NoPositional(const QString& command, const CliArguments& arguments);

// A job whose only option is --program-folder: its --help, its usage errors
// and its session. The exit status when it ends here, nothing when it goes on.
std::optional<int> StartPlainJob(const QString& command, const QString& help,
                                 const QStringList& args, ProgramSession& session, bool showStatus);

// The activity log from a point on: each new line printed to standard output
// as its date and time, a tab and the text. Raises when the log cannot be
// read.
class LogTail {
public:
    LogTail(); // from the line written last
    void printNew();

private:
    qint64 m_last = 0;
};

// --commercial and --unique of send and preview.
PackagePolicy PolicyOf(const CliArguments& arguments);
// The end of their last line: " h04=N h05=N".
QString ScreenedCounts(qint64 optedOut, qint64 repeated);
