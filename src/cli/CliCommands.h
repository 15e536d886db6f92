#pragma once

#include <vector>

#include <QString>
#include <QStringList>

// One command of parlex-cli: its name, a line for the command list, and the
// function that runs it with the arguments after the command's name and
// returns the exit status.
struct CliCommand {
    QString name;
    QString summary;
    int (*run)(const QStringList& arguments);
};

const std::vector<CliCommand>& CliCommands();

// Runs the command named by the first argument.
int RunCli(const QStringList& arguments);

int RunRead(const QStringList& arguments);
int RunPreview(const QStringList& arguments);
int RunRunOnce(const QStringList& arguments);
int RunSend(const QStringList& arguments);
int RunCredit(const QStringList& arguments);
int RunWatch(const QStringList& arguments);
int RunPackages(const QStringList& arguments);
int RunReport(const QStringList& arguments);
int RunOptOut(const QStringList& arguments);
