#include <QtTest>

#include "textsource/CodePage.h"

class TestCodePage : public QObject {
    Q_OBJECT

private slots:
    void turkishLetters();
    void everyByteDecodesAndEncodesBack();
    void undefinedBytesKeepTheirValue();
    void charactersWithoutAByteBecomeQuestionMarks();
    void utf8EncodingAndMark();
    void detection_data();
    void detection();
    void detectionInPieces_data();
    void detectionInPieces();
};

void TestCodePage::turkishLetters() {
    QCOMPARE(DecodeWindows1254("\xD0\xDC\xDE\xDD\xD6\xC7\xF0\xFC\xFE\xFD\xF6\xE7"),
             QStringLiteral("ĞÜŞİÖÇğüşıöç"));
    QCOMPARE(EncodeText(QStringLiteral("Ayşe Yılmaz"), TextEncoding::Windows1254),
             QByteArray("Ay\xFE"
                        "e Y\xFDlmaz"));
    QCOMPARE(DecodeWindows1254("\x80"), QStringLiteral("€"));
}

void TestCodePage::everyByteDecodesAndEncodesBack() {
    // Reject files are written back from decoded rows: every byte of a data
    // file must come back as it was.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = DecodeWindows1254(all);
    QCOMPARE(text.size(), qsizetype(256));
    QCOMPARE(EncodeText(text, TextEncoding::Windows1254), all);
}

void TestCodePage::undefinedBytesKeepTheirValue() {
    for (const int b : {0x81, 0x8D, 0x8E, 0x8F, 0x90, 0x9D, 0x9E}) {
        const QString text = DecodeWindows1254(QByteArray(1, static_cast<char>(b)));
        QCOMPARE(text, QString(QChar(b)));
    }
}

void TestCodePage::charactersWithoutAByteBecomeQuestionMarks() {
    QCOMPARE(EncodeText(QStringLiteral("a😀b名"), TextEncoding::Windows1254), QByteArray("a?b?"));
    QVERIFY(FitsWindows1254(QStringLiteral("Çağrı € ?")));
    QVERIFY(!FitsWindows1254(QStringLiteral("名")));
}

void TestCodePage::utf8EncodingAndMark() {
    QCOMPARE(EncodeText(QStringLiteral("ş"), TextEncoding::Utf8), QByteArray("\xC5\x9F"));
    QCOMPARE(EncodeText(QStringLiteral("ş"), TextEncoding::Utf8WithBom), QByteArray("\xC5\x9F"));
    QCOMPARE(ByteOrderMark(TextEncoding::Utf8WithBom), QByteArray("\xEF\xBB\xBF"));
    QCOMPARE(ByteOrderMark(TextEncoding::Utf8), QByteArray());
    QCOMPARE(ByteOrderMark(TextEncoding::Windows1254), QByteArray());
    QCOMPARE(EncodingName(TextEncoding::Windows1254), QStringLiteral("windows-1254"));
    QCOMPARE(EncodingName(TextEncoding::Utf8WithBom), QStringLiteral("utf-8"));
}

void TestCodePage::detection_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("expected");

    QTest::newRow("empty") << QByteArray() << TextEncoding::Windows1254;
    QTest::newRow("plain ASCII") << QByteArray("ad;gsm\r\nAli;5321234567\r\n")
                                 << TextEncoding::Windows1254;
    QTest::newRow("Windows-1254 letters") << QByteArray("Ay\xFE"
                                                        "e;Y\xFDlmaz")
                                          << TextEncoding::Windows1254;
    QTest::newRow("UTF-8 letters") << QByteArray("Ay\xC5\x9F"
                                                 "e")
                                   << TextEncoding::Utf8;
    QTest::newRow("mark") << QByteArray("\xEF\xBB\xBF"
                                        "ad")
                          << TextEncoding::Utf8WithBom;
    QTest::newRow("mark alone") << QByteArray("\xEF\xBB\xBF") << TextEncoding::Utf8WithBom;
    QTest::newRow("mark before invalid bytes")
        << QByteArray("\xEF\xBB\xBF\xFE") << TextEncoding::Utf8WithBom;
    QTest::newRow("invalid after valid UTF-8")
        << QByteArray("\xC5\x9F").repeated(5000) + QByteArray("\xFE") << TextEncoding::Windows1254;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << TextEncoding::Windows1254;
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << TextEncoding::Windows1254;
    QTest::newRow("beyond the last code point")
        << QByteArray("\xF4\x90\x80\x80") << TextEncoding::Windows1254;
    QTest::newRow("four-byte character") << QByteArray("\xF0\x9F\x98\x80") << TextEncoding::Utf8;
    QTest::newRow("cut off at the end") << QByteArray("a\xC5") << TextEncoding::Windows1254;
    // Two Windows-1254 letters that happen to form a UTF-8 sequence: such a
    // file is read as UTF-8, the price of accepting UTF-8 without a mark.
    QTest::newRow("1254 pair that is UTF-8") << QByteArray("\xC3\xBC") << TextEncoding::Utf8;
}

void TestCodePage::detection() {
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, expected);
    QCOMPARE(DetectEncoding(bytes), expected);
}

void TestCodePage::detectionInPieces_data() {
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("UTF-8 text") << QByteArray("Ay\xC5\x9F"
                                              "e \xF0\x9F\x98\x80 \xE2\x82\xAC son");
    QTest::newRow("mark") << QByteArray("\xEF\xBB\xBF"
                                        "ad;gsm");
    QTest::newRow("1254 text") << QByteArray("Ay\xFE"
                                             "e Y\xFDlmaz");
    QTest::newRow("cut off at the end") << QByteArray("ab\xE2\x82");
}

void TestCodePage::detectionInPieces() {
    // Files are read in pieces: a character split between two reads must not
    // change the answer.
    QFETCH(QByteArray, bytes);
    const TextEncoding whole = DetectEncoding(bytes);
    for (qsizetype piece = 1; piece <= 3; ++piece) {
        EncodingDetector detector;
        for (qsizetype i = 0; i < bytes.size(); i += piece)
            detector.feed(QByteArrayView(bytes).sliced(i, std::min(piece, bytes.size() - i)));
        QCOMPARE(detector.result(), whole);
    }
}

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
