#include <QDir>
#include <QtTest>

#include "core/AppState.h"
#include "core/Routines.h"
#include "support/TestEnvironment.h"

class TestRoutines : public QObject {
    Q_OBJECT

private slots:
    void normalizeGsm_data();
    void normalizeGsm();
    void cleanMessageText_data();
    void cleanMessageText();
    void uniqueFileName_data();
    void uniqueFileName();
};

void TestRoutines::normalizeGsm_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected"); // empty: not a mobile number

    // A mobile number as people write it, with or without country code.
    for (const char* input : {"+90 (532) 123-45.67", "905321234567", "05321234567", "5321234567"})
        QTest::newRow(input) << input << "5321234567";
    // Fixed lines, a digit short, letters, a slash, a number read as decimal.
    for (const char* input :
         {"02121234567", "2121234567", "532123456", "0532ABC4567", "0532/1234567", "5321234567,0"})
        QTest::newRow(input) << input << "";
}

void TestRoutines::normalizeGsm() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(NormalizeGsm(input), expected);
    // The senders' per-row form, into a buffer that held another number.
    QString reused = QStringLiteral("5559998877");
    NormalizeGsmInto(input, reused);
    QCOMPARE(reused, expected);
}

void TestRoutines::cleanMessageText_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("letters the gateway lacks") << "ÜĞİŞÇÖ üğışçö café"
                                               << "UGISCO ugisco cafe";
    QTest::newRow("line breaks vanish") << "a\r\nb\rc\nd\n\re"
                                        << "abcde";
    // Entities must not survive as markup: & is replaced before < and >.
    QTest::newRow("markup") << "<b>~Ali & Veli&lt;"
                            << "[b] Ali - Veli-lt;";
}

void TestRoutines::cleanMessageText() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(CleanMessageText(input), expected);
}

void TestRoutines::uniqueFileName_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("counterBefore");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("counterAfter");

    QTest::newRow("free name, counter kept") << QStringList{} << "yeni.txt" << 5 << "yeni.txt" << 5;
    QTest::newRow("taken, first suffix")
        << QStringList{"rapor.txt"} << "rapor.txt" << 0 << "rapor(1).txt" << 1;
    QTest::newRow("one-digit suffix is replaced")
        << QStringList{"rapor(3).txt"} << "rapor(3).txt" << 3 << "rapor(4).txt" << 4;
    QTest::newRow("two-digit suffix gets a second")
        << QStringList{"rapor(12).txt"} << "rapor(12).txt" << 12 << "rapor(12)(13).txt" << 13;
    QTest::newRow("skips taken suffixes")
        << QStringList{"liste.csv", "liste(1).csv", "liste(2).csv"} << "liste.csv" << 0
        << "liste(3).csv" << 3;
    // A workbook's five-character extension stays whole, so it still opens
    // as one.
    QTest::newRow("workbook") << QStringList{"h01_liste.xlsx", "h01_liste(1).xlsx"}
                              << "h01_liste.xlsx" << 0 << "h01_liste(2).xlsx" << 2;
    QTest::newRow("short name") << QStringList{"ab"} << "ab" << 0 << "ab(1)" << 1;
    // 255 bytes is the longest name; a Turkish letter is two.
    const QString longest = QString(125, u'ş') + QStringLiteral("a.txt");
    const QString cut = QStringLiteral("h01_") + QString(122, u'ş');
    QTest::newRow("too long: cut before the extension, prefix kept")
        << QStringList{} << "h01_" + longest << 0 << cut + "(1).txt" << 1;
    QTest::newRow("too long, cut name taken")
        << QStringList{cut + "(1).txt"} << "h01_" + longest << 0 << cut + "(2).txt" << 2;
    QTest::newRow("taken, the counter would make it too long")
        << QStringList{longest} << longest << 0 << QString(124, u'ş') + "(1).txt" << 1;
}

void TestRoutines::uniqueFileName() {
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(int, counterBefore);
    QFETCH(QString, expected);
    QFETCH(int, counterAfter);

    TestEnvironment env;
    QDir().mkdir(env.filePath(QStringLiteral("out")));
    for (const QString& f : existing)
        env.writeFile(QStringLiteral("out/") + f, "x");
    App().gFileCounter = counterBefore;
    const QString folder = env.filePath(QStringLiteral("out"));

    // A folder given with its trailing separator gets no second one.
    QCOMPARE(UniqueFileName(folder + QDir::separator(), name),
             folder + QDir::separator() + expected);
    QCOMPARE(App().gFileCounter, counterAfter);
}

QTEST_GUILESS_MAIN(TestRoutines)
#include "tst_routines.moc"
