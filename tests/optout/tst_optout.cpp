#include <QAbstractItemModelTester>
#include <QtTest>

#include "core/PreparedStatement.h"
#include "optout/OptOutList.h"
#include "optout/OptOutModel.h"
#include "support/TestEnvironment.h"
#include "support/Workbooks.h"

using namespace Qt::StringLiterals;

namespace {

QStringList listed() {
    QStringList numbers;
    Recordset rs = OpenRecordset(u"SELECT numara FROM tbl_ret ORDER BY numara"_s);
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        numbers << rs.text(0);
    return numbers;
}

void listNumbers(const QStringList& numbers) {
    QCOMPARE(AddOptOutNumbers(numbers, OptOutSource::Typed).done.size(), numbers.size());
}

OptOutImport importOf(const QString& path, const QString& gsmColumn, bool header = true,
                      const QString& statusColumn = QString()) {
    OptOutImport request;
    request.path = path;
    request.format.separator = u";"_s;
    request.format.header = header;
    request.gsmColumn = gsmColumn;
    request.statusColumn = statusColumn;
    return request;
}

} // namespace

class TestOptOut : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;

private slots:
    void init() {
        env = std::make_unique<TestEnvironment>();
        env->ui().setNow(QDateTime(QDate(2027, 3, 5), QTime(14, 30)));
        OpenDatabase();
    }
    void cleanup() { env.reset(); }

    void typedNumbers_data() {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("done");
        QTest::addColumn<QStringList>("already"); // or, removing, not listed
        QTest::addColumn<QStringList>("invalid");
        QTest::addColumn<QStringList>("after");

        QTest::newRow("three written forms stored once")
            << true << QStringList{}
            << QStringList{u"+90 (532) 123 45 67"_s, u"05321234567"_s, u"532 123 4567"_s}
            << QStringList{u"5321234567"_s} << QStringList{u"5321234567"_s, u"5321234567"_s}
            << QStringList{} << QStringList{u"5321234567"_s};
        QTest::newRow("a listed number kept, not duplicated")
            << true << QStringList{u"5321234567"_s} << QStringList{u"0532-123-4567"_s}
            << QStringList{} << QStringList{u"5321234567"_s} << QStringList{}
            << QStringList{u"5321234567"_s};
        QTest::newRow("invalid numbers refused")
            << true << QStringList{}
            << QStringList{u"0212 123 45 67"_s, u"53212"_s, u"532123456a"_s, u""_s} << QStringList{}
            << QStringList{} << QStringList{u"0212 123 45 67"_s, u"53212"_s, u"532123456a"_s, u""_s}
            << QStringList{};
        QTest::newRow("removed in another form")
            << false << QStringList{u"5321234567"_s, u"5339998877"_s}
            << QStringList{u"0 (532) 123 45 67"_s, u"5441112233"_s, u"x"_s}
            << QStringList{u"5321234567"_s} << QStringList{u"5441112233"_s} << QStringList{u"x"_s}
            << QStringList{u"5339998877"_s};
    }
    // What the user typed is kept as the one form every sender compares,
    // and what is no mobile number never reaches the list.
    void typedNumbers() {
        QFETCH(bool, adding);
        QFETCH(QStringList, before);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, done);
        QFETCH(QStringList, already);
        QFETCH(QStringList, invalid);
        QFETCH(QStringList, after);
        listNumbers(before);

        const OptOutChange change = adding
                                        ? AddOptOutNumbers(typed, OptOutSource::Typed, u"arayan"_s)
                                        : RemoveOptOutNumbers(typed);
        QCOMPARE(change.done, done);
        QCOMPARE(change.already, already);
        QCOMPARE(change.invalid, invalid);
        QCOMPARE(listed(), after);
        QCOMPARE(OptOutCount(), after.size());
        // The box names each number refused.
        if (!invalid.isEmpty())
            QVERIFY(change.message(adding).contains(u"Geçerli bir GSM numarası değil : "_s +
                                                    invalid.join(u", "_s)));
        if (adding && !done.isEmpty()) {
            Recordset row = OpenRecordset(
                u"SELECT tarih, kaynak, aciklama FROM tbl_ret WHERE numara = '%1'"_s.arg(done[0]));
            QCOMPARE((QStringList{row.value(0).toDateTime().toString(u"dd.MM.yyyy HH:mm"_s),
                                  row.text(1), row.text(2)}),
                     (QStringList{u"05.03.2027 14:30"_s, u"elle"_s, u"arayan"_s}));
        }
    }

    void search_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        const QStringList all = {u"5321234567"_s, u"5329876543"_s, u"5331234567"_s,
                                 u"5441230000"_s};
        QTest::newRow("nothing typed") << u" "_s << all;
        QTest::newRow("a whole number in another form")
            << u"0532 123 45 67"_s << QStringList{u"5321234567"_s};
        QTest::newRow("how numbers begin, with the zero")
            << u"0532"_s << QStringList{u"5321234567"_s, u"5329876543"_s};
        QTest::newRow("how numbers begin, with the country code")
            << u"+90 533"_s << QStringList{u"5331234567"_s};
        QTest::newRow("how numbers begin, dialled abroad")
            << u"0090 544"_s << QStringList{u"5441230000"_s};
        QTest::newRow("digits anywhere")
            << u"1234"_s << QStringList{u"5321234567"_s, u"5331234567"_s};
        QTest::newRow("digits anywhere, written apart")
            << u"123 0"_s << QStringList{u"5441230000"_s};
        QTest::newRow("a landline's beginning") << u"0212"_s << QStringList{};
        QTest::newRow("letters") << u"ali"_s << QStringList{};
    }
    void search() {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        listNumbers({u"5441230000"_s, u"5331234567"_s, u"5321234567"_s, u"5329876543"_s});
        QStringList shown;
        for (const OptOutNumber n :
             OptOutSearch(typed).filter(LoadOptOutNumbers(App().gConnection)))
            shown << OptOutNumberText(n);
        QCOMPARE(shown, found);
    }

    void import_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes"); // empty: a workbook
        QTest::addColumn<bool>("header");
        QTest::addColumn<QString>("statusColumn");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("message");

        QTest::newRow("an İYS export: RET rows only")
            << u"iys.csv"_s
            << QByteArray("gsm;durum\n05321234567;RET\n05339998877;ONAY\n5441230000; ret \n"
                          "123;RET\n")
            << true << u"durum"_s << QStringList{u"5321234567"_s, u"5441230000"_s}
            << u"1 numara eklendi, 1 numara zaten listedeydi, 1 satırdaki numara geçersiz, "
               "1 satır RET durumunda değildi."_s;
        QTest::newRow("every row, duplicates once")
            << u"liste.txt"_s
            << QByteArray("0532 123 45 67;Ali\n5339998877;Veli\n+90 533 999 88 77;Veli\n;Boş\n")
            << false << u""_s << QStringList{u"5321234567"_s, u"5339998877"_s}
            << u"1 numara eklendi, 2 numara zaten listedeydi, 1 satırdaki numara geçersiz."_s;
        QTest::newRow("a workbook with numbers as numbers")
            << u"iys.xlsx"_s << QByteArray() << true << u"durum"_s
            << QStringList{u"5321234567"_s, u"5331112233"_s, u"5339998877"_s}
            << u"2 numara eklendi, 0 numara zaten listedeydi, 0 satırdaki numara geçersiz, "
               "1 satır RET durumunda değildi."_s;
    }
    // 5321234567 is listed before each import.
    void import() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, header);
        QFETCH(QString, statusColumn);
        QFETCH(QStringList, after);
        QFETCH(QString, message);
        listNumbers({u"5321234567"_s});
        QString path = env->filePath(file);
        if (bytes.isEmpty())
            WriteXlsx(path, {{u"Sayfa1"_s,
                              {{u"gsm"_s, u"durum"_s},
                               {5331112233LL, u"RET"_s},
                               {u"0533 999 88 77"_s, u"Ret"_s},
                               {5441230000LL, u"ONAY"_s}}}});
        else
            path = env->writeFile(file, bytes);

        const OptOutImportResult result = ImportOptOutFile(
            App().gConnection, importOf(path, header ? u"gsm"_s : u"F1"_s, header, statusColumn));
        QCOMPARE(result.message(), message);
        QCOMPARE(listed(), after);
        Recordset row = OpenRecordset(
            u"SELECT kaynak, aciklama FROM tbl_ret WHERE numara = '%1'"_s.arg(after.last()));
        QCOMPARE(row.text(0) + u' ' + row.text(1), u"dosya "_s + file);
    }

    void failedImport_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("said");
        const int failed = int(OptOutImportResult::Outcome::Failed);
        const int cancelled = int(OptOutImportResult::Outcome::Cancelled);
        QTest::newRow("no such file") << u"missing"_s << failed << u"değişmedi"_s;
        QTest::newRow("a quote left open") << u"quote"_s << failed << u"kapanmayan tırnak"_s;
        QTest::newRow("no such column") << u"column"_s << failed << u"alanları : gsm, ad"_s;
        QTest::newRow("the database held")
            << u"held"_s << failed << u"başka bir program tarafından kullanılıyor"_s;
        QTest::newRow("stopped while reading") << u"stop-reading"_s << cancelled << u"durduruldu"_s;
        QTest::newRow("stopped while writing") << u"stop-writing"_s << cancelled << u"durduruldu"_s;
    }
    // Nothing half-imported: the list is as it was, whatever went wrong.
    void failedImport() {
        QFETCH(QString, fault);
        QFETCH(int, outcome);
        QFETCH(QString, said);
        listNumbers({u"5321234567"_s});
        const int rows = 10000;
        QByteArray bytes = TestEnvironment::numberedList(rows);
        if (fault == u"quote")
            bytes += "05551234567;\"Ali\n05551234568;Veli\n";
        const QString path = env->writeFile(u"liste.txt"_s, bytes);
        // A connection of its own, as the window imports on.
        Database db;
        db.open(DatabasePath());
        db.setBusyTimeout(200);
        // Another program in the middle of writing.
        Database other;
        if (fault == u"held") {
            other.open(DatabasePath());
            other.execute(u"BEGIN IMMEDIATE"_s);
        }
        OptOutImport request = importOf(fault == u"missing" ? env->filePath(u"yok.txt"_s) : path,
                                        fault == u"column" ? u"tel"_s : u"gsm"_s);

        qint64 lastAsked = 0;
        const OptOutImportResult result = ImportOptOutFile(db, request, [&](qint64 read) {
            lastAsked = read;
            // The whole file is read before the list is written.
            return !(fault == u"stop-reading" || (fault == u"stop-writing" && read == rows));
        });
        other.close();
        QCOMPARE(int(result.outcome), outcome);
        QVERIFY2(result.message().contains(said), qPrintable(result.message()));
        QCOMPARE(listed(), QStringList{u"5321234567"_s});
        if (fault == u"stop-writing")
            QCOMPARE(lastAsked, rows);
    }

    // The workbook lists every number with where it came from.
    void exportWritesTheList() {
        AddOptOutNumbers({u"05339998877"_s}, OptOutSource::CommandLine, u"SMS ile"_s);
        listNumbers({u"5321234567"_s});
        const QString path = env->filePath(u"ret.xlsx"_s);
        OptOutExportSource source;
        QVERIFY(WriteWorkbook(source, path, OptOutExportSource::columnNames()).written());
        QCOMPARE(SheetLines(path),
                 (QStringList{u"Numara;Tarih;Kaynak;Açıklama"_s,
                              u"5321234567;05.03.2027 14:30:00;elle;"_s,
                              u"5339998877;05.03.2027 14:30:00;komut;SMS ile"_s}));
    }

    // A long list shows its rows page by page, and a search narrows them.
    void modelOfALongList() {
        const QString path = env->writeFile(
            u"liste.txt"_s, TestEnvironment::numberedList(OptOutModel::PageRows * 3));
        QVERIFY(ImportOptOutFile(App().gConnection, importOf(path, u"gsm"_s)).imported());
        OptOutModel model;
        QAbstractItemModelTester tester(&model);
        model.reload();
        QCOMPARE(model.rowCount(), OptOutModel::PageRows * 3);
        const int last = model.rowCount() - 1;
        QCOMPARE(
            (QStringList{
                model.index(last, 0).data().toString(), model.index(last, 1).data().toString(),
                model.index(last, 2).data().toString(), model.index(last, 3).data().toString()}),
            (QStringList{u"5321000599"_s, u"05.03.2027 14:30:00"_s, u"dosya"_s, u"liste.txt"_s}));
        model.setSearch(u"0532 100 05"_s);
        QCOMPARE(model.rowCount(), 100);
        QCOMPARE(model.numberAt(0), u"5321000500"_s);
        RemoveOptOutNumbers({u"5321000500"_s});
        model.reload();
        QCOMPARE(model.rowCount(), 99);
        QCOMPARE(model.totalCount(), OptOutModel::PageRows * 3 - 1);
    }
};

QTEST_GUILESS_MAIN(TestOptOut)
#include "tst_optout.moc"
