#include <QtTest>

#include "ReaderTestSupport.h"
#include "core/Recordset.h"
#include "core/Routines.h"
#include "textsource/MessageTemplate.h"

namespace {

// The first record of a ";"-separated file with a header line.
TextRecord firstRecord(TestEnvironment& env, const QByteArray& bytes) {
    env.writeFile("in/data.txt", bytes);
    WriteSchemaIni(env.filePath("in"), ";", "E");
    DelimitedReader reader;
    if (!reader.open(env.filePath("in"), "data.txt") || !reader.next())
        qFatal("test file cannot be read");
    return reader.record();
}

const QByteArray kPeople = "ad;soyad;tutar;gsm;bos\n"
                           "Ay\xFE"
                           "e;Y\xFDlmaz;12,5;05321234567;\n";

} // namespace

class TestMessageTemplate : public QObject {
    Q_OBJECT

private slots:
    void fill_data();
    void fill();
    void compiledTemplateFollowsEachFilesColumns();
    void fillFromSampleRecordset();
    void classify_data();
    void classify();
    void prepare_data();
    void prepare();
    void counters_data();
    void counters();
};

void TestMessageTemplate::fill_data() {
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one placeholder") << "Merhaba [##ad##]!" << QStringLiteral("Merhaba Ayşe!");
    QTest::newRow("two placeholders touching")
        << "[##ad##][##soyad##]" << QStringLiteral("AyşeYılmaz");
    QTest::newRow("text around and between") << "Sayın [##ad##], borcunuz [##tutar##] TL."
                                             << QStringLiteral("Sayın Ayşe, borcunuz 12,5 TL.");
    QTest::newRow("Null gives nothing") << "[##bos##]"
                                        << "";
    QTest::newRow("Null keeps the text around it") << "a [##bos##] b"
                                                   << "a  b";
    QTest::newRow("missing column gives nothing") << "x[##yok##]y"
                                                  << "xy";
    QTest::newRow("no placeholders") << "Kampanya başladı"
                                     << "Kampanya başladı";
    QTest::newRow("empty template") << ""
                                    << "";
    QTest::newRow("column name in other case") << "Sayın [##AD##]" << QStringLiteral("Sayın Ayşe");
    QTest::newRow("Turkish capital I")
        << "[##SOYAD##] [##TUTAR##]" << QStringLiteral("Yılmaz 12,5");
    QTest::newRow("markers must be exact")
        << "[#ad#] [## ad ##] [##ad##]" << QStringLiteral("[#ad#]  Ayşe");
    QTest::newRow("number column renders without its leading zero") << "[##gsm##]"
                                                                    << "5321234567";
    QTest::newRow("same placeholder twice") << "[##ad##]/[##ad##]" << QStringLiteral("Ayşe/Ayşe");
    QTest::newRow("placeholders only, text after the last") << "[##bos##][##bos##] son"
                                                            << " son";
    // Malformed templates: a placeholder is an opening marker and the first
    // closing marker after it; anything else is text.
    QTest::newRow("opening marker never closed") << "Sayın [##ad"
                                                 << "Sayın [##ad";
    QTest::newRow("opening marker alone") << "[##"
                                          << "[##";
    QTest::newRow("closing marker before any opening")
        << "a##]b [##ad##]" << QStringLiteral("a##]b Ayşe");
    QTest::newRow("closing marker only") << "##]"
                                         << "##]";
    QTest::newRow("closing marker overlapping the opening") << "[##]"
                                                            << "[##]";
    QTest::newRow("unclosed after a good one")
        << "[##ad##] ve [##soyad" << QStringLiteral("Ayşe ve [##soyad");
    QTest::newRow("opening inside a name") << "[##a[##ad##]"
                                           << "";
    QTest::newRow("empty name") << "<[####]>"
                                << "<>";
}

void TestMessageTemplate::fill() {
    QFETCH(QString, templateText);
    QFETCH(QString, expected);
    TestEnvironment env;
    const TextRecord row = firstRecord(env, kPeople);
    QCOMPARE(FillTemplate(templateText, row), expected);
    // Read once, filled per row: the same result.
    const MessageTemplate compiled(templateText);
    QCOMPARE(compiled.fill(row), expected);
    QCOMPARE(compiled.fill(row), expected);
}

void TestMessageTemplate::compiledTemplateFollowsEachFilesColumns() {
    // The runner fills one rule's template for file after file; the columns
    // may stand elsewhere in each.
    TestEnvironment env;
    const MessageTemplate compiled(u"[##ad##]: [##tutar##]");
    const TextRecord first = firstRecord(env, "ad;tutar\nAli;5\n");
    QCOMPARE(compiled.fill(first), QStringLiteral("Ali: 5"));
    const TextRecord second = firstRecord(env, "tutar;x;AD\n7;y;Veli\n");
    QCOMPARE(compiled.fill(second), QStringLiteral("Veli: 7"));
    const TextRecord third = firstRecord(env, "gsm\n5321234567\n");
    QCOMPARE(compiled.fill(third), QStringLiteral(": "));
    QCOMPARE(compiled.fill(first), QStringLiteral("Ali: 5"));
}

void TestMessageTemplate::fillFromSampleRecordset() {
    // The windows fill templates from a loaded sample with the same rules.
    Recordset rs;
    rs.appendField("ad");
    rs.appendField("tutar", FieldType::Double);
    rs.appendField("bos");
    rs.appendRow({QStringLiteral("Ayşe"), 12.5, QVariant()});
    rs.moveFirst();
    QCOMPARE(FillTemplate(u"Sayın [##AD##], [##tutar##] TL[##bos##][##yok##].", rs),
             QStringLiteral("Sayın Ayşe, 12,5 TL."));
    QCOMPARE(FillTemplate(u"[##ad", rs), QStringLiteral("[##ad"));
}

void TestMessageTemplate::classify_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("number");
    QTest::addColumn<RowOutcome>("outcome");

    const QString fits = QString(160, QLatin1Char('a'));
    const QString over = QString(161, QLatin1Char('a'));
    QTest::newRow("160 with number") << fits << "5321234567" << RowOutcome::Queued;
    QTest::newRow("161 with number") << over << "5321234567" << RowOutcome::TooLong;
    QTest::newRow("160 without number") << fits << "" << RowOutcome::NoNumber;
    QTest::newRow("161 without number") << over << "" << RowOutcome::NoNumberTooLong;
    QTest::newRow("empty message with number") << ""
                                               << "5321234567" << RowOutcome::Queued;
    QTest::newRow("Turkish letters count one each")
        << QString(160, QChar(0x15F)) << "5321234567" << RowOutcome::Queued;
    // Counted before cleaning: the cleaned text would have 159 characters.
    QTest::newRow("line break counts before cleaning")
        << QString(80, QLatin1Char('a')) + "\r\n" + QString(79, QLatin1Char('b')) << "5321234567"
        << RowOutcome::TooLong;
}

