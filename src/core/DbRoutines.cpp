#include "DbRoutines.h"

#include <QDir>

#include "AppState.h"
#include "Clock.h"
#include "GatewayMode.h"
#include "RegionalFormat.h"

QString DatabasePath() {
    return QDir(App().programFolder).filePath(QLatin1String(DatabaseFileName));
}

void OpenDatabase() {
    AppState& app = App();
    if (!app.gConnection.isOpen())
        app.gConnection.open(DatabasePath());
}

QString SqlQuote(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return quoted;
}

Recordset OpenRecordset(const QString& sql) {
    OpenDatabase();
    return App().gConnection.openRecordset(sql);
}

void ExecuteSql(const QString& sql) {
    OpenDatabase();
    App().gConnection.execute(sql);
}

QString NowText() {
    return RegionalDateTimeText(Clock::now());
}

QString GetParam(const QString& name) {
    Recordset rs = OpenRecordset(
        QStringLiteral("SELECT     deger ") + QStringLiteral("FROM   tbl_param ") +
        QStringLiteral("WHERE  parametre = '") + SqlQuote(name) + QStringLiteral("'"));
    if (rs.isEmpty())
        return QString();
    return rs.text(0);
}

void SetParam(const QString& name, const QString& value) {
    ExecuteSql(QStringLiteral("UPDATE    tbl_param ") + QStringLiteral("SET        deger = '") +
               SqlQuote(value) + QStringLiteral("' ") + QStringLiteral("WHERE  parametre = '") +
               SqlQuote(name) + QStringLiteral("'"));
}

void WriteLog(const QString& text) {
    ExecuteSql(QStringLiteral("INSERT INTO tbl_log_txt(tarih,aciklama) ") +
               QStringLiteral("VALUES ('") + NowText() + QStringLiteral("','") + SqlQuote(text) +
               QStringLiteral("')"));
}

void SaveAccount(const QString& userName, const QString& password, const QString& clientCode,
                 const QString& rememberFlag, const QString& mode, const QString& hollinUrl) {
    OpenDatabase();
    const auto q = SqlQuote;
    QString sql;
    if (mode == GatewayMode::Main) {
        if (rememberFlag == QLatin1String("1")) {
            sql = QStringLiteral("UPDATE tbl_ayarlar ") + QStringLiteral("SET kullanici_adi = '") +
                  q(userName) + QStringLiteral("',") + QStringLiteral("           parola = '") +
                  q(password) + QStringLiteral("',") + QStringLiteral("             ckey = '") +
                  q(clientCode) + QStringLiteral("',") + QStringLiteral("       flg_kaydet = '") +
                  q(rememberFlag) + QStringLiteral("',") +
                  QStringLiteral("           flg_gw = '0'");
        } else {
            sql = QStringLiteral("UPDATE tbl_ayarlar ") +
                  QStringLiteral("SET kullanici_adi = '',") +
                  QStringLiteral("           parola = '',") +
                  QStringLiteral("             ckey = '',") +
                  QStringLiteral("       flg_kaydet = '0',") +
                  QStringLiteral("           flg_gw = '0'");
        }
    } else if (mode == GatewayMode::Hollin) {
        if (rememberFlag == QLatin1String("1")) {
            sql = QStringLiteral("UPDATE tbl_ayarlar ") +
                  QStringLiteral("SET   kullanici_adi_i = '") + q(userName) + QStringLiteral("',") +
                  QStringLiteral("             parola_i = '") + q(password) + QStringLiteral("',") +
                  QStringLiteral("         flg_kaydet_i = '") + q(rememberFlag) +
                  QStringLiteral("',") + QStringLiteral("               flg_gw = '1',") +
                  QStringLiteral("          url_hollin = '") + q(hollinUrl) + QStringLiteral("'");
        } else {
            sql = QStringLiteral("UPDATE tbl_ayarlar ") +
                  QStringLiteral("SET   kullanici_adi_i = '',") +
                  QStringLiteral("             parola_i = '',") +
                  QStringLiteral("         flg_kaydet_i = '0',") +
                  QStringLiteral("               flg_gw = '1',") +
                  QStringLiteral("          url_hollin = '") + q(hollinUrl) + QStringLiteral("'");
        }
    } else {
        // An unknown mode would otherwise leave the stored mode silently as it was.
        throw DatabaseError(DatabaseError::Kind::Failed,
                            QStringLiteral("Bilinmeyen hesap türü: %1").arg(mode));
    }
    App().gConnection.execute(sql);
}
