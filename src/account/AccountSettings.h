#pragma once

#include <optional>

#include <QString>

#include "textsource/MessageCost.h"

// What the settings window holds: both accounts' boxes, the Hollin address
// the polling period and how SMS are counted, as typed.
struct AccountForm {
    bool mainAccount = true;
    QString userName_m;
    QString password_m;
    QString clientCode_m;
    bool remember_m = false;
    QString hollinUrl;
    QString userName_i;
    QString password_i;
    bool remember_i = false;
    QString periodText;
    QString operatorSuffixText = QString::number(DefaultOperatorSuffix);
    bool oneSmsOnly = false;
    // Appended to commercial messages; stored without surrounding blanks.
    QString refusalText{};
};

// The polling period in milliseconds, or nothing when the text is not a
// whole number of seconds the timer can hold ("60,5", "1e3", "-60").
std::optional<qint32> PeriodMilliseconds(const QString& secondsText);

// The longest period the polling timer can run, in seconds.
inline constexpr qint32 LongestPeriodSeconds = 2147483;

// Where the window sends the user after a save that stopped: the tab and
// the box to correct. tab is -1 when nothing is to be corrected.
struct SaveOutcome {
    bool saved = false;
    int tab = -1;
    QString focus;
};

// "Kaydet": checks the period and the chosen account's boxes, verifies the
// credentials with GetInfo at the address in effect and stores them with the
// period. Every refusal is told in a box.
SaveOutcome SaveAccountSettings(const AccountForm& form);

// "Vazgeç": the window's content becomes the running account, saved or not.
// When the main account's address cannot be read it raises and changes
// nothing.
void ApplyAccountForm(const AccountForm& form);

// "Kontör bilgisi": the running account's credit, in a box.
void ShowCredit();