void TestMessageTemplate::classify() {
    QFETCH(QString, message);
    QFETCH(QString, number);
    QFETCH(RowOutcome, outcome);
    QCOMPARE(ClassifyRow(message, number), outcome);
}

void TestMessageTemplate::prepare_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("message");

    QTest::newRow("queued, cleaned") << QByteArray("ad;gsm\nAy\xFE"
                                                   "e;05321234567\n")
                                     << "Merhaba [##ad##]!"
                                     << "queued"
                                     << "5321234567"
                                     << "Merhaba Ayse!";
    QTest::newRow("number with country code as a number")
        << QByteArray("ad;gsm\nAli;905321234567\n") << "x"
        << "queued"
        << "5321234567"
        << "x";
    QTest::newRow("number as text with blanks") << QByteArray("ad;gsm\nAli;0532 123 45 67\n") << "x"
                                                << "queued"
                                                << "5321234567"
                                                << "x";
    QTest::newRow("Null number") << QByteArray("ad;gsm\nAli;\n") << "x"
                                 << "h01"
                                 << ""
                                 << "";
    QTest::newRow("fixed line") << QByteArray("ad;gsm\nAli;02121234567\n") << "x"
                                << "h01"
                                << ""
                                << "";
    QTest::newRow("too long") << QByteArray("ad;gsm\nAli;5321234567\n") << QString(161, 'x')
                              << "h02"
                              << "5321234567"
                              << "";
    QTest::newRow("both") << QByteArray("ad;gsm\nAli;123\n") << QString(200, 'x') << "h03"
                          << ""
                          << "";
}

void TestMessageTemplate::prepare() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, templateText);
    QFETCH(QString, outcome);
    QFETCH(QString, number);
    QFETCH(QString, message);
    TestEnvironment env;
    const TextRecord row = firstRecord(env, bytes);
    const PreparedRow prepared = PrepareRow(templateText, row, row.columnIndex(u"GSM"));
    QCOMPARE(RowOutcomeName(prepared.outcome), outcome);
    QCOMPARE(prepared.number, number);
    QCOMPARE(prepared.message, message);
    QCOMPARE(prepared.filled, FillTemplate(templateText, row));

    // The senders' per-file tester, after a longer row of another file: its
    // reused buffers must hold this row's values only.
    const TextRecord before =
        firstRecord(env, "GSM;ad\n0532 999 88 77;" + QByteArray(150, 'x') + "\n");
    const MessageTemplate compiled(templateText);
    RowTester tester(compiled, row.columnIndex(u"GSM"));
    tester.test(before);
    QCOMPARE(RowOutcomeName(tester.test(row)), outcome);
    QCOMPARE(tester.number(), number);
    QCOMPARE(tester.filled(), prepared.filled);
    if (prepared.outcome == RowOutcome::Queued)
        QCOMPARE(CleanMessageText(tester.filled()), message);
}

void TestMessageTemplate::counters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("wizard");
    QTest::addColumn<QString>("editor");

    QTest::newRow("empty") << ""
                           << "0/160"
                           << "0 / 160";
    QTest::newRow("37 characters") << QString(37, 'a') << "37/160"
                                   << "37 / 160";
    QTest::newRow("placeholders counted as typed") << "[##ad##]"
                                                   << "8/160"
                                                   << "8 / 160";
    QTest::newRow("Turkish letters") << QStringLiteral("çğış") << "4/160"
                                     << "4 / 160";
    QTest::newRow("beyond the limit, nothing cut") << QString(180, 'a') << "180/160"
                                                   << "180 / 160";
}

void TestMessageTemplate::counters() {
    QFETCH(QString, text);
    QFETCH(QString, wizard);
    QFETCH(QString, editor);
    QCOMPARE(WizardCounterText(text), wizard);
    QCOMPARE(EditorCounterText(text), editor);
}

QTEST_GUILESS_MAIN(TestMessageTemplate)
#include "tst_messagetemplate.moc"
