#pragma once

#include <QString>

// Automatic sending: one pass over the running rules, driven by the main
// window's polling timer (or by parlex-cli run-once).

// One pass: every accepted file of every running rule's incoming folder is
// sent as one package and moved to the rule's outgoing folder.
void OtoMesaj();

// Processes one data file of a rule: "00" when it is done and must be moved
// to the outgoing folder, "01" when it stays for a later pass.
QString fSMSGonder(qint32 prmKuralKodu, const QString& prmKuralAdi, const QString& prmGelenKlasor,
                   const QString& prmGidenKlasor, const QString& prmDosya,
                   const QString& prmHataliDosya, const QString& prmSablonMsg,
                   const QString& prmGonderen, const QString& prmFGSMNo, const QString& prmBaslik);

// Where a file whose submission outcome is unknown is set aside, inside its
// incoming folder (the runner never looks into sub-folders).
inline const QString UnknownOutcomeFolderName = QStringLiteral("sonucu_belirsiz");

// A file changed this recently may still be being written.
inline constexpr int SettleMilliseconds = 2000;

// Names that editors and copy tools give to files they have not finished.
bool IsUnfinishedFileName(const QString& fileName);
