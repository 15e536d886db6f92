#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include "core/AppState.h"
#include "core/Database.h"
#include "core/DbRoutines.h"
#include "core/PendingRecords.h"
#include "support/TestEnvironment.h"

namespace {

QStringList columnsOf(const QString& table) {
    Recordset rs = OpenRecordset(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    QStringList names;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        names << rs.text(QStringLiteral("name"));
    return names;
}

int count(const QString& sql) {
    Recordset rs = OpenRecordset(sql);
    return rs.isEmpty() ? -1 : rs.value(0).toInt();
}

void setSettingsRow(const QStringList& values) {
    ExecuteSql(QStringLiteral("UPDATE tbl_ayarlar SET kullanici_adi='%1', parola='%2', ckey='%3', "
                              "flg_kaydet='%4', kullanici_adi_i='%5', parola_i='%6', "
                              "flg_kaydet_i='%7', flg_gw='%8', url_hollin='%9'")
                   .arg(values[0], values[1], values[2], values[3], values[4], values[5], values[6],
                        values[7], values[8]));
}

QStringList settingsRow() {
    Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM tbl_ayarlar"));
    QStringList values;
    for (int i = 0; i < rs.fieldCount(); ++i)
        values << rs.text(i);
    return values;
}

// A second process's connection to the same file.
struct OtherConnection {
    sqlite3* db = nullptr;
    explicit OtherConnection(const QString& path) { sqlite3_open(path.toUtf8().constData(), &db); }
    ~OtherConnection() { sqlite3_close(db); }
    int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void createdOnFirstOpen();
    void tablesKeepTheirColumnOrder_data();
    void tablesKeepTheirColumnOrder();
    void existingDatabaseIsKept();
    void paramsOfMissingNames();
    void writeLogKeepsQuotesAndStampsTime();
    void saveAccount_data();
    void saveAccount();
    void dateLiterals_data();
    void dateLiterals();
    void regionalDateTimesAreConverted_data();
    void regionalDateTimesAreConverted();
    void dayRangeCount();
    void packageListJoinRuns();
    void storageProblemsNameTheirCause_data();
    void storageProblemsNameTheirCause();
    void notADatabase();
    void newerSchemaIsRefused();
    void oneStatementPerCall();
    void firstSchemaIsUpgraded();
    void pendingRecordsReachTheDatabaseOnce_data();
    void pendingRecordsReachTheDatabaseOnce();
};

void TestDatabase::createdOnFirstOpen() {
    TestEnvironment env;
    QVERIFY(!QFileInfo::exists(DatabasePath()));
    OpenDatabase();
    const QFileInfo info(DatabasePath());
    QVERIFY(info.exists());
    QCOMPARE(info.fileName(), QStringLiteral("ostrel.mdb"));
    // Passwords are stored in it: the owner alone may read it.
    QCOMPARE(info.permissions() &
                 (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
             QFile::Permissions());
    QCOMPARE(count(QStringLiteral("PRAGMA user_version")), Database::SchemaVersion);
    // The write-ahead log holds the same data: it gets the same protection.
    WriteLog(QStringLiteral("x"));
    const QFileInfo wal(DatabasePath() + QStringLiteral("-wal"));
    QVERIFY(wal.exists());
    QCOMPARE(wal.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    ExecuteSql(QStringLiteral("DELETE FROM tbl_log_txt"));

    QCOMPARE(settingsRow(), (QStringList{"", "", "", "0", "", "", "0", "0", ""}));
    QCOMPARE(GetParam(QStringLiteral("kontrol_periyot")), QStringLiteral("60000"));
    QCOMPARE(GetParam(QStringLiteral("flg_parlex")), QStringLiteral("0"));
    QCOMPARE(GetParam(QStringLiteral("uzantilar")), QStringLiteral("txt,csv"));
    QVERIFY(GetParam(QStringLiteral("merkez_guvenli_adres")).startsWith(QLatin1String("https://")));
    QVERIFY(GetParam(QStringLiteral("merkez_adres")).startsWith(QLatin1String("http://")));
    QCOMPARE(GetParam(QStringLiteral("firma_kodu")).size(), 6);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), 0);
}

void TestDatabase::tablesKeepTheirColumnOrder_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("settings") << "tbl_ayarlar"
                              << QStringList{"kullanici_adi", "parola",          "ckey",
                                             "flg_kaydet",    "kullanici_adi_i", "parola_i",
                                             "flg_kaydet_i",  "flg_gw",          "url_hollin"};
    QTest::newRow("parameters") << "tbl_param" << QStringList{"parametre", "deger"};
    QTest::newRow("log") << "tbl_log_txt" << QStringList{"id", "tarih", "aciklama"};
    QTest::newRow("sent packages")
        << "tbl_giden_txt"
        << QStringList{"id",        "msgid", "msgtip",     "gateway", "paket_boyut",
                       "dosya_adi", "kural", "originator", "tarih",   "gtarih"};
    QTest::newRow("rules") << "tbl_kurallar_txt"
                           << QStringList{"id",           "kural_adi",     "gelen_klasor",
                                          "giden_klasor", "mesaj_sablonu", "originator",
                                          "fgsmno",       "metin_ayraci",  "baslik_var",
                                          "flg_aktif"};
}

void TestDatabase::tablesKeepTheirColumnOrder() {
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    TestEnvironment env;
    QCOMPARE(columnsOf(table), columns);
}

void TestDatabase::existingDatabaseIsKept() {
    TestEnvironment env;
    SetParam(QStringLiteral("kontrol_periyot"), QStringLiteral("5000"));
    WriteLog(QStringLiteral("bir"));
    App().gConnection.close();
    OpenDatabase();
    QCOMPARE(GetParam(QStringLiteral("kontrol_periyot")), QStringLiteral("5000"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), 1);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_ayarlar")), 1);
}

void TestDatabase::paramsOfMissingNames() {
    TestEnvironment env;
    QCOMPARE(GetParam(QStringLiteral("yok")), QString());
    SetParam(QStringLiteral("yok"), QStringLiteral("1")); // changes nothing, raises nothing
    QCOMPARE(GetParam(QStringLiteral("yok")), QString());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_param WHERE parametre = 'yok'")), 0);
    // A quote in a name or value is data, not SQL.
    SetParam(QStringLiteral("uzantilar"), QStringLiteral("txt,'csv"));
    QCOMPARE(GetParam(QStringLiteral("uzantilar")), QStringLiteral("txt,'csv"));
    QCOMPARE(GetParam(QStringLiteral("x' OR '1'='1")), QString());
}

void TestDatabase::writeLogKeepsQuotesAndStampsTime() {
    TestEnvironment env;
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 5, 9));
    env.ui().setNow(when);
    WriteLog(QStringLiteral("O'Brien'in dosyası ''gönderildi''"));
    Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM tbl_log_txt ORDER BY id DESC"));
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.text(QStringLiteral("aciklama")),
             QStringLiteral("O'Brien'in dosyası ''gönderildi''"));
    QCOMPARE(rs.value(QStringLiteral("tarih")).toDateTime(), when);
    QCOMPARE(rs.text(QStringLiteral("tarih")), QStringLiteral("06.12.2026 14:05:09"));
    Recordset raw = OpenRecordset(QStringLiteral("SELECT CAST(tarih AS TEXT) FROM tbl_log_txt"));
    QCOMPARE(raw.text(0), QStringLiteral("2026-12-06 14:05:09"));
}

