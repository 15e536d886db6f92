#include <QDir>
#include <QFile>
#include <QtTest>

#include "core/DbRoutines.h"
#include "core/InstanceLock.h"
#include "rules/RuleStore.h"
#include "rules/SentFileJournal.h"
#include "support/TestEnvironment.h"

namespace {

Rule sampleRule(const QString& name) {
    Rule r;
    r.kural_adi = name;
    r.gelen_klasor = QStringLiteral("/data/gelen");
    r.giden_klasor = QStringLiteral("/data/giden");
    r.mesaj_sablonu = QStringLiteral("Sayın [##ad##], borcunuz [##tutar##] TL.");
    r.originator = QStringLiteral("FIRMA");
    r.fgsmno = QStringLiteral("gsm");
    r.metin_ayraci = QStringLiteral("T");
    r.baslik_var = QStringLiteral("E");
    return r;
}

QStringList names(Recordset rs) {
    QStringList out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out << Rule::fromRecord(rs).kural_adi;
    return out;
}

} // namespace

class TestRuleStore : public QObject {
    Q_OBJECT

private slots:
    void newRuleRunsAndKeepsEveryValue_data();
    void newRuleRunsAndKeepsEveryValue();
    void listsFollowTheRuleState();
    void changingARuleStopsIt();
    void globalSwitch();
    void journalFollowsOneFile();
    void replacedFileIsAnotherFile();
    void identityHashIsSha256OfTheContent_data();
    void identityHashIsSha256OfTheContent();
    void oneInstancePerProgramFolder();
};

void TestRuleStore::newRuleRunsAndKeepsEveryValue_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");

    QTest::newRow("sender with apostrophe") << "originator"
                                            << "O'Brien Ltd";
    QTest::newRow("name with apostrophe") << "kural_adi"
                                          << "Ali'nin kuralı";
    QTest::newRow("folder with apostrophe") << "gelen_klasor"
                                            << "/home/ali/Ali'nin dosyaları";
    QTest::newRow("separator quote") << "metin_ayraci"
                                     << "'";
    QTest::newRow("template with quotes") << "mesaj_sablonu"
                                          << "'[##ad##]' \"x\"";
}

void TestRuleStore::newRuleRunsAndKeepsEveryValue() {
    QFETCH(QString, field);
    QFETCH(QString, value);

    TestEnvironment env;
    Rule r = sampleRule(QStringLiteral("borç"));
    if (field == QLatin1String("originator"))
        r.originator = value;
    else if (field == QLatin1String("kural_adi"))
        r.kural_adi = value;
    else if (field == QLatin1String("gelen_klasor"))
        r.gelen_klasor = value;
    else if (field == QLatin1String("metin_ayraci"))
        r.metin_ayraci = value;
    else
        r.mesaj_sablonu = value;

    const qint32 id = InsertRule(r);
    Recordset running = pDizinListe();
    QCOMPARE(running.recordCount(), 1);
    const Rule back = Rule::fromRecord(running);
    QCOMPARE(back.id, id);
    QCOMPARE(back.flg_aktif, QStringLiteral("1"));
    QCOMPARE(back.kural_adi, r.kural_adi);
    QCOMPARE(back.gelen_klasor, r.gelen_klasor);
    QCOMPARE(back.giden_klasor, r.giden_klasor);
    QCOMPARE(back.mesaj_sablonu, r.mesaj_sablonu);
    QCOMPARE(back.originator, r.originator);
    QCOMPARE(back.fgsmno, r.fgsmno);
    QCOMPARE(back.metin_ayraci, r.metin_ayraci);
    QCOMPARE(back.baslik_var, r.baslik_var);
}

void TestRuleStore::listsFollowTheRuleState() {
    TestEnvironment env;
    const qint32 a = InsertRule(sampleRule(QStringLiteral("a")));
    const qint32 b = InsertRule(sampleRule(QStringLiteral("b")));
    const qint32 c = InsertRule(sampleRule(QStringLiteral("c")));
    SetRuleState(b, RuleState::Stopped);
    ExecuteSql(QStringLiteral("UPDATE tbl_kurallar_txt SET flg_aktif = '-1' WHERE id = %1").arg(c));

    QCOMPARE(names(pDizinListe()), QStringList{QStringLiteral("a")});
    QCOMPARE(names(LoadEditorRules()), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));

    SetRuleState(b, RuleState::Running);
    QCOMPARE(names(pDizinListe()), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    DeleteRule(a);
    QCOMPARE(names(LoadEditorRules()), QStringList{QStringLiteral("b")});
}

