#include <random>
#include <set>
#include <unordered_set>

#include <QtTest>

#include "core/Routines.h"
#include "support/TestEnvironment.h"
#include "textsource/DelimitedReader.h"
#include "textsource/MessageCost.h"
#include "textsource/MessageTemplate.h"
#include "textsource/NumberSets.h"
#include "textsource/PackagePolicy.h"
#include "textsource/SchemaIni.h"

using namespace Qt::StringLiterals;

namespace {

// The first record of a ";"-separated file with a header line.
TextRecord FirstRecord(TestEnvironment& env, const QByteArray& bytes) {
    env.writeFile(u"in/data.txt"_s, bytes);
    WriteSchemaIni(env.filePath(u"in"_s), u";"_s, u"E"_s);
    DelimitedReader reader;
    if (!reader.open(env.filePath(u"in"_s), u"data.txt"_s) || !reader.next())
        qFatal("test file cannot be read");
    return reader.record();
}

const QByteArray People = "ad;soyad;tutar;gsm;bos\nAy\xFE\x65;Y\xFDlmaz;150,50;05321234567;\n";
// The same row in another file, its columns elsewhere.
const QByteArray Moved = "bos;x;TUTAR;gsm;soyad;AD\n;y;150,50;05321234567;Y\xFDlmaz;Ay\xFE\x65\n";

} // namespace

class TestMessageTemplate : public QObject {
    Q_OBJECT

private slots:
    void messageCost_data();
    void messageCost();
    void fill_data();
    void fill();
    void prepare_data();
    void prepare();
    void refusalLine_data();
    void refusalLine();
    void numberSetsHoldWhatWasPut();
    void counters();
};

void TestMessageTemplate::fill_data() {
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char* name, const char* templateText, const char* expected) {
        QTest::newRow(name) << QString::fromUtf8(templateText) << QString::fromUtf8(expected);
    };
    row("text around and between", "Sayın [##ad##], borcunuz [##tutar##] TL.",
        "Sayın Ayşe, borcunuz 150,50 TL.");
    row("placeholders touching, one twice", "[##ad##][##soyad##]/[##ad##]", "AyşeYılmaz/Ayşe");
    row("Null keeps the text around it", "a [##bos##] b", "a  b");
    row("missing column gives nothing", "x[##yok##]y", "xy");
    row("no placeholders", "Kampanya başladı", "Kampanya başladı");
    row("name in other case, Turkish capital I", "[##AD##] [##SOYAD##] [##TUTAR##]",
        "Ayşe Yılmaz 150,50");
    row("markers must be exact", "[#ad#] [## ad ##] [##ad##]", "[#ad#]  Ayşe");
    // A number column's values as the file wrote them, not as the numbers
    // they were read as would be shown.
    row("number column keeps its leading zero", "[##gsm##]", "05321234567");
    row("placeholders only, text after the last", "[##bos##][##bos##] son", " son");
    // Malformed: a placeholder is an opening marker and the first closing
    // marker after it; anything else is text.
    row("opening marker never closed", "Sayın [##ad", "Sayın [##ad");
    row("closing marker before any opening", "a##]b [##ad##]", "a##]b Ayşe");
    row("closing marker overlapping the opening", "[##]", "[##]");
    row("unclosed after a good one", "[##ad##] ve [##soyad", "Ayşe ve [##soyad");
    row("opening inside a name", "[##a[##ad##]", "");
    row("empty name", "<[####]>", "<>");
}

void TestMessageTemplate::fill() {
    QFETCH(QString, templateText);
    QFETCH(QString, expected);
    TestEnvironment env;
    const TextRecord row = FirstRecord(env, People);
    const TextRecord moved = FirstRecord(env, Moved);
    QCOMPARE(FillTemplate(templateText, row), expected);
    // Read once and filled for file after file (the runner's way): the same.
    const MessageTemplate compiled(templateText);
    for (const TextRecord* record : {&row, &moved, &row})
        QCOMPARE(compiled.fill(*record), expected);
}

