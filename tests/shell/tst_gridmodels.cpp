#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include "core/DbRoutines.h"
#include "shell/GridModels.h"
#include "support/TestEnvironment.h"

namespace {

void writeLogLines(int count, int firstNumber = 1) {
    for (int i = 0; i < count; ++i)
        WriteLog(QStringLiteral("satır %1").arg(firstNumber + i));
}

QString textAt(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

} // namespace

class TestGridModels : public QObject {
    Q_OBJECT

private slots:
    void recordsetModelShowsEveryVisibleRecord();
    void recordsetModelKeepsTheCallersCursor();
    void logIsListedNewestFirst();
    void logIsReadOnePageAtATime();
    void refreshPutsNewLinesOnTop();
    void refreshOfManyNewLinesStartsAgain();
    void refreshAfterTheLogWasEmptied();
    void emptyLogStillHasItsColumns();
};

void TestGridModels::recordsetModelShowsEveryVisibleRecord() {
    Recordset rs;
    rs.appendField(QStringLiteral("GSM"));
    rs.appendField(QStringLiteral("Durum"), FieldType::Integer);
    rs.appendField(QStringLiteral("Tarih"), FieldType::DateTime);
    rs.appendRow({QStringLiteral("5321112233"), 1, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))});
    rs.appendRow({QStringLiteral("5324445566"), 2, QVariant()});
    rs.appendRow({QStringLiteral("5327778899"), 1, QVariant()});
    rs.setFilter(QStringLiteral("Durum = '1'"));

    RecordsetModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRecordset(rs);

    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Durum"));
    QCOMPARE(textAt(model, 0, 0), QStringLiteral("5321112233"));
    QCOMPARE(textAt(model, 0, 2), QStringLiteral("04.03.2026 05:06:07"));
    QCOMPARE(textAt(model, 1, 0), QStringLiteral("5327778899"));
    QCOMPARE(textAt(model, 1, 2), QString());
}

void TestGridModels::recordsetModelKeepsTheCallersCursor() {
    Recordset rs;
    rs.appendField(QStringLiteral("A"));
    rs.appendRow({QStringLiteral("x")});
    rs.appendRow({QStringLiteral("y")});
    rs.moveFirst();

    RecordsetModel model;
    model.setRecordset(rs);
    QCOMPARE(textAt(model, 1, 0), QStringLiteral("y"));
    QCOMPARE(rs.text(0), QStringLiteral("x"));
}

void TestGridModels::logIsListedNewestFirst() {
    TestEnvironment env;
    writeLogLines(3);

    NewestFirstModel model(QStringLiteral("tbl_log_txt"), QStringLiteral("id"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.reload();

    QCOMPARE(model.fieldNames(), (QStringList{"id", "tarih", "aciklama"}));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(textAt(model, 0, 2), QStringLiteral("satır 3"));
    QCOMPARE(textAt(model, 2, 2), QStringLiteral("satır 1"));
}

void TestGridModels::logIsReadOnePageAtATime() {
    TestEnvironment env;
    writeLogLines(25);

    NewestFirstModel model(QStringLiteral("tbl_log_txt"), QStringLiteral("id"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setPageSize(10);
    model.reload();
    QCOMPARE(model.rowCount(), 10);
    QVERIFY(model.canFetchMore(QModelIndex()));

    model.fetchMore(QModelIndex());
    model.fetchMore(QModelIndex());
    QCOMPARE(model.rowCount(), 25);
    QVERIFY(!model.canFetchMore(QModelIndex()));
    QCOMPARE(textAt(model, 10, 2), QStringLiteral("satır 15"));
    QCOMPARE(textAt(model, 24, 2), QStringLiteral("satır 1"));
}

void TestGridModels::refreshPutsNewLinesOnTop() {
    TestEnvironment env;
    writeLogLines(12);

    NewestFirstModel model(QStringLiteral("tbl_log_txt"), QStringLiteral("id"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setPageSize(5);
    model.reload();
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    model.refresh(); // nothing new
    QCOMPARE(model.rowCount(), 5);

    writeLogLines(2, 13);
    model.refresh();
    QCOMPARE(model.rowCount(), 7);
    QCOMPARE(textAt(model, 0, 2), QStringLiteral("satır 14"));
    QCOMPARE(textAt(model, 1, 2), QStringLiteral("satır 13"));
    QCOMPARE(textAt(model, 2, 2), QStringLiteral("satır 12"));
    QCOMPARE(resets.count(), 0);

    // Older pages continue where the first one ended.
    model.fetchMore(QModelIndex());
    QCOMPARE(textAt(model, 7, 2), QStringLiteral("satır 7"));
}

void TestGridModels::refreshOfManyNewLinesStartsAgain() {
    TestEnvironment env;
    writeLogLines(2);
    NewestFirstModel model(QStringLiteral("tbl_log_txt"), QStringLiteral("id"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setPageSize(4);
    model.reload();

    writeLogLines(9, 3);
    model.refresh();
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(textAt(model, 0, 2), QStringLiteral("satır 11"));
    QVERIFY(model.canFetchMore(QModelIndex()));
}

void TestGridModels::refreshAfterTheLogWasEmptied() {
    TestEnvironment env;
    writeLogLines(3);
    NewestFirstModel model(QStringLiteral("tbl_log_txt"), QStringLiteral("id"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.reload();

    ExecuteSql(QStringLiteral("DELETE FROM tbl_log_txt"));
    model.refresh();
    QCOMPARE(model.rowCount(), 0);

    WriteLog(QStringLiteral("yeni"));
    model.refresh();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(textAt(model, 0, 2), QStringLiteral("yeni"));
}

void TestGridModels::emptyLogStillHasItsColumns() {
    TestEnvironment env;
    NewestFirstModel model(QStringLiteral("tbl_log_txt"), QStringLiteral("id"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.reload();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 3);
    QVERIFY(!model.canFetchMore(QModelIndex()));
}

QTEST_GUILESS_MAIN(TestGridModels)
#include "tst_gridmodels.moc"
