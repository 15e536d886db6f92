// The simulator's XML reader on any bytes, read the way the request handler
// reads: after each start tag, the simple child elements first.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "XmlScanner.h"

namespace {

bool hasForbiddenControl(std::string_view text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r')
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    XmlScanner xml(document);
    // Every step moves on by at least one byte or ends the scan.
    const size_t mostSteps = 2 * size + 4;
    for (size_t steps = 0;; ++steps) {
        FUZZ_CHECK(steps <= mostSteps);
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::Token::Error) {
            FUZZ_CHECK(!xml.error().empty());
            FUZZ_CHECK(xml.next() == XmlScanner::Token::Error);
            return 0;
        }
        if (token == XmlScanner::Token::End) {
            FUZZ_CHECK(xml.depth() == 0);
            return 0;
        }
        if (token == XmlScanner::Token::Text) {
            FUZZ_CHECK(xml.depth() >= 1);
            // A document with a control character is refused, never passed on.
            FUZZ_CHECK(!hasForbiddenControl(xml.text()));
        }
        if (token == XmlScanner::Token::StartElement) {
            FUZZ_CHECK(xml.depth() >= 1);
            FUZZ_CHECK(!xml.name().empty());
            while (xml.flatElement()) {
                FUZZ_CHECK(++steps <= mostSteps);
                FUZZ_CHECK(!xml.name().empty());
                FUZZ_CHECK(!hasForbiddenControl(xml.text()));
            }
        }
    }
}
