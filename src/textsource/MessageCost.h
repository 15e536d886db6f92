#pragma once

#include <vector>

#include <QString>
#include <QStringView>

// What the network bills for one message: the alphabet it goes in, its
// length in that alphabet, and how many SMS it takes.
//
// A message whose every character is in the GSM 7-bit alphabet goes in
// septets: 160 in one SMS, 153 a part when longer, and the ten characters
// of the extension table (form feed ^ { } \ [ ~ ] | €) take two septets,
// an escape pair that never spans two parts. One character outside it puts
// the whole message in UCS-2: 70 UTF-16 units in one SMS, 67 a part, and a
// surrogate pair never spans two parts. Operators append their code and a
// blank (" B001") to every bulk message, so `operatorSuffix` characters of
// the basic alphabet are counted after the text.
enum class SmsEncoding { Gsm7, Ucs2 };

struct CostlyCharacter {
    QString character;   // one character (two UTF-16 units for an emoji)
    QString replacement; // what keeps the message cheaper, or empty
};

struct MessageCost {
    SmsEncoding encoding = SmsEncoding::Gsm7;
    int length = 0; // septets or UTF-16 units, the operator's suffix included
    int parts = 0;  // SMS billed
    // The characters that make the message dearer, each once in order of
    // first appearance: in GSM 7-bit the two-septet ones, in UCS-2 those
    // outside the GSM alphabet.
    std::vector<CostlyCharacter> costly;
};

// Characters operators append unless the gateway's settings say otherwise.
inline constexpr int DefaultOperatorSuffix = 5;

// The longest operator suffix the settings take.
inline constexpr int LongestOperatorSuffix = 20;

// What the senders count with, from the settings window's first tab.
struct CostSettings {
    int operatorSuffix = DefaultOperatorSuffix;
    bool oneSmsOnly = false; // a row dearer than one SMS is rejected
};

// Read at each package, so a change reaches a watcher without a restart.
// A missing or unreadable value gives its default.
CostSettings ReadCostSettings();

// The suffix length a settings text gives, or -1 when it is not a whole
// number from 0 to LongestOperatorSuffix.
int OperatorSuffixFromText(const QString& text);

// The cost of a message as it goes out (cleaned by CleanMessageText).
MessageCost CostOfMessage(QStringView cleaned, int operatorSuffix = DefaultOperatorSuffix);

// Only the number of SMS, without allocating: what the senders call per row.
int SmsParts(QStringView cleaned, int operatorSuffix = DefaultOperatorSuffix);

// The text with every costly character that has a replacement replaced
// (₺ → TL, â → a, ’ → ', … → ..., the no-break space → a space, and so on).
QString WithCheaperCharacters(QStringView text);

// The encoding's name as the command line prints it: "gsm7" or "ucs2".
QString EncodingName(SmsEncoding encoding);
