#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include "core/AppState.h"
#include "core/Database.h"
#include "core/DbRoutines.h"
#include "core/PendingRecords.h"
#include "support/TestEnvironment.h"

namespace {

int count(const QString& sql) {
    return OpenRecordset(sql).value(0).toInt();
}

// A record as a killed process leaves it in the file: pending, whole.
QByteArray keptLine(const PendingRecords::Step& step) {
    return "+" +
           QJsonDocument(QJsonArray{QJsonArray{step.unlessFound, step.sql}})
               .toJson(QJsonDocument::Compact) +
           "\n";
}

PendingRecords::Step package(const QString& gateway) {
    return PendingRecords::packageRowStep({"100", "Otomatik gönderim", gateway, 2, "a.txt", 1,
                                           "PARLEX", "05.03.2026 12:00:00", "05.03.2026 12:00:00",
                                           3});
}

const PendingRecords::Step LogLine = {
    QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt WHERE aciklama = 'p'"),
    QStringLiteral("INSERT INTO tbl_log_txt(aciklama) VALUES ('p')")};
} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void fileIsPrivateAndAnOldOneIsUpgraded_data();
    void fileIsPrivateAndAnOldOneIsUpgraded();
    void logLineKeepsQuotesAndTheUiTime();
    void dateLiterals_data();
    void dateLiterals();
    void regionalDateTimesAreConverted_data();
    void regionalDateTimesAreConverted();
    void storageProblemsNameTheirCause_data();
    void storageProblemsNameTheirCause();
    void foreignAndNewerFilesAreRefused();
    void oneStatementPerCall();
    void pendingRecordsReachTheDatabaseOnce_data();
    void pendingRecordsReachTheDatabaseOnce();
};

void TestDatabase::fileIsPrivateAndAnOldOneIsUpgraded_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("extensions"); // as the file had them
    QTest::addColumn<QString>("upgraded");   // as it has them then
    QTest::newRow("version 1, delivered extensions") << 1 << "txt,csv"
                                                     << "txt,csv,xlsx,ods,xls";
    QTest::newRow("version 2, the user's own extensions") << 2 << "txt,dat"
                                                          << "txt,dat";
    QTest::newRow("version 3, delivered extensions") << 3 << "txt,csv"
                                                     << "txt,csv,xlsx,ods,xls";
    QTest::newRow("version 4, the user's own extensions") << 4 << "txt"
                                                          << "txt";
}

