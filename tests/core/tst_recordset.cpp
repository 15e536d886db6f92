#include <QtTest>

#include "core/Recordset.h"

namespace {

// The fields of a message basket, with rows of message and number.
Recordset basket(const QStringList& rows = {}) {
    Recordset rs;
    rs.appendField(QStringLiteral("MSG"), FieldType::Text, 160);
    rs.appendField(QStringLiteral("GSM"), FieldType::Text, 20);
    for (qsizetype i = 0; i + 1 < rows.size(); i += 2)
        rs.appendRow({rows[i], rows[i + 1]});
    return rs;
}

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT

private slots:
    void sizedFieldRefusesLongerText();
    void valuesReadByPositionOrName();
};

void TestRecordset::sizedFieldRefusesLongerText() {
    Recordset rs = basket();
    rs.addNew();
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.setValue(0, QString(161, u'x')));
    QVERIFY(rs.isNull(0)); // nothing half-stored
    rs.setValue(0, QString(160, u'x'));
    QCOMPARE(rs.text(0).size(), 160);
}

void TestRecordset::valuesReadByPositionOrName() {
    Recordset rs = basket({QStringLiteral("merhaba"), QStringLiteral("5321234567")});
    rs.addNew();
    rs.moveFirst();
    QCOMPARE(rs.text(0), QStringLiteral("merhaba"));
    QCOMPARE(rs.text(QStringLiteral("gsm")), QStringLiteral("5321234567")); // names ignore case
    QVERIFY_THROWS_EXCEPTION(RecordsetError, rs.value(QStringLiteral("none")));
    rs.moveNext();
    QVERIFY(rs.isNull(0));
    QCOMPARE(rs.text(0), QString()); // Null reads as empty text
}

QTEST_APPLESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