void TestRuleStore::changingARuleStopsIt() {
    TestEnvironment env;
    Rule r = sampleRule(QStringLiteral("a"));
    r.id = InsertRule(r);
    r.giden_klasor = QStringLiteral("/data/arsiv");
    r.baslik_var = QStringLiteral("H");
    UpdateRule(r);
    QCOMPARE(pDizinListe().recordCount(), 0);
    Recordset all = LoadEditorRules();
    const Rule back = Rule::fromRecord(all);
    QCOMPARE(back.flg_aktif, QStringLiteral("0"));
    QCOMPARE(back.giden_klasor, QStringLiteral("/data/arsiv"));
    QCOMPARE(back.baslik_var, QStringLiteral("H"));
}

void TestRuleStore::globalSwitch() {
    TestEnvironment env;
    QCOMPARE(AutoSendSwitch(), QStringLiteral("0"));
    SetAutoSendSwitch(true);
    QCOMPARE(AutoSendSwitch(), QStringLiteral("1"));
    SetAutoSendSwitch(false);
    QCOMPARE(AutoSendSwitch(), QStringLiteral("0"));
}

void TestRuleStore::journalFollowsOneFile() {
    TestEnvironment env;
    const QString path = env.writeFile(QStringLiteral("gelen/liste.txt"), "5321234567\tAli\n");
    const auto identity = FileIdentity::of(path);
    QVERIFY(identity);
    QVERIFY(!SentFileJournal::find(path));

    const qint64 id = SentFileJournal::recordInFlight(7, *identity);
    auto entry = SentFileJournal::find(path);
    QVERIFY(entry);
    QCOMPARE(entry->state, SentFileJournal::State::InFlight);
    QCOMPARE(entry->rule, 7);
    QVERIFY(entry->identity.sameFileAs(*identity));

    SentFileJournal::recordAccepted(id, QStringLiteral("12'34"));
    entry = SentFileJournal::find(path);
    QCOMPARE(entry->state, SentFileJournal::State::Accepted);
    QCOMPARE(entry->msgid, QStringLiteral("12'34"));

    SentFileJournal::forget(id);
    QVERIFY(!SentFileJournal::find(path));
}

void TestRuleStore::replacedFileIsAnotherFile() {
    TestEnvironment env;
    const QString path = env.writeFile(QStringLiteral("gelen/liste.txt"), "5321234567\tAli\n");
    const auto first = FileIdentity::of(path);
    env.writeFile(QStringLiteral("gelen/liste.txt"), "5321234568\tAli\n"); // same size
    const auto second = FileIdentity::of(path);
    QVERIFY(first && second);
    QCOMPARE(first->size, second->size);
    QVERIFY(!first->sameFileAs(*second));
    QVERIFY(second->sameFileAs(*FileIdentity::of(path)));

    QString error;
    QVERIFY(!FileIdentity::of(env.filePath(QStringLiteral("gelen/yok.txt")), &error));
    QVERIFY(!error.isEmpty());
}

void TestRuleStore::identityHashIsSha256OfTheContent_data() {
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("empty") << qsizetype(0);
    QTest::newRow("one line") << qsizetype(15);
    QTest::newRow("one read buffer") << qsizetype(1 << 20);
    QTest::newRow("just over one buffer") << qsizetype((1 << 20) + 1);
    QTest::newRow("several buffers") << qsizetype(3 * (1 << 20) + 77);
}

// Entries written by earlier versions hold the standard SHA-256 in hex: a
// file must keep matching them.
void TestRuleStore::identityHashIsSha256OfTheContent() {
    QFETCH(qsizetype, size);
    TestEnvironment env;
    QByteArray content(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        content[i] = static_cast<char>('0' + (i * 7919) % 75);
    const QString path = env.writeFile(QStringLiteral("gelen/liste.txt"), content);
    const auto identity = FileIdentity::of(path);
    QVERIFY(identity);
    QCOMPARE(identity->size, size);
    QCOMPARE(
        identity->hash,
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex()));
}

void TestRuleStore::oneInstancePerProgramFolder() {
    TestEnvironment env;
    {
        InstanceLock first(env.folder());
        QVERIFY(first.tryLock());
        InstanceLock second(env.folder());
        QVERIFY(!second.tryLock());
        QCOMPARE(second.holderPid(), QCoreApplication::applicationPid());
    }
    // Released with its owner.
    InstanceLock again(env.folder());
    QVERIFY(again.tryLock());
}

QTEST_GUILESS_MAIN(TestRuleStore)
#include "tst_rulestore.moc"
