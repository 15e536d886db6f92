#include <QtTest>

#include "support/RunnerWorld.h"
#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "gateway/Submission.h"
#include "rules/RuleRunner.h"
#include "rules/SentFileJournal.h"

namespace {

const QString P = QStringLiteral("[Borç] ");

// Windows-1254: "Şükrü Işık" as a Turkish Windows program writes it.
const QByteArray SukruCp1254("\xDE\xFC\x6B\x72\xFC \x49\xFE\xFD\x6B");

QByteArray longName(int length) {
    return QByteArray(length, 'x');
}

QString packageId(RunnerWorld& w) {
    const auto packages = w.sim->packages();
    return packages.empty() ? QString() : QString::fromStdString(packages.back().id);
}

} // namespace

Q_DECLARE_METATYPE(SimFault)

class TestRuleRunner : public QObject {
    Q_OBJECT

private slots:
    void oneFileEndToEnd_data();
    void oneFileEndToEnd();
    void numberInEveryWrittenForm();
    void allRowsRejectedSendsNothing();
    void creditAgainstPackage_data();
    void creditAgainstPackage();
    void accountCheckFailure_data();
    void accountCheckFailure();
    void submissionRefused_data();
    void submissionRefused();
    void secondFileOfTheSameName();
    void templateWithNullValue();
    void apostropheInSenderName();
    void switchedOffDuringPass();
    void emptyAndUnreadableFiles_data();
    void emptyAndUnreadableFiles();
    void filesBeingWrittenWait();
    void missingFolderSkipsOnlyItsRule();
    void otherExtensionsAreLeftAlone();
    void failedMoveNeverSendsAgain();
    void unknownOutcomeSetAsideAtOnce_data();
    void unknownOutcomeSetAsideAtOnce();
    void acceptedPackageRecordedWhenDatabaseRefuses();
    void problemsLoggedOnceAcrossRestarts();
    void leftoversOfAKilledPassAreRemoved();
    void unattendedFailuresAreLogLines();
    void fileDatedAheadWaitsUntilStill();
    void replacedFileIsSentAsNew();
};

void TestRuleRunner::oneFileEndToEnd_data() {
    QTest::addColumn<QString>("header");
    QTest::newRow("with header line") << "E";
    QTest::newRow("without header line") << "H";
}

void TestRuleRunner::oneFileEndToEnd() {
    QFETCH(QString, header);
    RunnerWorld w(header);
    const QByteArray head =
        header == QLatin1String("E") ? QByteArray("gsm;ad;tutar\r\n") : QByteArray();
    // 23 characters around the name: a 138-character name makes 161.
    const QByteArray tooLong = "5331234567;" + longName(138) + ";30";
    const QByteArray noNumber = ";" + SukruCp1254 + ";20";
    w.drop(QStringLiteral("liste.txt"),
           head + "05321234567;Ali;10\r\n" + noNumber + "\r\n" + tooLong + "\r\n");

    OtoMesaj();

    QCOMPARE(w.sim->packageCount(), 1);
    const auto messages = w.sim->packageMessages(w.sim->packages()[0].id);
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(messages[0].number, std::string("5321234567"));
    QCOMPARE(messages[0].text, std::string("Sayin Ali, borcunuz 10 TL."));
    QCOMPARE(w.sim->packages()[0].originator, std::string("PARLEX"));

    // The file moved on, with the rejected rows beside it in its own encoding.
    QCOMPARE(RunnerWorld::files(w.in), QStringList{QStringLiteral("Schema.ini")});
    QCOMPARE(RunnerWorld::files(w.out),
             (QStringList{"h01_liste.txt", "h02_liste.txt", "liste.txt"}));
    const QByteArray cols = header == QLatin1String("E") ? head : QByteArray();
    QCOMPARE(RunnerWorld::read(w.out + "/h01_liste.txt"), cols + noNumber + "\r\n");
    QCOMPARE(RunnerWorld::read(w.out + "/h02_liste.txt"), cols + tooLong + "\r\n");

    const QString id = packageId(w);
    QCOMPARE(w.logLines(), (QStringList{
                               P + "liste.txt dosyası açılıyor...",
                               P + "liste.txt dosyası için mesaj paketi oluşturuluyor...",
                               P + "liste.txt mesaj paketi gönderiliyor...",
                               P + "liste.txt mesaj paketi başarıyla gönderildi. MsgID : " + id,
                           }));

    Recordset row = OpenRecordset(QStringLiteral("SELECT * FROM tbl_giden_txt"));
    QCOMPARE(row.recordCount(), 1);
    QCOMPARE(row.text(QStringLiteral("msgid")), id);
    QCOMPARE(row.text(QStringLiteral("msgtip")), QStringLiteral("Otomatik gönderim"));
    QCOMPARE(row.text(QStringLiteral("gateway")), QStringLiteral("Parlex"));
    QCOMPARE(row.value(QStringLiteral("paket_boyut")).toInt(), 1);
    QCOMPARE(row.text(QStringLiteral("dosya_adi")), QStringLiteral("liste.txt"));
    QCOMPARE(row.value(QStringLiteral("kural")).toInt(), w.rule.id);
    QCOMPARE(row.text(QStringLiteral("originator")), QStringLiteral("PARLEX"));
    QVERIFY(row.value(QStringLiteral("tarih")).toDateTime().isValid());
    QVERIFY(!SentFileJournal::find(w.in + "/liste.txt"));
}

