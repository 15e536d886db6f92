#pragma once

#include <string>
#include <string_view>
#include <vector>

// A small, strict pull reader for the gateway's request documents: elements,
// attributes (skipped), text with the five named entities and character
// references, CDATA, comments and processing instructions. It refuses what a
// conforming parser refuses (a bare "&" or "<" in text, crossed or unclosed
// tags, a second root, control characters) and any DOCTYPE, so that a client
// that forgets to escape a value is caught here as it would be at the real
// gateway. It works on bytes and leaves UTF-8 as it is.
class XmlScanner {
public:
    enum class Token { StartElement, EndElement, Text, End, Error };

    explicit XmlScanner(std::string_view document);

    Token next();

    // Reads a whole child element of the simplest form, "<name>text</name>"
    // with no attributes, markup or blanks inside the tags, as one step:
    // sets name() and text() and returns true. Anything else leaves the
    // position where it was and returns false, for next() to read; text
    // that is not allowed fails the scan as next() would.
    bool flatElement();

    // Name of the element just started or ended.
    std::string_view name() const { return m_name; }
    // Decoded text of the Text token just read; valid until the next call.
    std::string_view text() const { return m_textView; }
    // Nesting depth: 1 inside the root element.
    int depth() const { return static_cast<int>(m_open.size()); }
    const std::string& error() const { return m_error; }

private:
    Token fail(std::string message);
    bool skipMisc(); // whitespace, comments and processing instructions
    bool readName(std::string_view& out);
    // Checks character data and sets the text; `cdataEndForbidden` for
    // text outside CDATA, where "]]>" may not appear.
    bool decodeText(std::string_view raw, bool cdataEndForbidden);
    Token startTag();
    Token endTag();

    std::string_view m_doc;
    size_t m_pos = 0;
    std::vector<std::string_view> m_open;
    std::string_view m_name;
    std::string m_text; // decoded text when references had to be replaced
    std::string_view m_textView;
    std::string m_error;
    bool m_pendingEnd = false;
    bool m_rootSeen = false;
    bool m_failed = false;
};