void TestMessageTemplate::prepare_data() {
    // A row of a file with a "gsm" column through template, number and
    // length test: queued, or the reject file it goes to.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("oneSms"); // rows dearer than one SMS rejected
    QTest::addColumn<int>("parts");   // SMS of a queued row, the operator code counted

    const QByteArray mobile = "gsm\n5321234567\n", none = "gsm;ad\n;Ali\n";
    const auto row = [](const char* name, const QByteArray& bytes, const QString& templateText,
                        const char* outcome, const char* number = "5321234567", int parts = 0,
                        bool oneSms = false) {
        QTest::newRow(name) << bytes << templateText << outcome << number << oneSms << parts;
    };
    const char* m = "5321234567";
    row("Turkish letters", "ad;gsm\nAy\xFE\x65;05321234567\n", u"Merhaba [##ad##]!"_s, "queued", m,
        1);
    row("country code, number column", "gsm\n905321234567\n", u"x"_s, "queued", m, 1);
    row("number as text with blanks", "gsm\n0532 123 45 67\n", u"x"_s, "queued", m, 1);
    row("fixed line", "gsm\n02121234567\n", u"x"_s, "h01", "");
    row("155 characters, one SMS with the code", mobile, QString(155, u'a'), "queued", m, 1, true);
    row("156 characters, two SMS with the code", mobile, QString(156, u'a'), "queued", m, 2);
    row("160 characters", mobile, QString(160, u'a'), "queued", m, 2);
    row("160 Turkish letters, one each", mobile, QString(160, u'ş'), "queued", m, 2);
    row("lira sign, two SMS in UCS-2", mobile, u"₺"_s + QString(65, u'a'), "queued", m, 2);
    row("161 characters", mobile, QString(161, u'a'), "h02");
    // Counted before cleaning: the cleaned text would have 159 characters.
    row("line break counts before cleaning", mobile,
        QString(80, u'a') + u"\r\n"_s + QString(79, u'b'), "h02");
    row("160, Null number", none, QString(160, u'a'), "h01", "");
    row("161, Null number", none, QString(161, u'a'), "h03", "");
    row("two SMS, one SMS only", mobile, QString(156, u'a'), "h02", m, 0, true);
    row("two SMS in UCS-2, one SMS only", mobile, u"₺"_s + QString(65, u'a'), "h02", m, 0, true);
    row("two SMS, Null number, one SMS only", none, QString(156, u'a'), "h03", "", 0, true);
    row("one SMS, Null number, one SMS only", none, u"x"_s, "h01", "", 0, true);
}

void TestMessageTemplate::prepare() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, templateText);
    QFETCH(QString, outcome);
    QFETCH(QString, number);
    QFETCH(bool, oneSms);
    QFETCH(int, parts);
    TestEnvironment env;
    const TextRecord row = FirstRecord(env, bytes);
    const MessageTemplate compiled(templateText);
    const CostSettings cost{DefaultOperatorSuffix, oneSms};
    const PreparedRow prepared = PrepareRow(compiled, row, row.columnIndex(u"GSM"), cost);
    QCOMPARE(RowOutcomeName(prepared.outcome), outcome);
    QCOMPARE(prepared.number, number);
    QCOMPARE(prepared.filled, FillTemplate(templateText, row));
    QCOMPARE(prepared.parts, parts);
    QCOMPARE(prepared.message, parts ? CleanMessageText(prepared.filled) : QString());

    // The senders' per-file tester, after a longer row of another file: its
    // reused buffers must hold this row's values only.
    const TextRecord before =
        FirstRecord(env, "GSM;ad\n0532 999 88 77;" + QByteArray(150, 'x') + "\n");
    RowTester tester(compiled, row.columnIndex(u"GSM"));
    tester.countWith(cost);
    tester.test(before);
    QCOMPARE(RowOutcomeName(tester.test(row)), outcome);
    QCOMPARE(tester.number(), number);
    QCOMPARE(tester.filled(), prepared.filled);
    QCOMPARE(tester.parts(), parts);
}

void TestMessageTemplate::refusalLine_data() {
    // A commercial package's messages end with the refusal line, once, and
    // it counts in the 160-character limit and in the SMS billed.
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("refusal"); // the setting
    QTest::addColumn<bool>("commercial");
    QTest::addColumn<QString>("filled");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<int>("parts");

    const QString r = u"Ret için RET yazıp 4609'a gönderin"_s; // 34 characters
    const auto a = [](int n) {
        return QString(n, u'a');
    };
    const auto row = [](const char* name, const QString& templateText, const QString& refusal,
                        bool commercial, const QString& filled, const char* outcome, int parts) {
        QTest::newRow(name) << templateText << refusal << commercial << filled << outcome << parts;
    };
    row("appended after a blank", u"Kampanya"_s, r, true, u"Kampanya "_s + r, "queued", 1);
    row("template holds it already", r + u" Kampanya"_s, r, true, r + u" Kampanya"_s, "queued", 1);
    row("not commercial", u"Kampanya"_s, r, false, u"Kampanya"_s, "queued", 1);
    row("none set", u"Kampanya"_s, QString(), true, u"Kampanya"_s, "queued", 1);
    row("an empty message is the line alone", u"[##yok##]"_s, r, true, r, "queued", 1);
    row("125 and the line make 160", a(125), r, true, a(125) + u' ' + r, "queued", 2);
    row("126 and the line make 161", a(126), r, true, a(126) + u' ' + r, "h02", 0);
    row("150 and the line are too long", a(150), r, true, a(150) + u' ' + r, "h02", 0);
    // With the operator's code one SMS holds 155 characters.
    row("120 and the line in one SMS", a(120), r, true, a(120) + u' ' + r, "queued", 1);
    row("121 and the line in two", a(121), r, true, a(121) + u' ' + r, "queued", 2);
}