void TestDatabase::saveAccount_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("remember");
    QTest::addColumn<QStringList>("expected");

    // Before each case: main account ali/p1/12 remembered, Hollin veli/p2
    // remembered at http://old, mode Hollin.
    QTest::newRow("main, remembered")
        << "Parlex"
        << "1" << QStringList{"us'er", "pa'ss", "c'k", "1", "veli", "p2", "1", "0", "http://old"};
    QTest::newRow("main, not remembered")
        << "Parlex"
        << "0" << QStringList{"", "", "", "0", "veli", "p2", "1", "0", "http://old"};
    QTest::newRow("hollin, remembered")
        << "Hollin"
        << "1"
        << QStringList{"ali", "p1", "12", "1", "us'er", "pa'ss", "1", "1", "http://h'ost/gw"};
    QTest::newRow("hollin, not remembered")
        << "Hollin"
        << "0" << QStringList{"ali", "p1", "12", "1", "", "", "0", "1", "http://h'ost/gw"};
}

void TestDatabase::saveAccount() {
    QFETCH(QString, mode);
    QFETCH(QString, remember);
    QFETCH(QStringList, expected);

    TestEnvironment env;
    setSettingsRow({"ali", "p1", "12", "1", "veli", "p2", "1", "1", "http://old"});
    App().gConnection.close(); // SaveAccount opens the database itself
    SaveAccount(QStringLiteral("us'er"), QStringLiteral("pa'ss"), QStringLiteral("c'k"), remember,
                mode, QStringLiteral("http://h'ost/gw"));
    QCOMPARE(settingsRow(), expected);
}

