#pragma once

#include <QString>

// Name of the per-user data folder, the same for the desktop program and
// parlex-cli: both must find one database.
inline constexpr auto PerUserFolderName = "Parlex";

// The folder that holds ostrel.mdb: the executable's folder, as the program
// is meant to be carried around with its database, or the per-user data
// folder for an installed copy or when the executable's folder cannot be
// written.
QString DefaultProgramFolder();
QString ProgramFolderFor(const QString& executableFolder);

// Where an installed copy keeps its delivered files (the user guide):
// PREFIX/share/parlex beside PREFIX/bin. Empty for a portable copy.
QString InstalledDataFolder(const QString& executableFolder);
