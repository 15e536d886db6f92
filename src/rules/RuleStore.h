#pragma once

#include <QString>

#include "core/Recordset.h"
#include "textsource/PackagePolicy.h"

// One automatic-sending rule: a row of tbl_kurallar_txt. The runner reads
// rows by position, so the column order of the table is part of the format.
struct Rule {
    qint32 id = 0;
    QString kural_adi;
    QString gelen_klasor;
    QString giden_klasor;
    QString mesaj_sablonu;
    QString originator;
    QString fgsmno;
    QString metin_ayraci; // "T" = tab, otherwise the separator itself
    QString baslik_var;   // "E" = header line, anything else = none
    QString flg_aktif;    // "1" running, "0" stopped, "-1" reserved
    // "1": a commercial package, checked against the opt-out list and
    // carrying the refusal line; "1": one message per number. "0" when not.
    QString flg_ticari = QStringLiteral("0");
    QString flg_tek_numara = QStringLiteral("0");

    // The two flags as the senders take them.
    PackagePolicy policy() const;
    void setPolicy(const PackagePolicy& policy);

    // From the current row of a "SELECT * FROM tbl_kurallar_txt" result.
    static Rule fromRecord(const Recordset& rs);
};

namespace RuleState {
inline const QString Running = QStringLiteral("1");
inline const QString Stopped = QStringLiteral("0");
} // namespace RuleState

// The running rules, re-read at the start of every pass.
Recordset pDizinListe();
// The rules the editor lists (all but the reserved ones).
Recordset LoadEditorRules();

// A new rule is stored running; returns its id.
qint32 InsertRule(const Rule& rule);
// Changing a rule stops it.
void UpdateRule(const Rule& rule);
void SetRuleState(qint32 id, const QString& state);
void DeleteRule(qint32 id);

// The global switch of automatic sending (flg_parlex).
QString AutoSendSwitch();
void SetAutoSendSwitch(bool on);