void TestDatabase::dateLiterals_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");

    QTest::newRow("date and time")
        << "WHERE gtarih BETWEEN #12/06/2026 00:00:01# AND #12/06/2026 23:59:59#"
        << "WHERE gtarih BETWEEN '2026-12-06 00:00:01' AND '2026-12-06 23:59:59'";
    QTest::newRow("date only is midnight") << "x >= #01/31/2026#"
                                           << "x >= '2026-01-31 00:00:00'";
    QTest::newRow("month first") << "#02/03/2026 7:05:00#"
                                 << "'2026-02-03 07:05:00'";
    QTest::newRow("inside quotes untouched") << "VALUES ('#12/06/2026#', 'a''#b#')"
                                             << "VALUES ('#12/06/2026#', 'a''#b#')";
    QTest::newRow("no literal") << "SELECT 1"
                                << "SELECT 1";
}

void TestDatabase::dateLiterals() {
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QCOMPARE(Database::translateDateLiterals(sql), expected);
}

void TestDatabase::regionalDateTimesAreConverted_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("stored"); // empty: the insert must fail

    QTest::newRow("regional") << "06.12.2026 09:08:07"
                              << "2026-12-06 09:08:07";
    QTest::newRow("regional date only") << "06.12.2026"
                                        << "2026-12-06 00:00:00";
    QTest::newRow("iso kept") << "2026-12-06 09:08:07"
                              << "2026-12-06 09:08:07";
    QTest::newRow("impossible day") << "31.02.2026 10:00:00"
                                    << "";
    QTest::newRow("impossible hour") << "06.12.2026 25:00:00"
                                     << "";
    QTest::newRow("month/day order is not regional") << "12/06/2026 10:00:00"
                                                     << "";
    QTest::newRow("words") << "yarın"
                           << "";
}

void TestDatabase::regionalDateTimesAreConverted() {
    QFETCH(QString, written);
    QFETCH(QString, stored);

    TestEnvironment env;
    const QString insert =
        QStringLiteral(
            "INSERT INTO tbl_giden_txt (msgid,msgtip,gateway,paket_boyut,dosya_adi,kural,"
            "originator,tarih,gtarih) VALUES ('1','t','Parlex',1,'a.txt',1,'X','%1','%1')")
            .arg(written);
    if (stored.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(DatabaseError, ExecuteSql(insert));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_giden_txt")), 0);
        QVERIFY_THROWS_EXCEPTION(
            DatabaseError, ExecuteSql(QStringLiteral("INSERT INTO tbl_log_txt(tarih,aciklama) "
                                                     "VALUES ('%1','x')")
                                          .arg(written)));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), 0);
    } else {
        ExecuteSql(insert);
        Recordset rs = OpenRecordset(
            QStringLiteral("SELECT CAST(tarih AS TEXT), CAST(gtarih AS TEXT) FROM tbl_giden_txt"));
        QCOMPARE(rs.text(0), stored);
        QCOMPARE(rs.text(1), stored);
    }
}

void TestDatabase::dayRangeCount() {
    TestEnvironment env;
    const QDate today(2026, 12, 6);
    const QStringList stamps{"05.12.2026 23:59:59", "06.12.2026 00:00:00", "06.12.2026 00:00:01",
                             "06.12.2026 23:59:59", "07.12.2026 00:00:00"};
    int size = 1;
    for (const QString& stamp : stamps) {
        ExecuteSql(QStringLiteral("INSERT INTO tbl_giden_txt (msgid,msgtip,gateway,paket_boyut,"
                                  "dosya_adi,kural,originator,tarih,gtarih) VALUES ('m','Otomatik "
                                  "gönderim','Parlex',%1,'a.txt',1,'X','%2','%2')")
                       .arg(size)
                       .arg(stamp));
        size *= 10;
    }
    const QString day = today.toString(QStringLiteral("MM/dd/yyyy"));
    const QString range = QStringLiteral("WHERE gtarih BETWEEN #") + day +
                          QStringLiteral(" 00:00:01# ") + QStringLiteral("AND #") + day +
                          QStringLiteral(" 23:59:59#");
    // The day's range as the status screen writes it: from one second past
    // midnight to the last second of the day.
    QCOMPARE(count(QStringLiteral("SELECT COUNT(msgid) FROM tbl_giden_txt ") + range), 2);
    QCOMPARE(count(QStringLiteral("SELECT SUM(paket_boyut) FROM tbl_giden_txt ") + range), 1100);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(msgid) FROM tbl_giden_txt")), 5);
    Recordset ordered =
        OpenRecordset(QStringLiteral("SELECT gtarih FROM tbl_giden_txt ORDER BY gtarih DESC"));
    QCOMPARE(ordered.text(0), QStringLiteral("07.12.2026 00:00:00"));
}

