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

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void accountSavedAndLoadedBack_data();
    void accountSavedAndLoadedBack();
    void unusableSettingsLoadNothing_data();
    void unusableSettingsLoadNothing();
};

void TestSettings::accountSavedAndLoadedBack_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("remember");
    QTest::addColumn<QString>("stored");      // the row of tbl_ayarlar
    QTest::addColumn<QStringList>("account"); // user, password, client code, remember

    // Before each case: main account ali/p1/12 and Hollin account veli/p2 at
    // http://old remembered, mode Hollin. The Hollin address is kept even
    // when the credentials are not.
    QTest::newRow("main, remembered")
        << "Parlex" << true << "us'er|pa'ss|c'k|1|veli|p2|1|0|http://old"
        << QStringList{"us'er", "pa'ss", "c'k", "1"};
    QTest::newRow("main, not remembered")
        << "Parlex" << false << "|||0|veli|p2|1|0|http://old" << QStringList{"", "", "", "0"};
    QTest::newRow("hollin, remembered")
        << "Hollin" << true << "ali|p1|12|1|us'er|pa'ss|1|1|http://h'ost/gw"
        << QStringList{"us'er", "pa'ss", "", "1"};
    QTest::newRow("hollin, not remembered")
        << "Hollin" << false << "ali|p1|12|1|||0|1|http://h'ost/gw" << QStringList{"", "", "", "0"};
}

void TestSettings::accountSavedAndLoadedBack() {
    QFETCH(QString, mode);
    QFETCH(bool, remember);
    QFETCH(QString, stored);
    QFETCH(QStringList, account);

    TestEnvironment env;
    ExecuteSql(QStringLiteral("UPDATE tbl_ayarlar SET kullanici_adi='ali', parola='p1', ckey='12', "
                              "flg_kaydet='1', kullanici_adi_i='veli', parola_i='p2', "
                              "flg_kaydet_i='1', flg_gw='1', url_hollin='http://old'"));
    App().gConnection.close(); // SaveAccount opens the database itself
    SaveAccount(QStringLiteral("us'er"), QStringLiteral("pa'ss"), QStringLiteral("c'k"),
                remember ? QStringLiteral("1") : QStringLiteral("0"), mode,
                QStringLiteral("http://h'ost/gw"));
    Recordset row = OpenRecordset(QStringLiteral("SELECT * FROM tbl_ayarlar"));
    QStringList values;
    for (int i = 0; i < row.fieldCount(); ++i)
        values << row.text(i);
    QCOMPARE(values.join(u'|'), stored);

    // Loaded at the next start, over what an earlier account left.
    App().gUserName = App().gClientCode = QStringLiteral("eski");
    LoadSettings();
    const AppState& app = App();
    QVERIFY(app.gSettingsLoaded);
    QCOMPARE(app.gGatewayMode, mode);
    QCOMPARE(app.gGatewayUrl, mode == QLatin1String("Parlex")
                                  ? QStringLiteral("https://sms.corvane.invalid/sms/com.corvane")
                                  : QStringLiteral("http://h'ost/gw"));
    QCOMPARE((QStringList{app.gUserName, app.gPassword, app.gClientCode, app.gRemember}), account);
    QCOMPARE(app.gCheckPeriod, 60000);
    QVERIFY(env.ui().boxes.empty());
}

void TestSettings::unusableSettingsLoadNothing_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("box");   // empty: none, quietly
    QTest::addColumn<QString>("cause"); // added to the box

    QTest::newRow("mode unknown") << "mode" << QString() << QString();
    QTest::newRow("settings row missing") << "no row" << QString() << QString();
    QTest::newRow("period not a number") << "period" << SecondStepError << QString();
    QTest::newRow("another program holds the file")
        << "locked" << FirstStepError << "veritabanı başka bir program tarafından kullanılıyor.";
    QTest::newRow("program folder below a file")
        << "below a file" << FirstStepError << "klasör bulunamadı.";
}

void TestSettings::unusableSettingsLoadNothing() {
    QFETCH(QString, obstacle);
    QFETCH(QString, box);
    QFETCH(QString, cause);

    TestEnvironment env;
    Database other;
    if (obstacle == "mode") {
        ExecuteSql(QStringLiteral("UPDATE tbl_ayarlar SET flg_gw = '2'"));
    } else if (obstacle == "no row") {
        ExecuteSql(QStringLiteral("DELETE FROM tbl_ayarlar"));
    } else if (obstacle == "period") {
        SetParam(QStringLiteral("kontrol_periyot"), QStringLiteral("altmış"));
    } else if (obstacle == "locked") {
        OpenDatabase();
        App().gConnection.close();
        App().gConnection.setBusyTimeout(200);
        // Exclusive locking mode keeps even readers of a write-ahead log out.
        other.open(DatabasePath());
        other.execute(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        other.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    } else {
        App().programFolder = env.writeFile(QStringLiteral("dosya"), "x") + "/parlex";
    }

    QCOMPARE(LoadSettings(), cause);
    QVERIFY(!App().gSettingsLoaded);
    if (box.isEmpty()) {
        QVERIFY(env.ui().boxes.empty());
        return;
    }
    QCOMPARE(env.ui().boxes.size(), size_t(1));
    QCOMPARE(env.ui().boxes[0].kind, UiServices::BoxKind::Error);
    QCOMPARE(env.ui().boxes[0].title, QStringLiteral("Parlex"));
    QCOMPARE(env.ui().boxes[0].text, cause.isEmpty() ? box : box + CRLF + "Neden: " + cause);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
