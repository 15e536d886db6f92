#include <unistd.h>

#include <QDir>
#include <QtTest>

#include "core/AppState.h"
#include "core/Database.h"
#include "core/DbRoutines.h"
#include "core/Settings.h"
#include "support/TestEnvironment.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

const QString FirstStepError =
    QStringLiteral("Sistem bilgileri kontrol edilemiyor. ") + CRLF +
    QStringLiteral("Sınırlı kullanıcı hesabıyla oturum açmış olabilirsiniz.");
const QString SecondStepError =
    QStringLiteral("Sistem bilgileri kaydedilemiyor.") + CRLF +
    QStringLiteral("Sınırlı kullanıcı hesabıyla oturum açmış olabilirsiniz") + CRLF +
    QStringLiteral("Lütfen sistem yöneticinize başvurun.");

void storeSettings(const QString& gw, const QString& remember, const QString& rememberHollin) {
    ExecuteSql(QStringLiteral("UPDATE tbl_ayarlar SET kullanici_adi='ali', parola='p1', ckey='12', "
                              "flg_kaydet='%1', kullanici_adi_i='veli', parola_i='p2', "
                              "flg_kaydet_i='%2', flg_gw='%3', url_hollin='http://hollin.local/gw'")
                   .arg(remember, rememberHollin, gw));
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void loadSettings_data();
    void loadSettings();
    void unknownModeLoadsNothingQuietly();
    void emptySettingsTableLoadsNothingQuietly();
    void badPeriodShowsSaveError();
    void unopenableDatabaseShowsCheckErrorAndCause_data();
    void unopenableDatabaseShowsCheckErrorAndCause();
    void versionRule_data();
    void versionRule();
    void dataAccessIsTheEngine();
};

void TestSettings::loadSettings_data() {
    QTest::addColumn<QString>("gw");
    QTest::addColumn<QString>("remember");       // flg_kaydet
    QTest::addColumn<QString>("rememberHollin"); // flg_kaydet_i
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("account"); // user, password, client code, remember

    const QString main = QStringLiteral("https://sms.corvane.invalid/sms/com.corvane");
    const QString hollin = QStringLiteral("http://hollin.local/gw");
    QTest::newRow("main remembered") << "0"
                                     << "1"
                                     << "0"
                                     << "Parlex" << main << QStringList{"ali", "p1", "12", "1"};
    QTest::newRow("main not remembered") << "0"
                                         << "0"
                                         << "1"
                                         << "Parlex" << main << QStringList{"", "", "", "0"};
    QTest::newRow("hollin remembered") << "1"
                                       << "0"
                                       << "1"
                                       << "Hollin" << hollin << QStringList{"veli", "p2", "", "1"};
    // The address is loaded even when the credentials are not.
    QTest::newRow("hollin not remembered") << "1"
                                           << "1"
                                           << "0"
                                           << "Hollin" << hollin << QStringList{"", "", "", "0"};
}

void TestSettings::loadSettings() {
    QFETCH(QString, gw);
    QFETCH(QString, remember);
    QFETCH(QString, rememberHollin);
    QFETCH(QString, mode);
    QFETCH(QString, url);
    QFETCH(QStringList, account);

    TestEnvironment env;
    storeSettings(gw, remember, rememberHollin);
    // Stale values from an earlier account must not survive.
    App().gUserName = QStringLiteral("eski");
    App().gClientCode = QStringLiteral("eski");

    LoadSettings();

    const AppState& app = App();
    QVERIFY(app.gSettingsLoaded);
    QCOMPARE(app.gGatewayMode, mode);
    QCOMPARE(app.gGatewayUrl, url);
    QCOMPARE((QStringList{app.gUserName, app.gPassword, app.gClientCode, app.gRemember}), account);
    QCOMPARE(app.gCheckPeriod, 60000);
    QCOMPARE(app.gAdPageUrl, QStringLiteral("http://www.parlex.invalid/reklam/?prm=Parlex"));
    QVERIFY(env.ui().boxes.empty());
}