void TestDatabase::packageListJoinRuns() {
    TestEnvironment env;
    ExecuteSql(QStringLiteral("INSERT INTO tbl_kurallar_txt (kural_adi,gelen_klasor,giden_klasor,"
                              "mesaj_sablonu,originator,fgsmno,metin_ayraci,baslik_var,flg_aktif) "
                              "VALUES('Borç','/in','/out','x','FIRMA','GSM','T','E','1')"));
    ExecuteSql(QStringLiteral(
        "INSERT INTO tbl_giden_txt (msgid,msgtip,gateway,paket_boyut,dosya_adi,"
        "kural,originator,tarih,gtarih) VALUES ('77','Otomatik gönderim',"
        "'Parlex',3,'a.txt',1,'FIRMA','06.12.2026 10:00:00','06.12.2026 10:00:00')"));
    Recordset rs = OpenRecordset(
        QStringLiteral("SELECT tbg.id,msgid,msgtip,dosya_adi,kural_adi,tarih,gtarih,gateway,"
                       "tbg.originator,paket_boyut ") +
        QStringLiteral("FROM tbl_giden_txt AS tbg LEFT OUTER JOIN tbl_kurallar_txt AS tbk ") +
        QStringLiteral("ON tbk.id = tbg.kural ") + QStringLiteral("WHERE gateway = 'Parlex' ") +
        QStringLiteral("ORDER BY tbg.id DESC"));
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.fieldNames(),
             (QStringList{"id", "msgid", "msgtip", "dosya_adi", "kural_adi", "tarih", "gtarih",
                          "gateway", "originator", "paket_boyut"}));
    QCOMPARE(rs.text(QStringLiteral("kural_adi")), QStringLiteral("Borç"));
    QCOMPARE(rs.value(QStringLiteral("paket_boyut")).toInt(), 3);
    QCOMPARE(rs.text(QStringLiteral("gtarih")), QStringLiteral("06.12.2026 10:00:00"));
}

void TestDatabase::storageProblemsNameTheirCause_data() {
    QTest::addColumn<bool>("onOther"); // the obstacle is another connection's
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("clear");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("cause");

    QTest::newRow("another program holds the file")
        << true << "BEGIN EXCLUSIVE"
        << "COMMIT" << int(DatabaseError::Kind::Locked)
        << "veritabanı başka bir program tarafından kullanılıyor.";
    // The page limit cannot go below the file's size: no room for more.
    QTest::newRow("disk full") << false << "PRAGMA max_page_count = 1"
                               << "PRAGMA max_page_count = 2147483646"
                               << int(DatabaseError::Kind::DiskFull) << "diskte yer kalmadı.";
    QTest::newRow("read-only") << false << "PRAGMA query_only = 1"
                               << "PRAGMA query_only = 0" << int(DatabaseError::Kind::NotWritable)
                               << "klasöre yazılamıyor.";
}

