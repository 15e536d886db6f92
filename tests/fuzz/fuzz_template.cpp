// A template filled with the records of a fuzzed data file, each row tested
// and queued as the senders do it.
//
//   byte 0  the number column: 0-4, 255 one far past the last, else none (-1)
//   byte 1  bit 0: header line; bit 1: the template is UTF-16LE, else UTF-8;
//           bit 2: tab separated, else ";"
//   byte 2  the template's length in bytes
//   then    the template, then the data file
#include <cstddef>
#include <cstdint>
#include <string>

#include <QStringDecoder>

#include "FuzzCheck.h"
#include "XmlScanner.h"
#include "core/Routines.h"
#include "gateway/HttpTransport.h"
#include "gateway/ReplyText.h"
#include "gateway/SmsBasket.h"
#include "textsource/DelimitedReader.h"
#include "textsource/MessageTemplate.h"

namespace {

bool isMobileNumber(const QString& number) {
    if (number.size() != 10 || number[0] != QLatin1Char('5'))
        return false;
    for (const QChar c : number) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool isValidUtf8(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !utf8.hasError();
}

void checkCleaned(const QString& filled) {
    const QString cleaned = CleanMessageText(filled);
    FUZZ_CHECK(cleaned.size() <= filled.size());
    for (const char16_t c : {u'\r', u'\n', u'<', u'>', u'&', u'~'})
        FUZZ_CHECK(!cleaned.contains(QChar(c)));
    // Cleaning while encoding gives what cleaning and then encoding gives.
    std::string inOnePass;
    std::string inTwo;
    AppendCleanedUtf8(inOnePass, filled);
    AppendEscapedUtf8(inTwo, cleaned);
    FUZZ_CHECK(inOnePass == inTwo);
    FUZZ_CHECK(isValidUtf8(inOnePass));
}

// The package's messages as the gateway gets them: a document the
// simulator's strict reader accepts, one Message element per row.
void checkBasket(const SmsBasket& basket) {
    RequestBody body(QByteArrayLiteral("<MainmsgBody><Messages>"));
    basket.appendTo(body);
    body.append(QByteArrayLiteral("</Messages></MainmsgBody>"));
    const QByteArray bytes = body.toByteArray();
    XmlScanner xml(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    int messages = 0;
    for (;;) {
        const XmlScanner::Token token = xml.next();
        FUZZ_CHECK(token != XmlScanner::Token::Error);
        if (token == XmlScanner::Token::End)
            break;
        if (token == XmlScanner::Token::EndElement && xml.name() == "Message")
            ++messages;
    }
    FUZZ_CHECK(messages == basket.recordCount());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input input(data, size);
    const uint8_t columnByte = input.byte();
    const uint8_t flags = input.byte();
    const QByteArray templateBytes = input.bytes(input.byte());
    const int gsmColumn = columnByte <= 4 ? columnByte : columnByte == 255 ? 1000 : -1;
    const QString templateText =
        flags & 2 ? QString::fromUtf16(reinterpret_cast<const char16_t*>(templateBytes.constData()),
                                       templateBytes.size() / 2)
                  : QString::fromUtf8(templateBytes);

    FUZZ_CHECK(WizardCounterText(templateText) ==
               QString::number(templateText.size()) + QStringLiteral("/160"));
    FUZZ_CHECK(EditorCounterText(templateText) ==
               QString::number(templateText.size()) + QStringLiteral(" / 160"));

    TextFormat format;
    format.separator = flags & 4 ? QStringLiteral("\t") : QStringLiteral(";");
    format.header = flags & 1;
    DelimitedReader reader;
    if (!reader.openWithFormat(fuzz::WriteFile(QStringLiteral("data.txt"), input.rest()), format))
        return 0;

    const MessageTemplate messageTemplate(templateText);
    FUZZ_CHECK(messageTemplate.text() == templateText);
    RowTester tester(messageTemplate, gsmColumn);
    SmsBasket basket;
    while (reader.next()) {
        const TextRecord& row = reader.record();
        const RowOutcome outcome = tester.test(row);
        const QString& filled = tester.filled();
        const QString& number = tester.number();

        FUZZ_CHECK(filled == FillTemplate(templateText, row));
        FUZZ_CHECK(filled == messageTemplate.fill(row));
        // The quick way to the number agrees with normalising its text.
        FUZZ_CHECK(number ==
                   (row.isNull(gsmColumn) ? QString() : NormalizeGsm(row.text(gsmColumn))));
        FUZZ_CHECK(number.isEmpty() || isMobileNumber(number));
        FUZZ_CHECK(outcome == ClassifyRow(filled, number));
        FUZZ_CHECK((outcome == RowOutcome::TooLong || outcome == RowOutcome::NoNumberTooLong) ==
                   (filled.size() > MessageLimit));

        const PreparedRow prepared = PrepareRow(messageTemplate, row, gsmColumn);
        FUZZ_CHECK(prepared.outcome == outcome);
        FUZZ_CHECK(prepared.filled == filled);
        FUZZ_CHECK(prepared.number == number);
        FUZZ_CHECK(prepared.message ==
                   (outcome == RowOutcome::Queued ? CleanMessageText(filled) : QString()));
        checkCleaned(filled);
        // A queued row always fits the basket.
        if (outcome == RowOutcome::Queued)
            basket.appendCleaned(filled, number);
    }
    checkBasket(basket);
    return 0;
}