void TestRuleRunner::numberInEveryWrittenForm() {
    RunnerWorld w;
    w.drop(QStringLiteral("liste.csv"), "gsm;ad;tutar\n"
                                        "+90 (532) 123-45-67;A;1\n"
                                        "0532.123.45.67;B;2\n"
                                        "5321234567;C;3\n"
                                        "905321234567;D;4\n"
                                        "0 532 123 45 67;E;5\n"
                                        "02121234567;F;6\n"
                                        "532123456;G;7\n");
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    const auto messages = w.sim->packageMessages(w.sim->packages()[0].id);
    QCOMPARE(messages.size(), size_t(5));
    for (const auto& m : messages)
        QCOMPARE(m.number, std::string("5321234567"));
    // A fixed line and a short number are no mobile numbers.
    QCOMPARE(RunnerWorld::read(w.out + "/h01_liste.csv"),
             QByteArray("gsm;ad;tutar\r\n02121234567;F;6\r\ngsm;ad;tutar\r\n532123456;G;7\r\n"));
}

void TestRuleRunner::allRowsRejectedSendsNothing() {
    RunnerWorld w;
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n;A;1\n123;B;2\n");
    OtoMesaj();
    QCOMPARE(w.sim->requestCount(), 0);
    QCOMPARE(w.packageRows(), 0);
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{"h01_liste.txt", "liste.txt"}));
    QCOMPARE(w.logLines().size(), 2); // opening and building, nothing sent
}

void TestRuleRunner::creditAgainstPackage_data() {
    QTest::addColumn<QByteArray>("infoReply"); // empty: the account's real credit
    QTest::addColumn<qint64>("credit");
    QTest::addColumn<bool>("sent");

    QTest::newRow("credit equals package") << QByteArray() << qint64(2) << true;
    QTest::newRow("credit one less") << QByteArray() << qint64(1) << false;
    QTest::newRow("credit reply not a number") << QByteArray("bol\nPARLEX\n") << qint64(0) << false;
}

void TestRuleRunner::creditAgainstPackage() {
    QFETCH(QByteArray, infoReply);
    QFETCH(qint64, credit);
    QFETCH(bool, sent);

    RunnerWorld w;
    if (infoReply.isEmpty())
        w.sim->setCredit(SimulatorFixture::MainUser, credit);
    else
        w.sim->setFault(4, SimFault::reply(infoReply.toStdString()));
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n5331234567;B;2\n");
    OtoMesaj();

    QCOMPARE(w.sim->packageCount(), sent ? 1 : 0);
    QCOMPARE(QFile::exists(w.in + "/liste.txt"), !sent);
    if (!sent) {
        QCOMPARE(w.logLines().last(),
                 P + "liste.txt mesaj paketi gönderilemedi. Yetersiz kredi miktarı.");
        QCOMPARE(RunnerWorld::files(w.out), QStringList());
    }
}