void TestDatabase::storageProblemsNameTheirCause() {
    QFETCH(bool, onOther);
    QFETCH(QString, set);
    QFETCH(QString, clear);
    QFETCH(int, kind);
    QFETCH(QString, cause);

    TestEnvironment env;
    OpenDatabase();
    App().gConnection.setBusyTimeout(200);
    OtherConnection other(DatabasePath());
    const auto apply = [&](const QString& sql) {
        if (onOther)
            return other.exec(sql.toUtf8().constData()) == SQLITE_OK;
        ExecuteSql(sql);
        return true;
    };
    QVERIFY(apply(set));
    try {
        // Large enough to need pages of its own.
        WriteLog(QString(20000, u'x'));
        QFAIL("the write must raise");
    } catch (const DatabaseError& e) {
        QCOMPARE(int(e.kind()), kind);
        QCOMPARE(e.cause(), cause);
        if (onOther) // the message names the file that is in use
            QVERIFY(e.message().contains(QLatin1String("ostrel.mdb")));
    }
    QVERIFY(apply(clear));

    // Once the obstacle is gone the same connection writes again.
    WriteLog(QStringLiteral("serbest"));
    Recordset rs = OpenRecordset(QStringLiteral("SELECT aciklama FROM tbl_log_txt"));
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.text(0), QStringLiteral("serbest"));
}

void TestDatabase::notADatabase() {
    TestEnvironment env;
    static const char jet[] = "Standard Jet DB\0\0\0\0 not sqlite";
    env.writeFile(QStringLiteral("ostrel.mdb"), QByteArray(jet, sizeof jet - 1));
    try {
        OpenDatabase();
        QFAIL("a foreign file must not open");
    } catch (const DatabaseError& e) {
        QCOMPARE(e.kind(), DatabaseError::Kind::NotADatabase);
    }
    QVERIFY(!App().gConnection.isOpen());
    // The file is left as it was for the user to deal with.
    QFile file(DatabasePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("Standard Jet DB"));
}

void TestDatabase::newerSchemaIsRefused() {
    TestEnvironment env;
    OpenDatabase();
    ExecuteSql(QStringLiteral("PRAGMA user_version = %1").arg(Database::SchemaVersion + 1));
    App().gConnection.close();
    QVERIFY_THROWS_EXCEPTION(DatabaseError, OpenDatabase());
}

void TestDatabase::oneStatementPerCall() {
    TestEnvironment env;
    WriteLog(QStringLiteral("kalmalı"));
    QVERIFY_THROWS_EXCEPTION(DatabaseError,
                             ExecuteSql(QStringLiteral("SELECT 1; DELETE FROM tbl_log_txt")));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), 1);
}

void TestDatabase::firstSchemaIsUpgraded() {
    TestEnvironment env;
    WriteLog(QStringLiteral("eski"));
    ExecuteSql(QStringLiteral("DROP TABLE tbl_bildirim"));
    ExecuteSql(QStringLiteral("PRAGMA user_version = 1"));
    App().gConnection.close();
    OpenDatabase();
    QCOMPARE(columnsOf(QStringLiteral("tbl_bildirim")), (QStringList{"anahtar", "metin"}));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), 1);
    QCOMPARE(count(QStringLiteral("PRAGMA user_version")), Database::SchemaVersion);
}

void TestDatabase::pendingRecordsReachTheDatabaseOnce_data() {
    QTest::addColumn<QByteArray>("leftOver"); // what an earlier process left in the file
    QTest::addColumn<int>("rows");
    QTest::newRow("nothing") << QByteArray() << 1;
    QTest::newRow("a record cut short by a kill")
        << QByteArray("+[[\"\",\"INSERT INTO tbl_log_txt(aciklama) VALUES ('ya") << 1;
    QTest::newRow("the same record, never marked applied")
        << QByteArray("+[[\"SELECT COUNT(*) FROM tbl_log_txt WHERE aciklama = 'p'\","
                      "\"INSERT INTO tbl_log_txt(aciklama) VALUES ('p')\"]]\n")
        << 1;
    QTest::newRow("another record still pending")
        << QByteArray("+[[\"\",\"INSERT INTO tbl_log_txt(aciklama) VALUES ('o')\"]]\n") << 2;
}

void TestDatabase::pendingRecordsReachTheDatabaseOnce() {
    QFETCH(QByteArray, leftOver);
    QFETCH(int, rows);
    TestEnvironment env;
    OpenDatabase();
    PendingRecords::reserve();
    QFile file(PendingRecords::filePath());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.size() >= 16 * 1024);
    file.write(leftOver);
    file.close();

    const QString error = PendingRecords::write(
        {{QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt WHERE aciklama = 'p'"),
          QStringLiteral("INSERT INTO tbl_log_txt(aciklama) VALUES ('p')")}});
    QCOMPARE(error, QString());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), rows);
    QVERIFY(!PendingRecords::hasPending());
    QCOMPARE(PendingRecords::applyPending(), QString());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), rows);
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
