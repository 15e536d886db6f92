#include "DatabaseSchema.h"

namespace {

// A date-time column accepts ISO texts (yyyy-MM-dd[ HH:mm:ss]) and the
// program's regional texts (dd.MM.yyyy[ HH:mm:ss]); the triggers store every
// one as ISO text so comparisons and ordering work, and refuse anything else.
QString isoExpression(const QString& v) {
    return QStringLiteral(
               "(CASE"
               " WHEN %1 GLOB '[0-9][0-9].[0-9][0-9].[0-9][0-9][0-9][0-9] "
               "[0-9][0-9]:[0-9][0-9]:[0-9][0-9]'"
               "  THEN substr(%1,7,4)||'-'||substr(%1,4,2)||'-'||substr(%1,1,2)||' "
               "'||substr(%1,12,8)"
               " WHEN %1 GLOB '[0-9][0-9].[0-9][0-9].[0-9][0-9][0-9][0-9]'"
               "  THEN substr(%1,7,4)||'-'||substr(%1,4,2)||'-'||substr(%1,1,2)||' 00:00:00'"
               " WHEN %1 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] "
               "[0-9][0-9]:[0-9][0-9]:[0-9][0-9]'"
               "  THEN %1"
               " WHEN %1 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'"
               "  THEN %1||' 00:00:00'"
               " END)")
        .arg(v);
}

QStringList dateTimeTriggers(const QString& table, const QString& column) {
    const QString iso = isoExpression(QStringLiteral("NEW.") + column);
    // With a modifier, strftime() normalises an impossible date (31.02
    // becomes 03.03), so a value that does not survive the round trip is not
    // a real date.
    const QString invalid =
        QStringLiteral("(%1 IS NULL OR strftime('%Y-%m-%d %H:%M:%S', %1, '+0 seconds') IS NOT %1)")
            .arg(iso);
    QStringList out;
    for (const QString& event : {QStringLiteral("INSERT"), QStringLiteral("UPDATE OF ") + column}) {
        const QString name =
            QStringLiteral("trg_%1_%2_%3")
                .arg(table, column,
                     event.startsWith(QLatin1String("INSERT")) ? QStringLiteral("ins")
                                                               : QStringLiteral("upd"));
        out << QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 "
                              "WHEN NEW.%4 IS NOT NULL "
                              "BEGIN "
                              "SELECT RAISE(ABORT, 'Geçersiz tarih/saat: %3.%4') WHERE %5; "
                              "UPDATE %3 SET %4 = %6 WHERE rowid = NEW.rowid AND %4 IS NOT %6; "
                              "END")
                   .arg(name, event, table, column, invalid, iso);
    }
    return out;
}

// Version 2: lasting problems the rule runner has logged (and what it has
// seen of files still being written), remembered across starts so that
// each is logged once, not at every start of the program.
QStringList noticeTable() {
    return {QStringLiteral("CREATE TABLE tbl_bildirim ("
                           "anahtar TEXT PRIMARY KEY,"
                           "metin TEXT NOT NULL DEFAULT '')")};
}

// Version 3: each package row carries the identity of the submission that
// recorded it, so a record applied again is known by that identity and not
// by the package id, which another gateway, or one restarted, gives again.
// Rows recorded before have none.
QString submissionIdentityIndex() {
    return QStringLiteral("CREATE INDEX idx_giden_gonderim ON tbl_giden_txt(gonderim_kimligi)");
}

// SMS the network bills for a package, its operator code counted; 0 for
// packages recorded before it was counted.
QString smsCountColumn() {
    return QStringLiteral(
        "ALTER TABLE tbl_giden_txt ADD COLUMN sms_sayisi INTEGER NOT NULL DEFAULT 0");
}

// A value the database already holds is kept.
QString costParam(const char* name, const QString& value) {
    return QStringLiteral("INSERT OR IGNORE INTO tbl_param (parametre,deger) VALUES ('%1','%2')")
        .arg(QLatin1String(name), value);
}