void TestRuleRunner::accountCheckFailure_data() {
    QTest::addColumn<int>("fault"); // 0: reply "01", 1: connection closed
    QTest::addColumn<QString>("status");

    QTest::newRow("wrong password")
        << 0 << "Kullanıcı bilgileri kontrol edilemiyor. Mesaj gönderimi yapılamıyor.";
    QTest::newRow("no connection")
        << 1
        << "Kullanıcı bilgileri kontrol edilemiyor. İnternet bağlantınız kapalı ya da bir güvenlik "
           "uygulaması denetiminde olabilir.";
}

void TestRuleRunner::accountCheckFailure() {
    QFETCH(int, fault);
    QFETCH(QString, status);

    RunnerWorld w;
    w.sim->setFault(4, fault == 0 ? SimFault::reply("01") : SimFault::close());
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n;B;2\n");
    OtoMesaj();

    QCOMPARE(w.sim->requestCount(1), 0);
    QVERIFY(QFile::exists(w.in + "/liste.txt"));
    QCOMPARE(RunnerWorld::files(w.out), QStringList()); // reject files go with a held file
    QCOMPARE(w.env.ui().statusTexts.back(), P + status);
    QCOMPARE(w.logLines().last(), P + "liste.txt kullanıcı bilgileri kontrol edilemiyor.");
}

void TestRuleRunner::submissionRefused_data() {
    QTest::addColumn<int>("kind"); // 0 reply, 1 html page
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("logged");

    const QString notSent = QStringLiteral("liste.txt mesaj paketi gönderilemedi. ");
    QTest::newRow("04") << 0 << "04"
                        << notSent +
                               "Mesaj merkeziyle bağlantı kurulamadı. Proxy Server veya Firewall "
                               "kullanıyorsanız gerekli ayarları Yapmalısınız.";
    QTest::newRow("05") << 0 << "05"
                        << notSent +
                               "Mesaj merkeziyle bağlantı kurulamadı. Proxy Server veya Firewall "
                               "kullanıyorsanız gerekli ayarları Yapmalısınız.";
    QTest::newRow("06") << 0 << "06" << notSent + "Tanımsız Originator bilgisi.";
    QTest::newRow("proxy page") << 1 << ""
                                << notSent + "Ağınız Proxy Sunucusu denetiminde olabilir.";
    // Refusals without a message of their own are held back and logged too.
    QTest::newRow("03") << 0 << "03" << notSent + "Hata kodu : 03";
    QTest::newRow("-2") << 0 << "-2" << notSent + "Hata kodu : -2";
    QTest::newRow("13") << 0 << "13" << notSent + "Hata kodu : 13";
    QTest::newRow("lower-case html")
        << 0 << "<html>hata</html>" << notSent + "Hata kodu : <html>hata</html>";
}

void TestRuleRunner::submissionRefused() {
    QFETCH(int, kind);
    QFETCH(QString, reply);
    QFETCH(QString, logged);

    RunnerWorld w;
    w.sim->setFault(1, kind == 0 ? SimFault::reply(reply.toStdString()) : SimFault::htmlPage());
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n;B;2\n");
    OtoMesaj();

    QCOMPARE(w.logLines().last(), P + logged);
    QVERIFY(QFile::exists(w.in + "/liste.txt"));
    QCOMPARE(RunnerWorld::files(w.out), QStringList());
    QCOMPARE(w.packageRows(), 0);

    w.sim->clearFaults();
    OtoMesaj();
    // The refusal was final: the next pass sends the file.
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(w.packageRows(), 1);
    QVERIFY(QFile::exists(w.out + "/liste.txt"));
}

void TestRuleRunner::secondFileOfTheSameName() {
    RunnerWorld w;
    const QByteArray data = "gsm;ad;tutar\n5321234567;A;1\n;B;2\n";
    w.drop(QStringLiteral("liste.txt"), data);
    OtoMesaj();
    w.drop(QStringLiteral("liste.txt"), data);
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 2);
    QCOMPARE(RunnerWorld::files(w.out),
             (QStringList{"h01_liste(1).txt", "h01_liste.txt", "liste(1).txt", "liste.txt"}));
}