void TestSettings::unknownModeLoadsNothingQuietly() {
    TestEnvironment env;
    storeSettings(QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1"));
    LoadSettings();
    QVERIFY(!App().gSettingsLoaded);
    QVERIFY(env.ui().boxes.empty());
}

void TestSettings::emptySettingsTableLoadsNothingQuietly() {
    TestEnvironment env;
    ExecuteSql(QStringLiteral("DELETE FROM tbl_ayarlar"));
    LoadSettings();
    QVERIFY(!App().gSettingsLoaded);
    QVERIFY(env.ui().boxes.empty());
}

void TestSettings::badPeriodShowsSaveError() {
    TestEnvironment env;
    SetParam(QStringLiteral("kontrol_periyot"), QStringLiteral("altmış"));
    LoadSettings();
    QVERIFY(!App().gSettingsLoaded);
    QCOMPARE(env.ui().boxes.size(), size_t(1));
    QCOMPARE(env.ui().boxes[0].kind, UiServices::BoxKind::Error);
    QCOMPARE(env.ui().boxes[0].title, QStringLiteral("Parlex"));
    QCOMPARE(env.ui().boxes[0].text, SecondStepError);
}

void TestSettings::unopenableDatabaseShowsCheckErrorAndCause_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("cause"); // empty: the step's text alone

    QTest::newRow("a folder where the file should be") << "folder"
                                                       << "";
    QTest::newRow("another program holds the file")
        << "locked"
        << "veritabanı başka bir program tarafından kullanılıyor.";
    QTest::newRow("program folder below a file") << "below a file"
                                                 << "klasör bulunamadı.";
    QTest::newRow("read-only folder") << "read-only"
                                      << "klasöre yazılamıyor.";
}

void TestSettings::unopenableDatabaseShowsCheckErrorAndCause() {
    QFETCH(QString, obstacle);
    QFETCH(QString, cause);

    TestEnvironment env;
    Database other;
    if (obstacle == "folder") {
        QVERIFY(QDir(env.folder()).mkdir(QStringLiteral("ostrel.mdb")));
    } else if (obstacle == "locked") {
        OpenDatabase();
        App().gConnection.close();
        App().gConnection.setBusyTimeout(200);
        // Exclusive locking mode keeps even readers of a write-ahead log out.
        other.open(DatabasePath());
        other.execute(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        other.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    } else if (obstacle == "below a file") {
        App().programFolder = env.writeFile(QStringLiteral("dosya"), "x") + "/parlex";
    } else {
        if (geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        const QString folder = env.filePath(QStringLiteral("salt"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        App().programFolder = folder;
    }

    QCOMPARE(LoadSettings(), cause);
    QVERIFY(!App().gSettingsLoaded);
    QCOMPARE(env.ui().boxes.size(), size_t(1));
    QCOMPARE(env.ui().boxes[0].kind, UiServices::BoxKind::Error);
    QCOMPARE(env.ui().boxes[0].title, QStringLiteral("Parlex"));
    QCOMPARE(env.ui().boxes[0].text,
             cause.isEmpty() ? FirstStepError : FirstStepError + CRLF + "Neden: " + cause);
}

void TestSettings::versionRule_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("tooOld");

    QTest::newRow("2.81 passes") << "2.81.1117.0" << false;
    QTest::newRow("2.10 reads as 2.1") << "2.10.4202.0" << true;
    QTest::newRow("2.5 is enough") << "2.50.4403.12" << false;
    QTest::newRow("1.x") << "1.50.0" << true;
    QTest::newRow("sqlite") << "3.40.1" << false;
}

void TestSettings::versionRule() {
    QFETCH(QString, version);
    QFETCH(bool, tooOld);
    QCOMPARE(IsDataAccessTooOld(version), tooOld);
}

void TestSettings::dataAccessIsTheEngine() {
    TestEnvironment env;
    CheckDataAccess();
    QVERIFY(App().gDataAccessFound);
    QCOMPARE(App().gDataAccessVersion, Database::engineVersion());
    QVERIFY(!IsDataAccessTooOld(App().gDataAccessVersion));
    QVERIFY_THROWS_EXCEPTION(std::exception, IsDataAccessTooOld(QStringLiteral("x")));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