// Version 5: numbers that refused commercial messages, kept in the form
// NormalizeGsm gives, with the day they were added, where they came from
// ("elle", "dosya", "komut") and a note.
QStringList optOutTable() {
    QStringList s{QStringLiteral("CREATE TABLE tbl_ret ("
                                 "numara TEXT PRIMARY KEY,"
                                 "tarih DATETIME,"
                                 "kaynak TEXT NOT NULL DEFAULT '',"
                                 "aciklama TEXT NOT NULL DEFAULT '')")};
    s << dateTimeTriggers(QStringLiteral("tbl_ret"), QStringLiteral("tarih"));
    return s;
}

// Rules send as they always have unless told: not commercial, every row.
QStringList ruleConsentColumns() {
    return {
        QStringLiteral(
            "ALTER TABLE tbl_kurallar_txt ADD COLUMN flg_ticari TEXT NOT NULL DEFAULT '0'"),
        QStringLiteral(
            "ALTER TABLE tbl_kurallar_txt ADD COLUMN flg_tek_numara TEXT NOT NULL DEFAULT '0'")};
}

// Data files and workbooks alike land in the incoming folders.
const QString DeliveredExtensions = QStringLiteral("txt,csv,xlsx,ods,xls");

} // namespace

QStringList SchemaUpgradeStatements(int from) {
    if (from == 1)
        return noticeTable();
    if (from == 2)
        return {QStringLiteral("ALTER TABLE tbl_giden_txt ADD COLUMN "
                               "gonderim_kimligi TEXT NOT NULL DEFAULT ''"),
                submissionIdentityIndex()};
    // Version 4: packages count their SMS, and the settings how; workbooks
    // are read as data files, so a list still as it was delivered takes
    // them too, while one the user has set is theirs.
    if (from == 3)
        return {smsCountColumn(), costParam(ParamName::OperatorSuffix, QStringLiteral("5")),
                costParam(ParamName::OneSmsOnly, QStringLiteral("0")),
                QStringLiteral("UPDATE tbl_param SET deger = '%1' "
                               "WHERE parametre = '%2' AND deger = 'txt,csv'")
                    .arg(DeliveredExtensions, QLatin1String(ParamName::Extensions))};
    if (from == 4)
        return optOutTable() + ruleConsentColumns() +
               QStringList{costParam(ParamName::RefusalText, QString())};
    return {};
}