void TestRuleRunner::templateWithNullValue() {
    RunnerWorld w;
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;Ali;\n5331234567;Ayşe;25\n");
    OtoMesaj();
    const auto messages = w.sim->packageMessages(w.sim->packages()[0].id);
    QCOMPARE(messages.size(), size_t(2));
    QCOMPARE(messages[0].text, std::string("Sayin Ali, borcunuz  TL."));
    QCOMPARE(messages[1].text, std::string("Sayin Ayse, borcunuz 25 TL."));
}

void TestRuleRunner::apostropheInSenderName() {
    RunnerWorld w;
    w.sim->addAccount(SimAccount{"obrien-7", "pw", 100, {"O'Brien"}});
    App().gUserName = QStringLiteral("obrien");
    App().gClientCode = QStringLiteral("7");
    App().gPassword = QStringLiteral("pw");
    ExecuteSql(QStringLiteral("UPDATE tbl_kurallar_txt SET originator = 'O''Brien'"));
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n");
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    // The accepted package is recorded, not lost to a broken statement.
    Recordset row = OpenRecordset(QStringLiteral("SELECT originator, msgid FROM tbl_giden_txt"));
    QCOMPARE(row.recordCount(), 1);
    QCOMPARE(row.text(0), QStringLiteral("O'Brien"));
    QCOMPARE(row.text(1), packageId(w));
}

void TestRuleRunner::switchedOffDuringPass() {
    RunnerWorld w;
    w.drop(QStringLiteral("a.txt"), "gsm;ad;tutar\n5321234567;A;1\n");
    w.drop(QStringLiteral("b.txt"), "gsm;ad;tutar\n5331234567;B;2\n");
    // The user stops automatic sending while the first file is being built.
    w.env.ui().onYield = [] {
        if (GetParam(QStringLiteral("flg_parlex")) == QLatin1String("1") &&
            OpenRecordset(QStringLiteral("SELECT COUNT(*) FROM tbl_log_txt")).value(0).toInt() > 0)
            SetParam(QStringLiteral("flg_parlex"), QStringLiteral("0"));
    };
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QVERIFY(QFile::exists(w.out + "/a.txt"));
    QVERIFY(QFile::exists(w.in + "/b.txt"));
    for (const QString& line : w.logLines())
        QVERIFY2(!line.contains(QLatin1String("b.txt")), qPrintable(line));
}

void TestRuleRunner::emptyAndUnreadableFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("reasonLogged");

    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("header only") << QByteArray("gsm;ad;tutar\r\n") << false;
    QTest::newRow("line longer than any record") << QByteArray(1100 * 1024, 'a') << true;
    QTest::newRow("not text") << QByteArray("gsm;ad\0;tutar\n", 14) << true;
}

void TestRuleRunner::emptyAndUnreadableFiles() {
    QFETCH(QByteArray, content);
    QFETCH(bool, reasonLogged);

    RunnerWorld w;
    w.drop(QStringLiteral("liste.txt"), content);
    OtoMesaj();
    QStringList lines = w.logLines();
    QCOMPARE(lines.first(), P + "liste.txt dosyası açılıyor...");
    QCOMPARE(lines.last(), P + "liste.txt dosyada kayıt bulunamadı...");
    QCOMPARE(lines.size(), reasonLogged ? 3 : 2);
    QVERIFY(QFile::exists(w.in + "/liste.txt"));
    QCOMPARE(RunnerWorld::files(w.out), QStringList());
    QCOMPARE(w.sim->requestCount(), 0);

    // An empty file is looked at again at every pass; one that cannot be
    // read only once it has changed.
    OtoMesaj();
    QCOMPARE(w.logLines().size(), reasonLogged ? 3 : 4);
    w.drop(QStringLiteral("liste.txt"), content + "x", 30);
    OtoMesaj();
    QCOMPARE(w.logLines().size(), 6);
}

