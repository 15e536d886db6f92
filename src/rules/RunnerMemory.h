#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// One line of the rule runner in the activity log. Never raises: when the
// database itself is failing, the line goes to the program's own log.
void RunnerLog(const QString& text);

// What the runner remembers between passes, processes and restarts, kept in
// tbl_bildirim: the lasting problems it has logged (a folder that cannot be
// read, a move that keeps failing), so that each is logged when it starts,
// when it changes and when it ends, not at every pass; and its notes on
// files still being written. When the database cannot be reached the
// memory of this process stands in.
namespace RunnerMemory {

// Logs `text` unless it is what is noted under `key` already, and notes it.
void notice(const QString& key, const QString& text);
// Forgets the note under `key`; true when there was one.
bool clear(const QString& key);

std::optional<QString> value(const QString& key);
void setValue(const QString& key, const QString& value);
QStringList keysStartingWith(const QString& prefix);

} // namespace RunnerMemory