QStringList SchemaStatements() {
    QStringList s;
    s << QStringLiteral("CREATE TABLE tbl_ayarlar ("
                        "kullanici_adi TEXT NOT NULL DEFAULT '',"
                        "parola TEXT NOT NULL DEFAULT '',"
                        "ckey TEXT NOT NULL DEFAULT '',"
                        "flg_kaydet TEXT NOT NULL DEFAULT '0',"
                        "kullanici_adi_i TEXT NOT NULL DEFAULT '',"
                        "parola_i TEXT NOT NULL DEFAULT '',"
                        "flg_kaydet_i TEXT NOT NULL DEFAULT '0',"
                        "flg_gw TEXT NOT NULL DEFAULT '0',"
                        "url_hollin TEXT NOT NULL DEFAULT '')");
    s << QStringLiteral("CREATE TABLE tbl_param ("
                        "parametre TEXT NOT NULL UNIQUE,"
                        "deger TEXT NOT NULL DEFAULT '')");
    s << QStringLiteral("CREATE TABLE tbl_log_txt ("
                        "id INTEGER PRIMARY KEY AUTOINCREMENT,"
                        "tarih DATETIME,"
                        "aciklama TEXT NOT NULL DEFAULT '')");
    s << QStringLiteral("CREATE TABLE tbl_giden_txt ("
                        "id INTEGER PRIMARY KEY AUTOINCREMENT,"
                        "msgid TEXT NOT NULL DEFAULT '',"
                        "msgtip TEXT NOT NULL DEFAULT '',"
                        "gateway TEXT NOT NULL DEFAULT '',"
                        "paket_boyut INTEGER NOT NULL DEFAULT 0,"
                        "dosya_adi TEXT NOT NULL DEFAULT '',"
                        "kural INTEGER NOT NULL DEFAULT 0,"
                        "originator TEXT NOT NULL DEFAULT '',"
                        "tarih DATETIME,"
                        "gtarih DATETIME,"
                        "gonderim_kimligi TEXT NOT NULL DEFAULT '')");
    s << QStringLiteral("CREATE INDEX idx_giden_gtarih ON tbl_giden_txt(gtarih)");
    s << submissionIdentityIndex();
    s << smsCountColumn();
    s << QStringLiteral("CREATE TABLE tbl_kurallar_txt ("
                        "id INTEGER PRIMARY KEY AUTOINCREMENT,"
                        "kural_adi TEXT NOT NULL DEFAULT '',"
                        "gelen_klasor TEXT NOT NULL DEFAULT '',"
                        "giden_klasor TEXT NOT NULL DEFAULT '',"
                        "mesaj_sablonu TEXT NOT NULL DEFAULT '',"
                        "originator TEXT NOT NULL DEFAULT '',"
                        "fgsmno TEXT NOT NULL DEFAULT '',"
                        "metin_ayraci TEXT NOT NULL DEFAULT '',"
                        "baslik_var TEXT NOT NULL DEFAULT '',"
                        "flg_aktif TEXT NOT NULL DEFAULT '0')");
    s << ruleConsentColumns();
    // Files whose package left for the gateway: kept until the file has
    // been moved, so that a file is never submitted twice, even when the
    // move fails or the program dies between the request and its outcome.
    s << QStringLiteral("CREATE TABLE tbl_gonderim_gunlugu ("
                        "id INTEGER PRIMARY KEY AUTOINCREMENT,"
                        "kural INTEGER NOT NULL DEFAULT 0,"
                        "yol TEXT NOT NULL,"
                        "boyut INTEGER NOT NULL,"
                        "degisim TEXT NOT NULL,"
                        "ozet TEXT NOT NULL,"
                        "durum TEXT NOT NULL,"
                        "msgid TEXT NOT NULL DEFAULT '',"
                        "tarih DATETIME)");
    s << QStringLiteral("CREATE INDEX idx_gunluk_yol ON tbl_gonderim_gunlugu(yol)");
    s << noticeTable();
    s << optOutTable();
    s << dateTimeTriggers(QStringLiteral("tbl_log_txt"), QStringLiteral("tarih"));
    s << dateTimeTriggers(QStringLiteral("tbl_giden_txt"), QStringLiteral("tarih"));
    s << dateTimeTriggers(QStringLiteral("tbl_giden_txt"), QStringLiteral("gtarih"));

    s << QStringLiteral("INSERT INTO tbl_ayarlar (kullanici_adi,parola,ckey,flg_kaydet,"
                        "kullanici_adi_i,parola_i,flg_kaydet_i,flg_gw,url_hollin) "
                        "VALUES ('','','','0','','','0','0','')");
    const auto param = [&s](const char* name, const QString& value) {
        s << QStringLiteral("INSERT INTO tbl_param (parametre,deger) VALUES ('%1','%2')")
                 .arg(QLatin1String(name), value);
    };
    param(ParamName::CheckPeriod, QStringLiteral("60000"));
    param(ParamName::AutoSendSwitch, QStringLiteral("0"));
    param(ParamName::Extensions, DeliveredExtensions);
    // Placeholder hosts under .invalid, which never resolves: nothing is sent
    // anywhere until the real addresses are configured.
    param(ParamName::MainSecureAddress, QStringLiteral("https://sms.corvane.invalid"));
    param(ParamName::MainPlainAddress, QStringLiteral("http://sms.corvane.invalid"));
    param(ParamName::AdHostAddress, QStringLiteral("http://www.parlex.invalid"));
    param(ParamName::WebClientHostAddress, QStringLiteral("http://websms.parlex.invalid"));
    param(ParamName::SupportHostAddress, QStringLiteral("http://destek.parlex.invalid"));
    param(ParamName::DefaultCompanyCode, QStringLiteral("PARLEX"));
    s << costParam(ParamName::OperatorSuffix, QStringLiteral("5"));
    s << costParam(ParamName::OneSmsOnly, QStringLiteral("0"));
    s << costParam(ParamName::RefusalText, QString());
    return s;
}