void TestRuleRunner::filesBeingWrittenWait() {
    RunnerWorld w;
    SetParam(QStringLiteral("uzantilar"), QStringLiteral("txt,csv,tmp,art"));
    const QByteArray data = "gsm;ad;tutar\n5321234567;A;1\n";
    w.drop(QStringLiteral("liste.txt"), data, 0);
    for (const char* name : {"~$liste.txt", ".liste.txt", "liste.tmp", "liste.part"})
        w.drop(QString::fromLatin1(name), data);
    OtoMesaj();
    QCOMPARE(w.sim->requestCount(), 0);
    QCOMPARE(w.logLines(), QStringList());

    w.drop(QStringLiteral("liste.txt"), data, 10);
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(RunnerWorld::files(w.in),
             (QStringList{".liste.txt", "Schema.ini", "liste.part", "liste.tmp", "~$liste.txt"}));
}

void TestRuleRunner::missingFolderSkipsOnlyItsRule() {
    RunnerWorld w;
    Rule broken = w.rule;
    broken.kural_adi = QStringLiteral("Eski");
    broken.gelen_klasor = w.env.filePath(QStringLiteral("silinmis"));
    // Listed first, so the good rule runs after it.
    ExecuteSql(QStringLiteral("DELETE FROM tbl_kurallar_txt"));
    InsertRule(broken);
    InsertRule(w.rule);
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n");

    OtoMesaj();
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    const QString missing =
        QStringLiteral("[Eski] Gelen klasörü okunamıyor: ") + broken.gelen_klasor;
    QCOMPARE(w.logLines().count(missing), 1); // once, not at every pass
}

void TestRuleRunner::otherExtensionsAreLeftAlone() {
    RunnerWorld w;
    w.drop(QStringLiteral("notlar.doc"), "5321234567;A;1\n");
    OtoMesaj();
    // The folder is still described; nothing is touched or logged.
    QCOMPARE(RunnerWorld::files(w.in), (QStringList{"Schema.ini", "notlar.doc"}));
    QCOMPARE(w.logLines(), QStringList());
    QCOMPARE(w.sim->requestCount(), 0);
}

void TestRuleRunner::failedMoveNeverSendsAgain() {
    RunnerWorld w;
    auto fs = std::make_shared<FlakyFileSystem>();
    App().gFileSystem = fs;
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n");

    OtoMesaj();
    OtoMesaj();
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(w.packageRows(), 1);
    QCOMPARE(fs->attempts, 3);
    QVERIFY(QFile::exists(w.in + "/liste.txt"));
    const QStringList lines = w.newLogLines();
    QCOMPARE(lines.filter(QStringLiteral("taşınamadı")).size(), 1);
    QCOMPARE(lines.filter(QStringLiteral("gönderiliyor")).size(), 1);

    fs->failing = false;
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QVERIFY(QFile::exists(w.out + "/liste.txt"));
    QCOMPARE(w.newLogLines(), QStringList{P + "liste.txt dosyası giden klasörüne taşındı."});
    QVERIFY(!SentFileJournal::find(w.in + "/liste.txt"));
}

void TestRuleRunner::unknownOutcomeSetAsideAtOnce_data() {
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<int>("packages"); // what the gateway holds
    QTest::addColumn<QString>("cause");

    QTest::newRow("server error page") << SimFault::http500("Internal Server Error") << 0
                                       << "mesaj merkezinin yanıtı \"Internal Server Error\" "
                                          "(HTTP 500)";
    QTest::newRow("garbage") << SimFault::reply("00 !garbage") << 0
                             << "mesaj merkezinin yanıtı \"00 !garbage\"";
    QTest::newRow("no identifier")
        << SimFault::reply("00") << 0 << "mesaj merkezinin yanıtı \"00\"";
    QTest::newRow("reply lost after the package was taken")
        << SimFault::close(true) << 1 << "yanıt alınamadı (Empty reply from server)";
}

