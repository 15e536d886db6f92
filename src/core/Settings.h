#pragma once

#include <QString>

// Fixed paths on the configurable hosts.
inline const QString MainSecurePath = QStringLiteral("/sms/com.corvane");
inline const QString MainPlainPath = QStringLiteral("/com.corvane");
inline const QString AdPagePath = QStringLiteral("/reklam/?prm=Parlex");

// Where the data layer's library can be had when it is too old.
inline const QString DataAccessDownloadUrl = QStringLiteral("https://www.sqlite.org/download.html");

// Endpoints of the main account, from the configuration rows.
QString MainSecureEndpoint();
QString MainPlainEndpoint();

// Fills the account, mode, gateway address and polling period of AppState
// from the database. On failure shows gStepError, with the cause on a line of
// its own when it is one the user can put right; gSettingsLoaded tells the
// outcome. Returns that cause ("diskte yer kalmadı."), empty when none.
QString LoadSettings();

// Records which data-access library is in use and its version text.
void CheckDataAccess();

// The version rule: the first character is the major number, the third the
// minor one; older than 2.5 is too old. Raises when they are not digits.
bool IsDataAccessTooOld(const QString& version);
