// The simulator's XML reader on any bytes, read the way the request handler
// reads: after each start tag, the simple child elements first.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "XmlScanner.h"

namespace {

// A document with a control character is refused, never passed on.
bool hasForbiddenControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](unsigned char u) {
        return u < 0x20 && u != '\t' && u != '\n' && u != '\r';
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XmlScanner xml(std::string_view(reinterpret_cast<const char*>(data), size));
    // Every step moves on by at least one byte or ends the scan.
    const size_t mostSteps = 2 * size + 4;
    for (size_t steps = 0;; ++steps) {
        FUZZ_CHECK(steps <= mostSteps);
        const XmlScanner::Token token = xml.next();
        if (token == XmlScanner::Token::Error) {
            FUZZ_CHECK(!xml.error().empty() && xml.next() == XmlScanner::Token::Error);
            return 0;
        }
        if (token == XmlScanner::Token::End) {
            FUZZ_CHECK(xml.depth() == 0);
            return 0;
        }
        if (token == XmlScanner::Token::Text)
            FUZZ_CHECK(xml.depth() >= 1 && !hasForbiddenControl(xml.text()));
        if (token == XmlScanner::Token::StartElement) {
            FUZZ_CHECK(xml.depth() >= 1 && !xml.name().empty());
            while (xml.flatElement()) {
                FUZZ_CHECK(++steps <= mostSteps);
                FUZZ_CHECK(!xml.name().empty() && !hasForbiddenControl(xml.text()));
            }
        }
    }
}
