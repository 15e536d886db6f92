#pragma once

#include <QString>

// Why a file operation failed, in the user's words: the causes a user can
// act on (a full disk, a folder that may not be written) by name, anything
// else as the system describes it.
QString SystemErrorText(int errnoValue);