void TestDatabase::fileIsPrivateAndAnOldOneIsUpgraded() {
    QFETCH(int, version);
    QFETCH(QString, extensions);
    QFETCH(QString, upgraded);
    TestEnvironment env;
    WriteLog(QStringLiteral("eski"));
    SetParam(QStringLiteral("uzantilar"), extensions);
    // Passwords are kept in it: the database and its write-ahead log, which
    // holds the same data, are the owner's alone.
    for (const QString& path : {DatabasePath(), DatabasePath() + QStringLiteral("-wal")}) {
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        QCOMPARE(QFileInfo(path).permissions() &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
    }
    // The file as an older Parlex left it, with a package recorded.
    ExecuteSql(QStringLiteral("DROP TABLE tbl_ret"));
    ExecuteSql(QStringLiteral("ALTER TABLE tbl_kurallar_txt DROP COLUMN flg_ticari"));
    ExecuteSql(QStringLiteral("ALTER TABLE tbl_kurallar_txt DROP COLUMN flg_tek_numara"));
    ExecuteSql(QStringLiteral("DELETE FROM tbl_param WHERE parametre = 'ret_metni'"));
    ExecuteSql(QStringLiteral("INSERT INTO tbl_kurallar_txt (kural_adi) VALUES ('eski')"));
    if (version <= 3) {
        ExecuteSql(QStringLiteral("ALTER TABLE tbl_giden_txt DROP COLUMN sms_sayisi"));
        ExecuteSql(QStringLiteral("DELETE FROM tbl_param WHERE parametre IN ('operator_eki', "
                                  "'flg_tek_sms')"));
    }
    if (version <= 2) {
        ExecuteSql(QStringLiteral("DROP INDEX idx_giden_gonderim"));
        ExecuteSql(QStringLiteral("ALTER TABLE tbl_giden_txt DROP COLUMN gonderim_kimligi"));
    }
    if (version == 1)
        ExecuteSql(QStringLiteral("DROP TABLE tbl_bildirim"));
    ExecuteSql(QStringLiteral("INSERT INTO tbl_giden_txt (msgid,msgtip,gateway,paket_boyut,"
                              "dosya_adi,kural,originator,tarih,gtarih) VALUES ('100',"
                              "'Otomatik gönderim','Parlex',2,'a.txt',1,'PARLEX',"
                              "'05.03.2026 12:00:00','05.03.2026 12:00:00')"));
    ExecuteSql(QStringLiteral("PRAGMA user_version = %1").arg(version));
    App().gConnection.close();
    // It keeps its rows, gains the notes table, and a package with the same
    // id and file name is still recorded.
    ExecuteSql(QStringLiteral("INSERT INTO tbl_bildirim (anahtar, metin) VALUES ('a', 'b')"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), 1);
    QCOMPARE(count(QStringLiteral("PRAGMA user_version")), Database::SchemaVersion);
    QCOMPARE(GetParam(QStringLiteral("uzantilar")), upgraded);
    // The SMS counting settings are there for the settings window to store.
    SetParam(QStringLiteral("operator_eki"), QStringLiteral("0"));
    QCOMPARE(GetParam(QStringLiteral("operator_eki")), QStringLiteral("0"));
    QCOMPARE(GetParam(QStringLiteral("flg_tek_sms")), QStringLiteral("0"));
    QCOMPARE(PendingRecords::write({package(QStringLiteral("Parlex"))}), QString());
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_giden_txt WHERE msgid = '100'")), 2);
    // The old row's SMS are unknown; the new one keeps its count.
    QCOMPARE(count(QStringLiteral("SELECT SUM(sms_sayisi) FROM tbl_giden_txt")), 3);
    // An old rule sends as it did: not commercial, every row; the opt-out
    // list is there, empty, and so is the refusal text setting.
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_kurallar_txt WHERE kural_adi = 'eski' "
                                  "AND flg_ticari = '0' AND flg_tek_numara = '0'")),
             1);
    ExecuteSql(QStringLiteral("INSERT INTO tbl_ret (numara, tarih) VALUES ('5321234567', "
                              "'09.12.2026 10:00:00')"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_ret WHERE tarih LIKE '2026-12-09%'")),
             1);
    SetParam(QStringLiteral("ret_metni"), QStringLiteral("Ret için RET yazın"));
    QCOMPARE(GetParam(QStringLiteral("ret_metni")), QStringLiteral("Ret için RET yazın"));
}

void TestDatabase::logLineKeepsQuotesAndTheUiTime() {
    TestEnvironment env;
    env.ui().setNow(QDateTime(QDate(2026, 12, 6), QTime(14, 5, 9)));
    WriteLog(QStringLiteral("O'Brien'in dosyası ''gönderildi''"));
    Recordset rs =
        OpenRecordset(QStringLiteral("SELECT aciklama, CAST(tarih AS TEXT) FROM tbl_log_txt"));
    QCOMPARE(rs.text(0), QStringLiteral("O'Brien'in dosyası ''gönderildi''"));
    QCOMPARE(rs.text(1), QStringLiteral("2026-12-06 14:05:09"));
    // Shown in the regional format.
    QCOMPARE(OpenRecordset(QStringLiteral("SELECT tarih FROM tbl_log_txt")).text(0),
             QStringLiteral("06.12.2026 14:05:09"));
}

