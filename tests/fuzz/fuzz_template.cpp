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

#include "FuzzCheck.h"
#include "XmlScanner.h"
#include "core/Routines.h"
#include "gateway/HttpTransport.h"
#include "gateway/ReplyText.h"
#include "gateway/SmsBasket.h"
#include "textsource/DelimitedReader.h"
#include "textsource/MessageTemplate.h"

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
    (void)WizardCounterText(templateText);
    (void)EditorCounterText(templateText);

    TextFormat format;
    format.separator = flags & 4 ? QStringLiteral("\t") : QStringLiteral(";");
    format.header = flags & 1;
    DelimitedReader reader;
    if (!reader.openWithFormat(fuzz::WriteFile(QStringLiteral("data.txt"), input.rest()), format))
        return 0;

    // The senders' quick paths (a template read once, buffers kept from row
    // to row, cleaning while encoding) give what the plain routines give.
    const MessageTemplate messageTemplate(templateText);
    RowTester tester(messageTemplate, gsmColumn);
    SmsBasket basket;
    while (reader.next()) {
        const TextRecord& row = reader.record();
        const RowOutcome outcome = tester.test(row);
        const QString& filled = tester.filled();
        FUZZ_CHECK(filled == FillTemplate(templateText, row));
        FUZZ_CHECK(tester.number() ==
                   (row.isNull(gsmColumn) ? QString() : NormalizeGsm(row.text(gsmColumn))));
        FUZZ_CHECK(outcome == ClassifyRow(filled, tester.number()));
        const PreparedRow prepared = PrepareRow(messageTemplate, row, gsmColumn);
        FUZZ_CHECK(prepared.outcome == outcome && prepared.filled == filled &&
                   prepared.number == tester.number());
        std::string inOnePass, inTwo;
        AppendCleanedUtf8(inOnePass, filled);
        AppendEscapedUtf8(inTwo, CleanMessageText(filled));
        FUZZ_CHECK(inOnePass == inTwo);
        FUZZ_CHECK(
            QByteArray::fromRawData(inOnePass.data(), qsizetype(inOnePass.size())).isValidUtf8());
        // A queued row always fits the basket.
        if (outcome == RowOutcome::Queued)
            basket.appendCleaned(filled, tester.number());
    }

    // The package's messages as the gateway gets them: a document the
    // simulator's strict reader accepts, one Message element per row.
    RequestBody body(QByteArrayLiteral("<MainmsgBody><Messages>"));
    basket.appendTo(body);
    body.append(QByteArrayLiteral("</Messages></MainmsgBody>"));
    const QByteArray bytes = body.toByteArray();
    XmlScanner xml(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    int messages = 0;
    for (XmlScanner::Token token; (token = xml.next()) != XmlScanner::Token::End;) {
        FUZZ_CHECK(token != XmlScanner::Token::Error);
        messages += token == XmlScanner::Token::EndElement && xml.name() == "Message";
    }
    FUZZ_CHECK(messages == basket.recordCount());
    return 0;
}
