#pragma once

#include <exception>

#include <QString>

// Why a file operation failed, in the user's words: the causes a user can
// act on (a full disk, a folder that may not be written) by name, anything
// else as the system describes it.
QString SystemErrorText(int errnoValue);

// What went wrong, for a log line or the status bar: a database error by its
// cause when it has one, anything else by its own text.
QString ErrorText(const std::exception& error);