void TestRuleRunner::unknownOutcomeSetAsideAtOnce() {
    QFETCH(SimFault, fault);
    QFETCH(int, packages);
    QFETCH(QString, cause);

    RunnerWorld w;
    w.sim->setFault(1, fault);
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n;B;2\n");
    OtoMesaj();

    // Neither sent nor refused: set aside in the same pass, with one line
    // that quotes the reply, and never submitted again.
    QCOMPARE(w.sim->packageCount(), packages);
    QCOMPARE(w.packageRows(), 0);
    QCOMPARE(RunnerWorld::files(w.in + "/sonucu_belirsiz"), QStringList{"liste.txt"});
    QCOMPARE(RunnerWorld::files(w.out), QStringList());
    QCOMPARE(w.logLines().last(),
             P + "liste.txt dosyasının gönderim sonucu bilinmiyor: " + cause +
                 ". Dosya yeniden gönderilmeyecek, sonucu_belirsiz klasörüne alındı; mesaj "
                 "merkezindeki raporları kontrol edin.");
    QCOMPARE(w.logLines().filter(QStringLiteral("gönderilemedi")), QStringList());
    QVERIFY(!SentFileJournal::find(w.in + "/liste.txt"));

    w.sim->clearFaults();
    OtoMesaj();
    QCOMPARE(w.sim->arrivedCount(1), 1);
}

void TestRuleRunner::acceptedPackageRecordedWhenDatabaseRefuses() {
    RunnerWorld w;
    // The database refuses the package row, as when the disk is full or
    // another program holds the file while the gateway takes the package.
    ExecuteSql(QStringLiteral("CREATE TRIGGER dolu BEFORE INSERT ON tbl_giden_txt "
                              "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n");
    w.drop(QStringLiteral("son.txt"), "gsm;ad;tutar\n5331234567;B;2\n");
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(w.packageRows(), 0);
    QVERIFY(QFile::exists(w.out + "/liste.txt"));
    QVERIFY2(w.env.ui().statusTexts.back().contains(QStringLiteral("database or disk is full")),
             qPrintable(w.env.ui().statusTexts.back()));

    // Until the record is in, nothing else is sent; a restart keeps it.
    App().gConnection.close();
    App().runnerNotices.clear();
    App().runnerMemoryLoaded = false;
    OtoMesaj();
    QCOMPARE(w.sim->arrivedCount(1), 1);
    QVERIFY(QFile::exists(w.in + "/son.txt"));

    ExecuteSql(QStringLiteral("DROP TRIGGER dolu"));
    OtoMesaj();
    OtoMesaj();
    Recordset rows = OpenRecordset(QStringLiteral("SELECT msgid, dosya_adi FROM tbl_giden_txt"));
    QCOMPARE(rows.recordCount(), 2);
    QCOMPARE(rows.text(0), QString::fromStdString(w.sim->packages().at(0).id));
    QCOMPARE(rows.text(1), QStringLiteral("liste.txt"));
    QCOMPARE(
        w.logLines().filter(QStringLiteral("Bekleyen paket kayıtları veritabanına yazıldı")).size(),
        1);

    // The same list dropped in again is a new list, not a lost one.
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n");
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 3);
    QVERIFY(QFile::exists(w.out + "/liste(1).txt"));
}

void TestRuleRunner::problemsLoggedOnceAcrossRestarts() {
    RunnerWorld w;
    // The outgoing folder is gone: neither the file nor its reject rows can
    // go there yet.
    QVERIFY(QDir(w.out).removeRecursively());
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n;B;2\n");
    for (int start = 0; start < 3; ++start) {
        App().gConnection.close();
        App().runnerNotices.clear();
        App().runnerMemoryLoaded = false;
        OtoMesaj();
    }
    QCOMPARE(w.sim->packageCount(), 1);
    QCOMPARE(w.logLines().filter(QStringLiteral("taşınamadı")).size(), 1);
    QCOMPARE(w.logLines().filter(QStringLiteral("satırlar saklandı")).size(), 1);

    QVERIFY(QDir().mkpath(w.out));
    App().runnerNotices.clear();
    App().runnerMemoryLoaded = false;
    OtoMesaj();
    QCOMPARE(w.newLogLines().filter(QStringLiteral("giden klasörüne taşındı")).size(), 1);
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{"h01_liste.txt", "liste.txt"}));
    QCOMPARE(RunnerWorld::read(w.out + "/h01_liste.txt"), QByteArray("gsm;ad;tutar\r\n;B;2\r\n"));
    QVERIFY(!QDir(w.env.filePath("red_bekleyen/" + QString::number(w.rule.id) + "/liste.txt"))
                 .exists());
}

