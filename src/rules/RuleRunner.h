#pragma once

#include <QString>

// Automatic sending: one pass over the running rules, driven by the main
// window's polling timer (or by parlex-cli run-once).

// One pass: every accepted file of every running rule's incoming folder is
// sent as one package and moved to the rule's outgoing folder.
void OtoMesaj();

// Where a file whose submission outcome is unknown is set aside, inside its
// incoming folder (the runner never looks into sub-folders).
inline const QString UnknownOutcomeFolderName = QStringLiteral("sonucu_belirsiz");

// A file changed this recently may still be being written.
inline constexpr int SettleMilliseconds = 2000;

// Names that editors and copy tools give to files they have not finished.
bool IsUnfinishedFileName(const QString& fileName);
