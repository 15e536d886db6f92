#include "RuleEditing.h"

#include <QDir>
#include <QFileInfo>

#include "RunnerSteps.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/Routines.h"
#include "gateway/Gateway.h"

namespace {

bool isBlank(const QString& text) {
    return text.isEmpty() || text == QLatin1String(" ");
}

RuleProblem information(const QString& text, const QString& focus) {
    return {false, text, focus, false};
}

// The folder a path names, links and "." or ".." steps resolved as far as
// the folder exists.
QString folderIdentity(const QString& path) {
    const QFileInfo info(QDir::fromNativeSeparators(path));
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

bool SameFolder(const QString& a, const QString& b) {
    if (isBlank(a) || isBlank(b))
        return isBlank(a) && isBlank(b);
    return folderIdentity(a) == folderIdentity(b);
}

std::optional<RuleProblem> CheckRule(const RuleDraft& d) {
    if (isBlank(d.name))
        return information(QStringLiteral("Kural adını belirtiniz."),
                           QStringLiteral("txtKuralAdi"));
    // A rule that moves its files into the folder it watches would send them
    // again at every pass.
    if (SameFolder(d.incoming, d.outgoing))
        return RuleProblem{true, QStringLiteral("Gelen klasörü ile giden klasörü aynı olamaz."),
                           QStringLiteral("cmdGelenGozat"), true};
    if (isBlank(d.incoming))
        return information(QStringLiteral("Gelen klasörünü belirtiniz."),
                           QStringLiteral("cmdGelenGozat"));
    if (isBlank(d.outgoing))
        return information(QStringLiteral("Giden klasörünü belirtiniz."),
                           QStringLiteral("cmdGidenGozat"));
    if (isBlank(d.message))
        return information(QStringLiteral("Mesaj içeriğini belirtiniz."),
                           QStringLiteral("cmdMesajBelirle"));
    // An empty separator would have the runner read every line as one field.
    if (!d.tab && isBlank(d.separatorText))
        return information(QStringLiteral("Alan ayracını belirtiniz."), QStringLiteral("txtAyrac"));
    return std::nullopt;
}

Rule RuleFromDraft(const RuleDraft& d, const QString& originator, const QString& gsmColumn) {
    Rule r;
    r.kural_adi = d.name;
    r.gelen_klasor = d.incoming;
    r.giden_klasor = d.outgoing;
    r.mesaj_sablonu = d.message;
    r.originator = originator;
    r.fgsmno = gsmColumn;
    r.metin_ayraci = d.tab ? QStringLiteral("T") : d.separatorText;
    r.baslik_var = d.header ? QStringLiteral("E") : QStringLiteral("H");
    r.setPolicy({d.commercial, d.oneMessagePerNumber});
    return r;
}

QString StoredRuleState(qint32 id) {
    Recordset rs = OpenRecordset(
        QStringLiteral("SELECT flg_aktif FROM tbl_kurallar_txt WHERE id = ") + QString::number(id));
    return rs.isEmpty() ? QString() : rs.text(0);
}

bool RuleHasFilesInHand(qint32 id) {
    Recordset rs =
        OpenRecordset(QStringLiteral("SELECT COUNT(*) FROM tbl_gonderim_gunlugu WHERE kural = ") +
                      QString::number(id));
    if (rs.value(0).toLongLong() > 0)
        return true;
    const QDir held(QDir(QDir(App().programFolder).filePath(HeldRejectsFolderName))
                        .filePath(QString::number(id)));
    return held.exists() && !held.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

std::optional<QStringList> SenderNamesOf(const QString& reply) {
    // A refusal code must not be taken for a credit line and no senders.
    if (reply.isEmpty() || IsErrorReply(reply))
        return std::nullopt;
    return OriginatorsOf(reply);
}
