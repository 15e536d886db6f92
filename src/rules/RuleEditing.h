#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "RuleStore.h"
#include "core/SystemError.h"

// What the rule editor decides without a window: the checks of a rule before
// it is stored, the statements with their failures as texts, and whether a
// rule still has files in the runner's hands.

// The fields of the editor as the user left them.
struct RuleDraft {
    QString name;
    QString incoming;
    QString outgoing;
    QString message;
    bool tab = false;      // the tab option, else the custom separator
    QString separatorText; // the custom separator as typed
    bool header = true;    // "Var"
    // A commercial package (opt-out list, refusal line); one message per
    // number. Off unless ticked.
    bool commercial = false;
    bool oneMessagePerNumber = false;
};

// The first thing missing or wrong, in the order the user is asked; `focus`
// is the objectName of the control that gets the focus.
struct RuleProblem {
    bool error = false; // an error box, else an information box
    QString text;
    QString focus;
    bool clearFolders = false;
};
std::optional<RuleProblem> CheckRule(const RuleDraft& draft);

// Two folder boxes name one folder: the same directory however written
// ("/a/b", "/a/b/", "/a/./c/../b", a link to it). Two empty boxes are the
// same too; an empty and a filled one are not.
bool SameFolder(const QString& a, const QString& b);

// The draft as a rule row: "T" or the custom separator, "E" or "H".
Rule RuleFromDraft(const RuleDraft& draft, const QString& originator, const QString& gsmColumn);

// The rule's stored state now, empty when the rule is gone.
QString StoredRuleState(qint32 id);

// Runs one statement of the editor; the database's reason when it failed.
template <typename F> std::optional<QString> TryStatement(F&& statement);

// A file of this rule whose package left for the gateway and that has not
// been moved on yet, or reject rows held for it: deleting the rule or moving
// its incoming folder would leave them behind with nobody to finish them.
bool RuleHasFilesInHand(qint32 id);

// The sender names of a GetInfo reply; nothing when the reply is a failure.
std::optional<QStringList> SenderNamesOf(const QString& infoReply);

template <typename F> std::optional<QString> TryStatement(F&& statement) {
    try {
        statement();
        return std::nullopt;
    } catch (const std::exception& e) {
        return ErrorText(e);
    }
}
