#pragma once

#include <QString>

// Replies that mean the gateway did not do what was asked. A reply is "in
// the list" when the whole reply occurs anywhere in this text, so the empty
// reply and fragments such as "0" or "," count as well.
inline const QString ReplyCodeList =
    QStringLiteral("-2,-1,01,02,03,04,05,06,07,08,09,10,11,12,13,<HTML>");

bool IsInReplyCodeList(const QString& reply);

// True when the text contains "html" or "HTML" (exactly these two forms).
bool IsHtmlReply(const QString& reply);

// The one test every gateway caller shares: in the code list, or an HTML page.
bool IsErrorReply(const QString& reply);

// Panel 2 of the main window's status bar.
void SetStatusText(const QString& text);

// The ten digits of a mobile number that starts with 5, or the empty text
// when the text is not a mobile number.
QString NormalizeGsm(const QString& text);

// Folds Turkish letters to Latin ones and removes what would break the
// gateway's XML (line breaks, <, >, &, ~).
QString CleanMessageText(const QString& text);

// A path in `folder` that does not exist yet: the name itself, or the name
// with a (counter) suffix before its four-character extension.
QString UniqueFileName(const QString& folder, const QString& fileName);

// folder + separator + name, with no doubled separator.
QString JoinPath(const QString& folder, const QString& name);