void TestRuleRunner::leftoversOfAKilledPassAreRemoved() {
    RunnerWorld w;
    const QString held =
        w.env.filePath("red_bekleyen/" + QString::number(w.rule.id) + "/liste.txt");
    QVERIFY(QDir().mkpath(held));
    w.drop(QStringLiteral("h01_liste.txt"), QByteArray(), 60, w.out);
    w.drop(QStringLiteral("h02_liste.txt.part"), "yarim", 60, held);
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n;B;2\n");
    OtoMesaj();
    QCOMPARE(RunnerWorld::files(w.out), (QStringList{"h01_liste.txt", "liste.txt"}));
    QCOMPARE(RunnerWorld::read(w.out + "/h01_liste.txt"), QByteArray("gsm;ad;tutar\r\n;B;2\r\n"));
    QVERIFY(!QDir(held).exists());
}

void TestRuleRunner::unattendedFailuresAreLogLines() {
    RunnerWorld w;
    // A folder description that cannot be written, a GSM column the file
    // does not have, and a link to a device.
    QVERIFY(QDir().mkpath(w.in + "/Schema.ini"));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), w.in + "/cihaz.txt"));
    w.drop(QStringLiteral("liste.txt"), "telefon;ad;tutar\n5321234567;A;1\n");
    OtoMesaj();
    w.drop(QStringLiteral("liste.txt"), "telefon;ad;tutar\n5321234567;A;1\n");
    OtoMesaj();

    QVERIFY(w.env.ui().boxes.empty());
    const QStringList lines = w.logLines();
    QCOMPARE(lines.filter(QStringLiteral("Şema bilgisi oluşturulamadı")).size(), 1);
    QCOMPARE(lines.filter(QStringLiteral("cihaz.txt")),
             QStringList{P + "cihaz.txt sıradan bir dosya değil (bir aygıta ya da boruya "
                             "bağlantı); gönderilmiyor."});
    // Read as the rule says, the file's columns are known, and named.
    QCOMPARE(lines.filter(QStringLiteral("GSM numarası sütunu")).first(),
             P + "liste.txt dosyasında GSM numarası sütunu (gsm) bulunamadı; dosyadaki sütunlar: "
                 "telefon, ad, tutar");
}

void TestRuleRunner::fileDatedAheadWaitsUntilStill() {
    RunnerWorld w;
    const QDateTime start = QDateTime::currentDateTime();
    w.env.ui().setNow(start);
    // A share whose clock runs an hour fast.
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n", -3600);
    OtoMesaj();
    QCOMPARE(w.sim->requestCount(), 0);
    w.env.ui().setNow(start.addSecs(3));
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
}

void TestRuleRunner::replacedFileIsSentAsNew() {
    RunnerWorld w;
    auto fs = std::make_shared<FlakyFileSystem>();
    App().gFileSystem = fs;
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5321234567;A;1\n");
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 1);
    // The user puts a new list under the same name before the old one moved.
    w.drop(QStringLiteral("liste.txt"), "gsm;ad;tutar\n5331234567;B;2\n");
    fs->failing = false;
    OtoMesaj();
    QCOMPARE(w.sim->packageCount(), 2);
    QCOMPARE(w.sim->packageMessages(w.sim->packages().back().id).at(0).number,
             std::string("5331234567"));
    QVERIFY(QFile::exists(w.out + "/liste.txt"));
    QVERIFY(!SentFileJournal::find(w.in + "/liste.txt"));
}

QTEST_GUILESS_MAIN(TestRuleRunner)
#include "tst_rulerunner.moc"
