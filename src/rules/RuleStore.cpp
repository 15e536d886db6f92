#include "RuleStore.h"

#include "core/AppState.h"
#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"

Rule Rule::fromRecord(const Recordset& rs) {
    Rule r;
    r.id = static_cast<qint32>(rs.value(0).toLongLong());
    r.kural_adi = rs.text(1);
    r.gelen_klasor = rs.text(2);
    r.giden_klasor = rs.text(3);
    r.mesaj_sablonu = rs.text(4);
    r.originator = rs.text(5);
    r.fgsmno = rs.text(6);
    r.metin_ayraci = rs.text(7);
    r.baslik_var = rs.text(8);
    r.flg_aktif = rs.text(9);
    // Added later, so at the end of the row: taken by name.
    r.flg_ticari = rs.text(QStringLiteral("flg_ticari"));
    r.flg_tek_numara = rs.text(QStringLiteral("flg_tek_numara"));
    return r;
}

PackagePolicy Rule::policy() const {
    return {flg_ticari == QLatin1String("1"), flg_tek_numara == QLatin1String("1")};
}

void Rule::setPolicy(const PackagePolicy& policy) {
    flg_ticari = policy.commercial ? QStringLiteral("1") : QStringLiteral("0");
    flg_tek_numara = policy.oneMessagePerNumber ? QStringLiteral("1") : QStringLiteral("0");
}

namespace {

QString flagValue(const QString& flag) {
    return flag == QLatin1String("1") ? flag : QStringLiteral("0");
}

} // namespace

Recordset pDizinListe() {
    OpenDatabase();
    return OpenRecordset(QStringLiteral("SELECT * FROM tbl_kurallar_txt WHERE flg_aktif = '1'"));
}

Recordset LoadEditorRules() {
    OpenDatabase();
    return OpenRecordset(QStringLiteral("SELECT * FROM tbl_kurallar_txt WHERE flg_aktif <> '-1'"));
}

// Every value goes through SqlQuote, the sender name, separator and header
// flag included: an apostrophe in a sender name must not break the statement.
qint32 InsertRule(const Rule& r) {
    const auto q = SqlQuote;
    ExecuteSql(QStringLiteral("INSERT INTO tbl_kurallar_txt (kural_adi,gelen_klasor,giden_klasor,"
                              "mesaj_sablonu,originator,fgsmno,metin_ayraci,baslik_var,flg_aktif,"
                              "flg_ticari,flg_tek_numara) ") +
               QStringLiteral("VALUES('") + q(r.kural_adi) + QStringLiteral("','") +
               q(r.gelen_klasor) + QStringLiteral("','") + q(r.giden_klasor) +
               QStringLiteral("','") + q(r.mesaj_sablonu) + QStringLiteral("','") +
               q(r.originator) + QStringLiteral("','") + q(r.fgsmno) + QStringLiteral("','") +
               q(r.metin_ayraci) + QStringLiteral("','") + q(r.baslik_var) +
               QStringLiteral("','1','") + flagValue(r.flg_ticari) + QStringLiteral("','") +
               flagValue(r.flg_tek_numara) + QStringLiteral("')"));
    return static_cast<qint32>(App().gConnection.lastInsertId());
}

void UpdateRule(const Rule& r) {
    const auto q = SqlQuote;
    ExecuteSql(QStringLiteral("UPDATE tbl_kurallar_txt ") + QStringLiteral("SET kural_adi = '") +
               q(r.kural_adi) + QStringLiteral("',") + QStringLiteral(" gelen_klasor = '") +
               q(r.gelen_klasor) + QStringLiteral("',") + QStringLiteral(" giden_klasor = '") +
               q(r.giden_klasor) + QStringLiteral("',") + QStringLiteral("mesaj_sablonu = '") +
               q(r.mesaj_sablonu) + QStringLiteral("',") + QStringLiteral("   originator = '") +
               q(r.originator) + QStringLiteral("',") + QStringLiteral("       fgsmno = '") +
               q(r.fgsmno) + QStringLiteral("',") + QStringLiteral(" metin_ayraci = '") +
               q(r.metin_ayraci) + QStringLiteral("',") + QStringLiteral(" baslik_var = '") +
               q(r.baslik_var) + QStringLiteral("',") + QStringLiteral(" flg_ticari = '") +
               flagValue(r.flg_ticari) + QStringLiteral("',") +
               QStringLiteral(" flg_tek_numara = '") + flagValue(r.flg_tek_numara) +
               QStringLiteral("',") + QStringLiteral("  flg_aktif = '0' ") +
               QStringLiteral("WHERE id = ") + QString::number(r.id));
}

void SetRuleState(qint32 id, const QString& state) {
    const QString value = state == RuleState::Running ? RuleState::Running : RuleState::Stopped;
    ExecuteSql(QStringLiteral("UPDATE tbl_kurallar_txt ") + QStringLiteral("SET flg_aktif = '") +
               value + QStringLiteral("' ") + QStringLiteral("WHERE id = ") + QString::number(id));
}

void DeleteRule(qint32 id) {
    ExecuteSql(QStringLiteral("DELETE FROM tbl_kurallar_txt ") + QStringLiteral("WHERE id = ") +
               QString::number(id));
}

QString AutoSendSwitch() {
    return GetParam(QLatin1String(ParamName::AutoSendSwitch));
}

void SetAutoSendSwitch(bool on) {
    SetParam(QLatin1String(ParamName::AutoSendSwitch),
             on ? QStringLiteral("1") : QStringLiteral("0"));
}
