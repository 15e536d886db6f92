#pragma once

#include <optional>

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

class DelimitedReader;

// Exit status of every command.
enum ExitCode : int {
    ExitOk = 0,
    ExitFailure = 1, // the file cannot be read
    ExitUsage = 2,   // bad arguments
};

// Command arguments: positional ones, "--name value" or "--name=value"
// options, -h/--help, and "--" before positional ones that start with "-".
struct CliArguments {
    QStringList positional;
    QHash<QString, QString> options;
    bool help = false;
    QString error; // set when the arguments cannot be understood
};
CliArguments ParseArguments(const QStringList& arguments, const QStringList& valueOptions);

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

// Checks FILE, --separator and --header, describes the file's folder in
// Schema.ini as the program does and opens the reader on the file. Returns
// ExitOk, or the exit status after printing why not.
int OpenDataFile(const QString& command, const CliArguments& arguments, DelimitedReader& reader);