void TestDatabase::dateLiterals_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");

    // Month first, as the report windows write them.
    QTest::newRow("date and time")
        << "WHERE gtarih BETWEEN #12/06/2026 00:00:01# AND #12/06/2026 7:05:09#"
        << "WHERE gtarih BETWEEN '2026-12-06 00:00:01' AND '2026-12-06 07:05:09'";
    QTest::newRow("inside quotes untouched") << "VALUES ('#12/06/2026#', 'a''#b#')"
                                             << "VALUES ('#12/06/2026#', 'a''#b#')";
}

void TestDatabase::dateLiterals() {
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QCOMPARE(Database::translateDateLiterals(sql), expected);
}

void TestDatabase::regionalDateTimesAreConverted_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("stored"); // empty: the insert must fail

    QTest::newRow("regional date only") << "06.12.2026"
                                        << "2026-12-06 00:00:00";
    QTest::newRow("iso kept") << "2026-12-06 09:08:07"
                              << "2026-12-06 09:08:07";
    QTest::newRow("impossible day") << "31.02.2026 10:00:00" << QString();
    QTest::newRow("month/day order is not regional") << "12/06/2026 10:00:00" << QString();
}

void TestDatabase::regionalDateTimesAreConverted() {
    QFETCH(QString, written);
    QFETCH(QString, stored);

    TestEnvironment env;
    // Every date column of the log and the package list.
    const QStringList inserts{
        QStringLiteral("INSERT INTO tbl_log_txt (tarih,aciklama) VALUES ('%1','x')"),
        QStringLiteral("INSERT INTO tbl_giden_txt (msgid,msgtip,gateway,paket_boyut,dosya_adi,"
                       "kural,originator,tarih,gtarih) VALUES ('1','t','Parlex',1,'a.txt',1,'X',"
                       "'%1','%1')")};
    for (const QString& insert : inserts) {
        if (stored.isEmpty())
            QVERIFY_THROWS_EXCEPTION(DatabaseError, ExecuteSql(insert.arg(written)));
        else
            ExecuteSql(insert.arg(written));
    }
    Recordset rs = OpenRecordset(QStringLiteral(
        "SELECT CAST(l.tarih AS TEXT), CAST(g.tarih AS TEXT), CAST(g.gtarih AS TEXT) "
        "FROM tbl_log_txt AS l, tbl_giden_txt AS g"));
    if (stored.isEmpty())
        QVERIFY(rs.isEmpty()); // nothing written
    else
        QCOMPARE((QStringList{rs.text(0), rs.text(1), rs.text(2)}),
                 (QStringList{stored, stored, stored}));
}

void TestDatabase::storageProblemsNameTheirCause_data() {
    QTest::addColumn<bool>("onOther"); // the obstacle is another connection's
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("clear");
    QTest::addColumn<QString>("cause");

    QTest::newRow("another program holds the file")
        << true << "BEGIN EXCLUSIVE"
        << "COMMIT"
        << "veritabanı başka bir program tarafından kullanılıyor.";
    // The page limit cannot go below the file's size: no room for more.
    QTest::newRow("disk full") << false << "PRAGMA max_page_count = 1"
                               << "PRAGMA max_page_count = 2147483646"
                               << "diskte yer kalmadı.";
    QTest::newRow("read-only") << false << "PRAGMA query_only = 1"
                               << "PRAGMA query_only = 0"
                               << "klasöre yazılamıyor.";
}

void TestDatabase::storageProblemsNameTheirCause() {
    QFETCH(bool, onOther);
    QFETCH(QString, set);
    QFETCH(QString, clear);
    QFETCH(QString, cause);

    TestEnvironment env;
    OpenDatabase();
    App().gConnection.setBusyTimeout(200);
    Database other;
    other.open(DatabasePath());
    Database& obstacle = onOther ? other : App().gConnection;
    obstacle.execute(set);
    try {
        WriteLog(QString(20000, u'x')); // large enough to need pages of its own
        QFAIL("the write must raise");
    } catch (const DatabaseError& e) {
        QCOMPARE(e.cause(), cause);
        if (onOther) // the message names the file in use
            QVERIFY(e.message().contains(QLatin1String("ostrel.mdb")));
    }
    // Once the obstacle is gone the same connection writes again.
    obstacle.execute(clear);
    WriteLog(QStringLiteral("serbest"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), 1);
}

