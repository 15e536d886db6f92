#include <QtTest>

#include "core/Routines.h"
#include "support/TestEnvironment.h"
#include "textsource/DelimitedReader.h"
#include "textsource/MessageTemplate.h"
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
    void fill_data();
    void fill();
    void prepare_data();
    void prepare();
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

    const QByteArray mobile = "gsm\n5321234567\n", none = "gsm;ad\n;Ali\n";
    const auto row = [](const char* name, const QByteArray& bytes, const QString& templateText,
                        const char* outcome, const char* number = "5321234567") {
        QTest::newRow(name) << bytes << templateText << outcome << number;
    };
    row("Turkish letters", "ad;gsm\nAy\xFE\x65;05321234567\n", u"Merhaba [##ad##]!"_s, "queued");
    row("country code, number column", "gsm\n905321234567\n", u"x"_s, "queued");
    row("number as text with blanks", "gsm\n0532 123 45 67\n", u"x"_s, "queued");
    row("fixed line", "gsm\n02121234567\n", u"x"_s, "h01", "");
    row("160 characters", mobile, QString(160, u'a'), "queued");
    row("160 Turkish letters, one each", mobile, QString(160, u'ş'), "queued");
    row("161 characters", mobile, QString(161, u'a'), "h02");
    // Counted before cleaning: the cleaned text would have 159 characters.
    row("line break counts before cleaning", mobile,
        QString(80, u'a') + u"\r\n"_s + QString(79, u'b'), "h02");
    row("160, Null number", none, QString(160, u'a'), "h01", "");
    row("161, Null number", none, QString(161, u'a'), "h03", "");
}

void TestMessageTemplate::prepare() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, templateText);
    QFETCH(QString, outcome);
    QFETCH(QString, number);
    TestEnvironment env;
    const TextRecord row = FirstRecord(env, bytes);
    const PreparedRow prepared = PrepareRow(templateText, row, row.columnIndex(u"GSM"));
    QCOMPARE(RowOutcomeName(prepared.outcome), outcome);
    QCOMPARE(prepared.number, number);
    QCOMPARE(prepared.filled, FillTemplate(templateText, row));

    // The senders' per-file tester, after a longer row of another file: its
    // reused buffers must hold this row's values only.
    const TextRecord before =
        FirstRecord(env, "GSM;ad\n0532 999 88 77;" + QByteArray(150, 'x') + "\n");
    const MessageTemplate compiled(templateText);
    RowTester tester(compiled, row.columnIndex(u"GSM"));
    tester.test(before);
    QCOMPARE(RowOutcomeName(tester.test(row)), outcome);
    QCOMPARE(tester.number(), number);
    QCOMPARE(tester.filled(), prepared.filled);
}

void TestMessageTemplate::counters() {
    // Under the message boxes, counting the template as typed.
    QCOMPARE(WizardCounterText(QString(37, u'a')), u"37/160"_s);
    QCOMPARE(EditorCounterText(u"çğış[##ad##]"_s + QString(170, u'a')), u"182 / 160"_s);
}

QTEST_GUILESS_MAIN(TestMessageTemplate)
#include "tst_messagetemplate.moc"