void TestMessageTemplate::refusalLine() {
    QFETCH(QString, templateText);
    QFETCH(QString, refusal);
    QFETCH(bool, commercial);
    QFETCH(QString, filled);
    QFETCH(QString, outcome);
    QFETCH(int, parts);
    TestEnvironment env;
    const TextRecord row = FirstRecord(env, "gsm\n5321234567\n");
    const PackagePolicy policy{commercial, false};
    const MessageTemplate compiled(templateText, RefusalEnding(policy, templateText, refusal));
    const PreparedRow prepared = PrepareRow(compiled, row, 0);
    QCOMPARE(prepared.filled, filled);
    QCOMPARE(RowOutcomeName(prepared.outcome), outcome);
    QCOMPARE(prepared.parts, parts);
    QCOMPARE(prepared.message, parts ? CleanMessageText(filled) : QString());
}

// The opt-out list and the numbers met, against the standard library's
// sets: every number put in is found, and no other, at the range's ends too.
void TestMessageTemplate::numberSetsHoldWhatWasPut() {
    QCOMPARE(NumberKey(u"5321234567"), std::optional<std::uint32_t>(321234567));
    QCOMPARE(NumberKey(u"5000000000"), std::optional<std::uint32_t>(0));
    QCOMPARE(NumberKey(u"5999999999"), std::optional<std::uint32_t>(999999999));
    for (const QStringView notOne : {u"", u"0532123456", u"53212345678", u"532123456x",
                                     u"5321 34567", u"53212:4567", u"5/21234567", u"5321２34567"})
        QVERIFY(!NumberKey(notOne));

    std::mt19937 random(25);
    std::uniform_int_distribution<std::uint32_t> anyKey(0, 999999999);
    std::vector<std::uint32_t> keys{0, 999999999};
    // Nearly half the table's places: some buckets fill and spill over.
    for (int i = 0; i < 32000; ++i)
        keys.push_back(i % 4 ? anyKey(random) : 321000000 + anyKey(random) % 5000);
    const std::set<std::uint32_t> expected(keys.begin(), keys.end());
    keys.push_back(keys[7]); // put twice
    const OptOutSet list(keys);
    QCOMPARE(list.size(), expected.size());
    QVERIFY(list.contains(u"5999999999") && list.contains(u"5000000000"));
    QVERIFY(!OptOutSet().contains(u"5321234567"));
    for (int i = 0; i < 100000; ++i) {
        const std::uint32_t key = i % 2 ? anyKey(random) : keys[size_t(i) % keys.size()] + i % 3;
        if (list.containsKey(key) != expected.count(key))
            QFAIL(qPrintable(u"wrong for key %1"_s.arg(key)));
    }

    SeenNumbers seen;
    std::unordered_set<std::uint32_t> met;
    for (int i = 0; i < 100000; ++i) {
        const std::uint32_t key = i % 3 ? anyKey(random) % 60000 : 999999999 - i;
        if (seen.insert(key) != met.insert(key).second)
            QFAIL(qPrintable(u"wrong for key %1"_s.arg(key)));
    }
    QCOMPARE(seen.size(), met.size());
}

void TestMessageTemplate::counters() {
    // Under the message boxes, counting the template as typed.
    QCOMPARE(WizardCounterText(QString(37, u'a')), u"37/160"_s);
    QCOMPARE(EditorCounterText(u"çğış[##ad##]"_s + QString(170, u'a')), u"182 / 160"_s);
}

