#include "PackageHistory.h"

#include "core/AppState.h"
#include "core/DbRoutines.h"

QString PackageListStatement(const QString& mode) {
    return QStringLiteral("SELECT tbg.id,msgid,msgtip,dosya_adi,kural_adi,tarih,gtarih,gateway,"
                          "tbg.originator,paket_boyut ") +
           QStringLiteral("FROM tbl_giden_txt AS tbg LEFT OUTER JOIN tbl_kurallar_txt AS tbk ") +
           // A package sent from a file is stored with kural 1 whatever rule
           // 1 is; its kind tells it apart, and it has no rule to name.
           QStringLiteral("ON tbk.id = tbg.kural AND msgtip <> 'Dosyadan gönderim' ") +
           QStringLiteral("WHERE gateway = '") + SqlQuote(mode) + QStringLiteral("' ") +
           QStringLiteral("ORDER BY tbg.id DESC");
}

Recordset PackageList() {
    OpenDatabase();
    return OpenRecordset(PackageListStatement(App().gGatewayMode));
}
