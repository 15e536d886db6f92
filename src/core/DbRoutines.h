#pragma once

#include <QString>

#include "Recordset.h"

// The routines most statements go through. None of them catches errors: a
// failing statement raises DatabaseError to the caller.

inline constexpr auto DatabaseFileName = "ostrel.mdb";

// Full path of the database file in the program folder.
QString DatabasePath();

// Opens the shared connection unless it is open already.
void OpenDatabase();

// The value with every single quote doubled, for a text put between quotes.
QString SqlQuote(const QString& value);

// Static read-only result of a statement on the shared connection.
Recordset OpenRecordset(const QString& sql);
void ExecuteSql(const QString& sql);

QString GetParam(const QString& name);
void SetParam(const QString& name, const QString& value);

// One line of the activity log, stamped with the clock's current time.
void WriteLog(const QString& text);

// Stores one account mode's credentials and makes it the active mode.
void SaveAccount(const QString& userName, const QString& password, const QString& clientCode,
                 const QString& rememberFlag, const QString& mode, const QString& hollinUrl);

// The current date-time as text in the regional format, from the clock of
// the Ui services.
QString NowText();
