#pragma once

#include <array>

#include <QString>
#include <QStringView>

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
// The same into `out`, whose buffer is reused (senders call it per row).
void NormalizeGsmInto(QStringView text, QString& out);

// Folds Turkish letters to Latin ones and removes what would break the
// gateway's XML (line breaks, <, >, &, ~).
QString CleanMessageText(const QString& text);
// The same into `out`, whose buffer is reused (senders call it per row).
void CleanMessageTextInto(QStringView text, QString& out);

namespace CleanText {

// Units up to U+00FF go through a table; 0 means "drop" (a NUL stays).
inline constexpr std::array<char16_t, 256> Latin1 = [] {
    std::array<char16_t, 256> table{};
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<char16_t>(i);
    table[u'\r'] = 0;
    table[u'\n'] = 0;
    table[u'&'] = u'-';
    table[u'>'] = u']';
    table[u'<'] = u'[';
    table[u'~'] = u' ';
    table[u'Ü'] = u'U';
    table[u'ü'] = u'u';
    table[u'Ç'] = u'C';
    table[u'ç'] = u'c';
    table[u'Ö'] = u'O';
    table[u'ö'] = u'o';
    table[u'é'] = u'e';
    return table;
}();

// What CleanMessageText makes of one UTF-16 unit; `keep` is false for a
// unit it drops. No replacement makes a unit another would change, so
// cleaning unit by unit equals replacing each character in turn.
inline char16_t Unit(char16_t c, bool& keep) {
    if (c < Latin1.size()) {
        const char16_t folded = Latin1[c];
        keep = folded != 0 || c == 0;
        return folded;
    }
    keep = true;
    switch (c) {
    case u'Ğ':
        return u'G';
    case u'ğ':
        return u'g';
    case u'İ':
        return u'I';
    case u'ı':
        return u'i';
    case u'Ş':
        return u'S';
    case u'ş':
        return u's';
    default:
        return c;
    }
}

} // namespace CleanText

// A path in `folder` that does not exist yet: the name itself, or the name
// with a (counter) suffix before its four-character extension (a workbook's
// ".xlsx" is kept whole too). A name longer than the folder's file system
// takes loses the end of its stem and gets a counter, keeping its beginning
// (a prefix such as h01_) and its extension.
QString UniqueFileName(const QString& folder, const QString& fileName);

// `name` cut short before its extension (as UniqueFileName keeps it) to at
// most `maxBytes` bytes in the file-name encoding, or `name` itself when it
// fits.
QString FitFileName(const QString& name, qsizetype maxBytes);

// folder + separator + name, with no doubled separator.
QString JoinPath(const QString& folder, const QString& name);