void TestDatabase::foreignAndNewerFilesAreRefused() {
    TestEnvironment env;
    OpenDatabase();
    ExecuteSql(QStringLiteral("PRAGMA user_version = %1").arg(Database::SchemaVersion + 1));
    App().gConnection.close();
    QVERIFY_THROWS_EXCEPTION(DatabaseError, OpenDatabase());

    static const char jet[] = "Standard Jet DB\0\0\0\0 not sqlite";
    const QByteArray foreign(jet, sizeof jet - 1);
    env.writeFile(QStringLiteral("ostrel.mdb"), foreign);
    QFile::remove(DatabasePath() + QStringLiteral("-wal"));
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
    QCOMPARE(file.readAll(), foreign);
}

void TestDatabase::oneStatementPerCall() {
    TestEnvironment env;
    WriteLog(QStringLiteral("kalmalı"));
    QVERIFY_THROWS_EXCEPTION(DatabaseError,
                             ExecuteSql(QStringLiteral("SELECT 1; DELETE FROM tbl_log_txt")));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")), 1);
}

void TestDatabase::pendingRecordsReachTheDatabaseOnce_data() {
    QTest::addColumn<QByteArray>("leftOver"); // what an earlier process left in the file
    QTest::addColumn<QString>("guard");       // the record written now
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("rows"); // in the log and the package list together
    QTest::newRow("a record cut short by a kill")
        << QByteArray("+[[\"\",\"INSERT INTO tbl_log_txt(aciklama) VALUES ('ya")
        << LogLine.unlessFound << LogLine.sql << 1;
    QTest::newRow("the same record, never marked applied")
        << keptLine(LogLine) << LogLine.unlessFound << LogLine.sql << 1;
    QTest::newRow("another record still pending")
        << QByteArray("+[[\"\",\"INSERT INTO tbl_log_txt(aciklama) VALUES ('o')\"]]\n")
        << LogLine.unlessFound << LogLine.sql << 2;

    // Packages: one row per submission, whatever the gateway numbered it.
    const PendingRecords::Step first = package(QStringLiteral("Parlex"));
    QTest::newRow("the same package record twice")
        << keptLine(first) << first.unlessFound << first.sql << 1;
    const PendingRecords::Step hollin = package(QStringLiteral("Hollin"));
    QTest::newRow("same id and file from another gateway")
        << keptLine(first) << hollin.unlessFound << hollin.sql << 2;
    const PendingRecords::Step restarted = package(QStringLiteral("Parlex"));
    QTest::newRow("same id and file from a restarted gateway")
        << keptLine(first) << restarted.unlessFound << restarted.sql << 2;
}

void TestDatabase::pendingRecordsReachTheDatabaseOnce() {
    QFETCH(QByteArray, leftOver);
    QFETCH(QString, guard);
    QFETCH(QString, sql);
    QFETCH(int, rows);
    TestEnvironment env;
    OpenDatabase();
    PendingRecords::reserve();
    QFile file(PendingRecords::filePath());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.size() >= 16 * 1024);
    file.write(leftOver);
    file.close();

    const QString both = QStringLiteral(
        "SELECT (SELECT COUNT(*) FROM tbl_log_txt) + (SELECT COUNT(*) FROM tbl_giden_txt)");
    QCOMPARE(PendingRecords::write({{guard, sql}}), QString());
    QCOMPARE(count(both), rows);
    QVERIFY(!PendingRecords::hasPending());
    // A power cut after the database took them, before the file forgot
    // them: they are applied again, to no effect.
    PendingRecords::keep({{guard, sql}});
    QCOMPARE(PendingRecords::applyPending(), QString());
    QCOMPARE(count(both), rows);
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