void TestMessageTemplate::messageCost_data() {
    // A cleaned message and the operator's suffix; what it is billed as, and
    // its dear characters with their replacements ("₺=TL", "[=").
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("suffix");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("parts");
    QTest::addColumn<QStringList>("costly");

    const QString a(1, u'a');
    const QString euro = u"€"_s, lira = u"₺"_s, emoji = u"😀"_s;
    auto row = [](const char* name, const QString& text, int suffix, const char* encoding,
                  int length, int parts, const QStringList& costly = {}) {
        QTest::newRow(name) << text << suffix << encoding << length << parts << costly;
    };
    // With the operator's code one SMS holds 155 characters, two 301,
    // three 454, four 607.
    for (const auto& [chars, parts] : {std::pair{155, 1},
                                       {156, 2},
                                       {301, 2},
                                       {302, 3},
                                       {454, 3},
                                       {455, 4},
                                       {607, 4},
                                       {608, 5}}) {
        QTest::addRow("gsm7 %d with the code", chars)
            << a.repeated(chars) << 5 << "gsm7" << chars + 5 << parts << QStringList();
    }
    row("gsm7 160 without a code", a.repeated(160), 0, "gsm7", 160, 1);
    row("gsm7 161 without a code", a.repeated(161), 0, "gsm7", 161, 2);
    row("empty still goes", QString(), 5, "gsm7", 5, 1);
    row("extension characters take two", u"{x}\\\f^~|"_s + euro, 0, "gsm7", 17, 1,
        {u"{="_s, u"}="_s, u"\\="_s, u"\f="_s, u"^="_s, u"~="_s, u"|="_s, u"€="_s});
    // 152 + 2 + 152 septets fill 2 x 153 but the pair cannot be split.
    row("escape pair at a part's end", a.repeated(152) + euro + a.repeated(152), 0, "gsm7", 306, 3,
        {u"€="_s});
    row("cleaning's brackets are dear", u"[not]"_s, 0, "gsm7", 7, 1, {u"[="_s, u"]="_s});
    row("capital C cedilla and Greek are basic", u"ÇÉÅßΔΩ@£$¥"_s, 0, "gsm7", 10, 1);
    row("small c cedilla is not", u"ç"_s, 0, "ucs2", 1, 1, {u"ç="_s});
    row("ucs2 65 with the code", lira + a.repeated(64), 5, "ucs2", 70, 1, {u"₺=TL"_s});
    row("ucs2 66 with the code", lira + a.repeated(65), 5, "ucs2", 71, 2, {u"₺=TL"_s});
    row("ucs2 129 with the code", lira + a.repeated(128), 5, "ucs2", 134, 2, {u"₺=TL"_s});
    row("ucs2 130 with the code", lira + a.repeated(129), 5, "ucs2", 135, 3, {u"₺=TL"_s});
    row("ucs2 263 with the code", lira + a.repeated(262), 5, "ucs2", 268, 4, {u"₺=TL"_s});
    row("ucs2 70 without a code", lira + a.repeated(69), 0, "ucs2", 70, 1, {u"₺=TL"_s});
    row("one emoji in 66 characters", a.repeated(65) + emoji, 0, "ucs2", 67, 1, {u"😀="_s});
    row("one emoji in 66 characters with the code", a.repeated(65) + emoji, 5, "ucs2", 72, 2,
        {u"😀="_s});
    // 66 + 2 + 66 units fill 2 x 67 but the pair cannot be split.
    row("surrogate pair at a part's end", a.repeated(66) + emoji + a.repeated(66), 0, "ucs2", 134,
        3, {u"😀="_s});
    row("office punctuation", u"â î û ’ “ ” – … `\u00A0"_s, 0, "ucs2", 18, 1,
        {u"â=a"_s, u"î=i"_s, u"û=u"_s, u"’='"_s, u"“=\""_s, u"”=\""_s, u"–=-"_s, u"…=..."_s,
         u"`='"_s, u"\u00A0= "_s});
    row("a dear character named once", lira + lira + u"{"_s, 0, "ucs2", 3, 1, {u"₺=TL"_s});
    row("in ucs2 extension characters are not dear", u"₺{"_s, 0, "ucs2", 2, 1, {u"₺=TL"_s});
}

void TestMessageTemplate::messageCost() {
    QFETCH(QString, text);
    QFETCH(int, suffix);
    QFETCH(QString, encoding);
    QFETCH(int, length);
    QFETCH(int, parts);
    QFETCH(QStringList, costly);
    const MessageCost cost = CostOfMessage(text, suffix);
    QCOMPARE(EncodingName(cost.encoding), encoding);
    QCOMPARE(cost.length, length);
    QCOMPARE(cost.parts, parts);
    QCOMPARE(SmsParts(text, suffix), cost.parts);
    QStringList found;
    for (const CostlyCharacter& c : cost.costly)
        found << c.character + u'=' + c.replacement;
    QCOMPARE(found, costly);
    // Replacing what can be replaced leaves only the dear characters without one.
    const QString cheaper = WithCheaperCharacters(text);
    for (const CostlyCharacter& c : cost.costly)
        QCOMPARE(cheaper.contains(c.character), c.replacement.isEmpty());
}

QTEST_GUILESS_MAIN(TestMessageTemplate)
#include "tst_messagetemplate.moc"
