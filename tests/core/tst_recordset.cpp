#include <QtTest>

#include "core/Recordset.h"

namespace {

Recordset basket() {
    Recordset rs;
    rs.appendField(QStringLiteral("MSG"), FieldType::Text, 160);
    rs.appendField(QStringLiteral("GSM"), FieldType::Text, 20);
    return rs;
}

void add(Recordset& rs, const QString& msg, const QString& gsm) {
    rs.addNew();
    rs.setValue(QStringLiteral("MSG"), msg);
    rs.setValue(QStringLiteral("GSM"), gsm);
}

QStringList column(Recordset rs, const QString& name) {
    QStringList values;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        values << rs.text(name);
    return values;
}

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT

private slots:
    void oversizeValueRaises_data();
    void oversizeValueRaises();
    void readsByPositionAndName();
    void nullsReadAsEmptyText();
    void filter_data();
    void filter();
    void badFilterRaises();
    void cloneSeesSameRows();
    void paging();
    void readOnlyRefusesChanges();
    void emptyRecordsetIsBofAndEof();
};

void TestRecordset::oversizeValueRaises_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("raises");

    QTest::newRow("message at limit") << "MSG" << 160 << false;
    QTest::newRow("message one over") << "MSG" << 161 << true;
    QTest::newRow("number at limit") << "GSM" << 20 << false;
    QTest::newRow("number one over") << "GSM" << 21 << true;
}

void TestRecordset::oversizeValueRaises() {
    QFETCH(QString, field);
    QFETCH(int, length);
    QFETCH(bool, raises);

    Recordset rs = basket();
    rs.addNew();
    const QString value(length, QLatin1Char('x'));
    if (raises) {
        QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.setValue(field, value));
        QVERIFY(rs.isNull(field)); // nothing half-stored
    } else {
        rs.setValue(field, value);
        QCOMPARE(rs.text(field), value);
    }
}

void TestRecordset::readsByPositionAndName() {
    Recordset rs = basket();
    add(rs, QStringLiteral("merhaba"), QStringLiteral("5321234567"));
    rs.moveFirst();
    QCOMPARE(rs.text(0), QStringLiteral("merhaba"));
    QCOMPARE(rs.text(1), QStringLiteral("5321234567"));
    QCOMPARE(rs.text(QStringLiteral("gsm")), QStringLiteral("5321234567")); // names ignore case
    QCOMPARE(rs.fieldIndex(QStringLiteral("Msg")), 0);
    QCOMPARE(rs.fieldIndex(QStringLiteral("none")), -1);
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.value(QStringLiteral("none")));
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.value(2));
}

void TestRecordset::nullsReadAsEmptyText() {
    Recordset rs = basket();
    rs.addNew();
    QVERIFY(rs.isNull(0));
    QCOMPARE(rs.text(0), QString());
    rs.setValue(0, QString());
    QCOMPARE(rs.text(0), QString());
}

void TestRecordset::filter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("one value") << "GSM = '2'" << QStringList{"b"};
    QTest::newRow("two values") << "GSM = '1' OR GSM = '3'" << QStringList{"a", "c", "d"};
    QTest::newRow("lower-case or") << "GSM = '1' or GSM = '2'" << QStringList{"a", "b", "d"};
    QTest::newRow("no match") << "GSM = '9'" << QStringList{};
    QTest::newRow("quote inside value") << "MSG = 'it''s'" << QStringList{"it's"};
    QTest::newRow("OR inside value") << "MSG = 'x OR y'" << QStringList{"x OR y"};
    QTest::newRow("cleared") << "" << QStringList{"a", "b", "c", "d", "it's", "x OR y"};
}

void TestRecordset::filter() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);

    Recordset rs = basket();
    add(rs, QStringLiteral("a"), QStringLiteral("1"));
    add(rs, QStringLiteral("b"), QStringLiteral("2"));
    add(rs, QStringLiteral("c"), QStringLiteral("3"));
    add(rs, QStringLiteral("d"), QStringLiteral("1"));
    add(rs, QStringLiteral("it's"), QStringLiteral("4"));
    add(rs, QStringLiteral("x OR y"), QStringLiteral("5"));
    rs.setFilter(filter);
    QCOMPARE(rs.recordCount(), expected.size());
    QCOMPARE(column(rs, QStringLiteral("MSG")), expected);
}

void TestRecordset::badFilterRaises() {
    Recordset rs = basket();
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.setFilter(QStringLiteral("Nope = '1'")));
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.setFilter(QStringLiteral("GSM > 3")));
}

void TestRecordset::cloneSeesSameRows() {
    Recordset rs = basket();
    add(rs, QStringLiteral("a"), QStringLiteral("1"));
    Recordset copy = rs.clone();
    add(rs, QStringLiteral("b"), QStringLiteral("2"));
    // Rows added through the original show in the clone; each has its own
    // cursor and filter.
    QCOMPARE(copy.recordCount(), 2);
    copy.setFilter(QStringLiteral("GSM = '2'"));
    QCOMPARE(copy.recordCount(), 1);
    QCOMPARE(rs.recordCount(), 2);
    rs.moveFirst();
    copy.moveFirst();
    QCOMPARE(rs.text(0), QStringLiteral("a"));
    QCOMPARE(copy.text(0), QStringLiteral("b"));
    copy.setValue(0, QStringLiteral("B"));
    rs.moveLast();
    QCOMPARE(rs.text(0), QStringLiteral("B"));
    rs.deleteAll();
    QCOMPARE(copy.recordCount(), 0);
}

void TestRecordset::paging() {
    Recordset rs = basket();
    for (int i = 1; i <= 25; ++i)
        add(rs, QString::number(i), QString::number(i));
    rs.setPageSize(10);
    QCOMPARE(rs.pageCount(), 3);
    rs.setAbsolutePage(3);
    QCOMPARE(rs.text(0), QStringLiteral("21"));
    QCOMPARE(rs.absolutePage(), 3);
    rs.setAbsolutePage(2);
    QCOMPARE(rs.absolutePosition(), 11);
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.setAbsolutePage(4));
    rs.setFilter(QStringLiteral("GSM = '5' OR GSM = '15'"));
    QCOMPARE(rs.pageCount(), 1);
}

void TestRecordset::readOnlyRefusesChanges() {
    Recordset rs = basket();
    add(rs, QStringLiteral("a"), QStringLiteral("1"));
    rs.setReadOnly(true);
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.addNew());
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.setValue(0, QStringLiteral("b")));
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.deleteAll());
    QCOMPARE(rs.recordCount(), 1);
}

void TestRecordset::emptyRecordsetIsBofAndEof() {
    Recordset rs = basket();
    rs.moveFirst();
    QVERIFY(rs.bof());
    QVERIFY(rs.eof());
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.value(0));
    add(rs, QStringLiteral("a"), QStringLiteral("1"));
    rs.moveFirst();
    QVERIFY(!rs.eof());
    rs.moveNext();
    QVERIFY(rs.eof());
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.moveNext());
}

QTEST_APPLESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
