#include <QDir>
#include <QFile>
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
    void replyClassification_data();
    void replyClassification();
    void uniqueFileName_data();
    void uniqueFileName();
    void uniqueFileNameKeepsCounterForFreeName();
    void statusTextReachesUi();
};

void TestRoutines::normalizeGsm_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("country code with punctuation") << "+90 (532) 123-45.67"
                                                   << "5321234567";
    QTest::newRow("country code digits only") << "905321234567"
                                              << "5321234567";
    QTest::newRow("leading zero") << "05321234567"
                                  << "5321234567";
    QTest::newRow("bare ten digits") << "5321234567"
                                     << "5321234567";
    QTest::newRow("blanks between groups") << "0 532 123 45 67"
                                           << "5321234567";
    QTest::newRow("fixed line with leading zero") << "02121234567"
                                                  << "";
    QTest::newRow("fixed line bare") << "2121234567"
                                     << "";
    QTest::newRow("nine digits") << "532123456"
                                 << "";
    QTest::newRow("letters") << "0532ABC4567"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("slash is not removed") << "0532/1234567"
                                          << "";
    QTest::newRow("decimal number text") << "5321234567,0"
                                         << "";
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

    QTest::newRow("turkish capitals") << QStringLiteral("ÜĞİŞÇÖ") << "UGISCO";
    QTest::newRow("turkish small letters") << QStringLiteral("üğışçö") << "ugisco";
    QTest::newRow("e acute") << QStringLiteral("café") << "cafe";
    QTest::newRow("CR LF pair leaves nothing") << "a\r\nb"
                                               << "ab";
    QTest::newRow("lone CR and lone LF") << "a\rb\nc"
                                         << "abc";
    QTest::newRow("LF CR is two breaks") << "a\n\rb"
                                         << "ab";
    QTest::newRow("angle brackets to square") << "<b>"
                                              << "[b]";
    QTest::newRow("tilde to blank") << "a~b"
                                    << "a b";
    QTest::newRow("ampersand to hyphen") << "Ali & Veli"
                                         << "Ali - Veli";
    // Entities must not survive as markup: & is replaced before < and >.
    QTest::newRow("entity-looking text") << "&lt;x&gt;"
                                         << "-lt;x-gt;";
    QTest::newRow("plain text unchanged") << "Sayin Ali, borcunuz 10 TL."
                                          << "Sayin Ali, borcunuz 10 TL.";
}

void TestRoutines::cleanMessageText() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(CleanMessageText(input), expected);
}

void TestRoutines::replyClassification_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("inList");
    QTest::addColumn<bool>("html");

    QTest::newRow("empty") << "" << true << false;
    QTest::newRow("transport failure") << "-1" << true << false;
    QTest::newRow("empty basket") << "-2" << true << false;
    QTest::newRow("code 06") << "06" << true << false;
    QTest::newRow("code 13") << "13" << true << false;
    QTest::newRow("fragment 0") << "0" << true << false;
    QTest::newRow("fragment 1") << "1" << true << false;
    QTest::newRow("lone comma") << "," << true << false;
    QTest::newRow("accepted package") << "00 123456" << false << false;
    QTest::newRow("code 14 is not listed") << "14" << false << false;
    QTest::newRow("time") << "2006-01-05 10:20:30" << false << false;
    QTest::newRow("credit") << "1500" << false << false;
    QTest::newRow("proxy page upper") << "<HTML><BODY>Proxy</BODY></HTML>" << false << true;
    QTest::newRow("proxy page lower") << "<html><body/></html>" << false << true;
    QTest::newRow("Html capitalised") << "Html" << false << false;
}

void TestRoutines::replyClassification() {
    QFETCH(QString, reply);
    QFETCH(bool, inList);
    QFETCH(bool, html);
    QCOMPARE(IsInReplyCodeList(reply), inList);
    QCOMPARE(IsHtmlReply(reply), html);
    QCOMPARE(IsErrorReply(reply), inList || html);
}

void TestRoutines::uniqueFileName_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("counterBefore");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("counterAfter");

    QTest::newRow("taken, first suffix")
        << QStringList{"rapor.txt"} << "rapor.txt" << 0 << "rapor(1).txt" << 1;
    QTest::newRow("one-digit suffix is replaced")
        << QStringList{"rapor(3).txt"} << "rapor(3).txt" << 3 << "rapor(4).txt" << 4;
    QTest::newRow("two-digit suffix gets a second")
        << QStringList{"rapor(12).txt"} << "rapor(12).txt" << 12 << "rapor(12)(13).txt" << 13;
    QTest::newRow("skips taken suffixes")
        << QStringList{"liste.csv", "liste(1).csv", "liste(2).csv"} << "liste.csv" << 0
        << "liste(3).csv" << 3;
    QTest::newRow("counter keeps running from where it was")
        << QStringList{"a.txt"} << "a.txt" << 7 << "a(8).txt" << 8;
    QTest::newRow("short name") << QStringList{"ab"} << "ab" << 0 << "ab(1)" << 1;
}

void TestRoutines::uniqueFileName() {
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(int, counterBefore);
    QFETCH(QString, expected);
    QFETCH(int, counterAfter);

    TestEnvironment env;
    for (const QString& f : existing)
        env.writeFile(QStringLiteral("out/") + f, "x");
    App().gFileCounter = counterBefore;
    const QString folder = env.filePath(QStringLiteral("out"));

    QCOMPARE(UniqueFileName(folder, name), folder + QDir::separator() + expected);
    QCOMPARE(App().gFileCounter, counterAfter);
}

void TestRoutines::uniqueFileNameKeepsCounterForFreeName() {
    TestEnvironment env;
    App().gFileCounter = 5;
    // A folder given with its trailing separator gets no second one.
    const QString folder = env.folder() + QDir::separator();
    QCOMPARE(UniqueFileName(folder, QStringLiteral("yeni.txt")),
             env.folder() + QDir::separator() + QStringLiteral("yeni.txt"));
    QCOMPARE(App().gFileCounter, 5);
}

void TestRoutines::statusTextReachesUi() {
    TestEnvironment env;
    SetStatusText(QStringLiteral("Hazır"));
    QCOMPARE(env.ui().statusTexts.size(), size_t(1));
    QCOMPARE(env.ui().statusTexts.back(), QStringLiteral("Hazır"));
}

QTEST_GUILESS_MAIN(TestRoutines)
#include "tst_routines.moc"
