#include <QtTest>

#include "core/DbRoutines.h"
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

QStringList valuesOf(const Rule& r) {
    return {r.kural_adi, r.gelen_klasor, r.giden_klasor, r.mesaj_sablonu, r.originator,
            r.fgsmno,    r.metin_ayraci, r.baslik_var,   r.flg_aktif};
}

} // namespace

class TestRuleStore : public QObject {
    Q_OBJECT

private slots:
    void ruleKeepsEveryValueAndStopsWhenChanged();
    void listsFollowTheRuleState();
    void identityHashIsSha256OfTheContent_data();
    void identityHashIsSha256OfTheContent();
};

void TestRuleStore::ruleKeepsEveryValueAndStopsWhenChanged() {
    TestEnvironment env;
    // Apostrophes and quotes are data, never SQL.
    Rule r{0,
           "Ali'nin kuralı",
           "/home/ali/Ali'nin dosyaları",
           "/data/giden",
           "'[##ad##]' \"x\"",
           "O'Brien Ltd",
           "gsm",
           "'",
           "E",
           "1"};
    r.id = InsertRule(r);
    Recordset running = pDizinListe();
    QCOMPARE(running.recordCount(), 1);
    QCOMPARE(Rule::fromRecord(running).id, r.id);
    QCOMPARE(valuesOf(Rule::fromRecord(running)), valuesOf(r));

    r.giden_klasor = QStringLiteral("/data/arsiv");
    r.baslik_var = QStringLiteral("H");
    UpdateRule(r);
    QCOMPARE(pDizinListe().recordCount(), 0);
    r.flg_aktif = QStringLiteral("0");
    QCOMPARE(valuesOf(Rule::fromRecord(LoadEditorRules())), valuesOf(r));
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

void TestRuleStore::identityHashIsSha256OfTheContent_data() {
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("empty") << qsizetype(0);
    QTest::newRow("just over one read buffer") << qsizetype((1 << 20) + 1);
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
    const auto identity =
        FileIdentity::of(env.writeFile(QStringLiteral("gelen/liste.txt"), content));
    QVERIFY(identity);
    QCOMPARE(identity->size, size);
    QCOMPARE(
        identity->hash,
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex()));
}

QTEST_GUILESS_MAIN(TestRuleStore)
#include "tst_rulestore.moc"
