#include <cmath>
#include <cstring>
#include <limits>

#include <QtTest>

#include "core/RegionalFormat.h"
#include "textsource/TextValues.h"

namespace {

// The same sequence on every run and machine.
class Lcg {
public:
    quint64 next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return m_state;
    }
    int below(int bound) { return static_cast<int>((next() >> 33) % static_cast<quint64>(bound)); }

private:
    quint64 m_state = 20240601;
};

} // namespace

class TestTextValues : public QObject {
    Q_OBJECT

private slots:
    void numbersFromFilesRenderAsTheProgramDoes();
    void anyDoubleRendersAsTheProgramDoes();
    void textsStandingForNumbersAreWhatTheProgramShows();
    void textsStandingForNumbers_data();
    void textsStandingForNumbers();
    void wholeNumberDigits_data();
    void wholeNumberDigits();
};

void TestTextValues::numbersFromFilesRenderAsTheProgramDoes() {
    // Templates and reject lines must show a number exactly as the program's
    // grids and texts do, whatever digits the file held.
    Lcg random;
    for (int n = 0; n < 200000; ++n) {
        QString text;
        if (random.below(4) == 0)
            text += QLatin1Char('-');
        const int digits = 1 + random.below(15);
        const int comma = random.below(digits); // 0: no comma
        for (int i = 0; i < digits; ++i) {
            if (comma > 0 && i == digits - comma)
                text += QLatin1Char(',');
            text += QLatin1Char(static_cast<char>('0' + random.below(10)));
        }
        if (text.endsWith(QLatin1Char(',')) || text.startsWith(QLatin1Char(',')))
            continue;
        const std::optional<double> value = ParseDecimalNumber(text);
        QVERIFY2(value, qPrintable(text));
        QCOMPARE(NumberText(*value), RegionalNumberText(*value));
    }
}

void TestTextValues::anyDoubleRendersAsTheProgramDoes() {
    Lcg random;
    for (int n = 0; n < 200000; ++n) {
        const quint64 bits = random.next();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        QCOMPARE(NumberText(value), RegionalNumberText(value));
    }
    const double edges[] = {0.0,
                            -0.0,
                            1e-4,
                            9.9999e-5,
                            1e-5,
                            0.1 + 0.2,
                            999999999999999.9,
                            999999999999999.0,
                            1e15,
                            1e15 + 0.5,
                            123456789012345.6,
                            12345678901234.56,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::denorm_min(),
                            -9007199254740993.0};
    for (const double value : edges)
        QCOMPARE(NumberText(value), RegionalNumberText(value));
}

void TestTextValues::textsStandingForNumbersAreWhatTheProgramShows() {
    // A number's own text is shown in its place only when it is exactly
    // what the program would show for the value.
    Lcg random;
    const char* const pieces[] = {"0", "00", "1", "5", "9", "0000", "12", "90"};
    int standing = 0;
    for (int n = 0; n < 300000; ++n) {
        QString text;
        if (random.below(6) == 0)
            text += QLatin1Char(' ');
        const int sign = random.below(5);
        if (sign == 0)
            text += QLatin1Char('-');
        else if (sign == 1)
            text += QLatin1Char('+');
        for (int k = 1 + random.below(4); k > 0; --k)
            text += QLatin1String(pieces[random.below(8)]);
        if (random.below(2) == 0) {
            text += QLatin1Char(',');
            for (int k = 1 + random.below(4); k > 0; --k)
                text += QLatin1String(pieces[random.below(8)]);
        }
        if (random.below(6) == 0)
            text += QLatin1Char(' ');

        bool asWritten = false;
        if (const std::optional<double> value = ParseDecimalNumber(text, &asWritten);
            value && asWritten) {
            ++standing;
            QCOMPARE(text, RegionalNumberText(*value));
        }
        if (const std::optional<qint64> value = ParseWholeNumber(text, &asWritten);
            value && asWritten)
            QCOMPARE(text, QString::number(*value));
    }
    QVERIFY(standing > 10000); // the rule is not simply "never"
}

void TestTextValues::textsStandingForNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asWritten");

    QTest::newRow("plain decimal") << "12345,67" << true;
    QTest::newRow("zero whole part") << "0,5" << true;
    QTest::newRow("negative") << "-3,25" << true;
    QTest::newRow("trailing zero") << "12,50" << false;
    QTest::newRow("leading zero") << "012,5" << false;
    QTest::newRow("plus sign") << "+12,5" << false;
    QTest::newRow("blank") << "12,5 " << false;
    QTest::newRow("negative zero") << "-0" << false;
    QTest::newRow("smallest without exponent") << "0,0001" << true;
    QTest::newRow("shown with an exponent") << "0,00001" << false;
    QTest::newRow("whole number") << "42" << true;
    QTest::newRow("zero") << "0" << true;
}

void TestTextValues::textsStandingForNumbers() {
    QFETCH(QString, text);
    QFETCH(bool, asWritten);
    bool shown = !asWritten;
    QVERIFY(ParseDecimalNumber(text, &shown));
    QCOMPARE(shown, asWritten);
}

void TestTextValues::wholeNumberDigits_data() {
    QTest::addColumn<qint64>("value");

    QTest::newRow("zero") << qint64(0);
    QTest::newRow("mobile number") << qint64(5321234567);
    QTest::newRow("negative") << qint64(-42);
    QTest::newRow("largest") << std::numeric_limits<qint64>::max();
    QTest::newRow("smallest") << std::numeric_limits<qint64>::min();
}

void TestTextValues::wholeNumberDigits() {
    QFETCH(qint64, value);
    char16_t digits[24];
    const qsizetype length = WholeNumberDigits(value, digits);
    QCOMPARE(QString(reinterpret_cast<const QChar*>(digits), length), QString::number(value));
}

QTEST_GUILESS_MAIN(TestTextValues)
#include "tst_textvalues.moc"
