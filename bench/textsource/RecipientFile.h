#pragma once

#include <QString>

// Writes a recipient list as users hand it to the program: Windows-1254,
// ";"-separated, a header line "gsm;ad;tutar", CR LF line ends. Numbers
// come in the usual forms (leading 0, country code, none, now and then a
// fixed line or nothing), names carry Turkish letters and a few are long
// enough to overflow a message, amounts have a decimal comma. The same
// seed gives the same file.
bool WriteRecipientFile(const QString& path, qint64 rows, quint32 seed = 2024);
