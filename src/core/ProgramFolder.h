#pragma once

#include <QString>

// The folder that holds ostrel.mdb: the executable's folder, as the program
// is meant to be carried around with its database, or the per-user data
// folder when the executable's folder cannot be written (an installed copy).
QString DefaultProgramFolder();
