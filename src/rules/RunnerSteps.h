#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "core/PendingRecords.h"
#include "rules/RuleStore.h"

// The rule runner's steps around the sending of a file: waiting for files
// still being written, moving a sent file on, setting aside one whose outcome
// is unknown, and the reject rows held beside the database until the
// outgoing folder takes them.

// Where the reject rows of a rule's files wait when the outgoing folder
// cannot take them: red_bekleyen/<rule id>/<data file name>/ in the program
// folder.
inline const QString HeldRejectsFolderName = QStringLiteral("red_bekleyen");
QString HeldRejectsFolder(const Rule& rule, const QString& fileName);

QString RulePrefix(const QString& ruleName);

// Whether a file is ready to be taken: last written 2 seconds or more ago,
// or, dated in the future or just now, seen by the program with the same
// size and time for 2 seconds.
bool IsSettled(const Rule& rule, const QString& fileName);
// A regular file, not a link to a device or a pipe; those are logged once.
bool IsPlainFile(const Rule& rule, const QString& fileName);
// A file that could not be read as a list (binary data, a record without
// end) is tried again once it has changed, so its lines are logged once and
// not at every pass.
bool IsUnreadableAsBefore(const Rule& rule, const QString& fileName);
void NoteUnreadable(const Rule& rule, const QString& fileName);
// A workbook still being written waits, `line` logged once; an empty line
// forgets it (the workbook is whole).
void NoteIncomplete(const Rule& rule, const QString& fileName, const QString& line);
// A file whose reject rows no folder could take waits, tried again at every
// pass; `problem` is logged once, and an empty one forgets it.
bool RejectsWaitingForRoom(const Rule& rule, const QString& fileName);
void NoteRejectsWaitingForRoom(const Rule& rule, const QString& fileName, const QString& problem);
// Forgets what was noted of files no longer in the folder.
void ForgetVanishedFiles(const Rule& rule, const QStringList& names);
// Files the pass cannot open by the name it lists: a name that is not UTF-8
// (written by an older system) reaches the program with its odd bytes
// replaced. Each one that `taken` would take is logged once, its bytes
// shown as \xHH, and left where it is; the note goes with the file.
void NoteUnopenableNames(const Rule& rule, const std::function<bool(const QString&)>& taken);
// A file name's bytes as text: UTF-8 where they are, \xHH where not.
QString ShownFileName(const QByteArray& name);

// A record that must reach the database, with those kept before it. When
// they cannot yet, the user is told why (status bar and log) and they are
// written at a later pass. `what` names the record for that message.
void KeepRecord(const QList<PendingRecords::Step>& steps, const QString& what);
// The same, on disk at once but written to the database with the next
// record (a package's record goes in with its file's move).
void KeepRecordForLater(const QList<PendingRecords::Step>& steps, const QString& what);

// Moves a sent file on (then its held reject rows, and forgets its sent-file
// record). When the move fails the file stays, recorded as sent, and later
// passes only try the move again; the failure is logged once, the recovery
// when it comes.
bool MoveSentFile(const Rule& rule, const QString& fileName, const QString& target,
                  std::optional<qint64> journalId);

// Sets aside a file whose package may or may not have reached the gateway
// into sonucu_belirsiz/: sending it again could deliver every message
// twice. `what` is the sentence saying so, after the file's name.
void SetAsideUnknown(const Rule& rule, const QString& fileName, qint64 journalId,
                     const QString& what);

// Empty reject files a killed pass left for `targetName` in the outgoing
// folder, and unfinished ones in the holding folder, are removed; held rows
// whose data file has gone on are moved to the outgoing folder.
void RemoveEmptyRejectLeftovers(const Rule& rule, const QString& targetName);
void TidyHeldRejects(const Rule& rule);
