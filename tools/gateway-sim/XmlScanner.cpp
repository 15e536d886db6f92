#include "XmlScanner.h"

#include <algorithm>
#include <cstdint>

namespace {

// Character classes, looked up once per byte: request bodies of a big
// package are a hundred megabytes.
enum CharClass : unsigned char {
    Space = 1,
    NameStart = 2,
    NameChar = 4,
    // Bytes that end a plain run of character data: forbidden controls,
    // '&' and ']' (which may start "]]>").
    TextStop = 8,
};

struct CharTable {
    unsigned char bits[256] = {};
    constexpr CharTable() {
        for (int c = 0; c < 256; ++c) {
            unsigned char b = 0;
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
                b |= Space;
            const bool start = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
                               c == ':' || c >= 0x80;
            if (start)
                b |= NameStart | NameChar;
            if ((c >= '0' && c <= '9') || c == '-' || c == '.')
                b |= NameChar;
            if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == '&' || c == ']')
                b |= TextStop;
            bits[c] = b;
        }
    }
};

constexpr CharTable Classes;

bool is(char c, CharClass cls) {
    return (Classes.bits[static_cast<unsigned char>(c)] & cls) != 0;
}

bool isSpace(char c) {
    return is(c, Space);
}

bool isForbiddenControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 && u != '\t' && u != '\n' && u != '\r';
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool validCodePoint(uint32_t cp) {
    if (cp == 0x9 || cp == 0xA || cp == 0xD)
        return true;
    if (cp < 0x20 || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF)
        return false;
    return cp <= 0x10FFFF;
}

} // namespace

XmlScanner::XmlScanner(std::string_view document)
    : m_doc(document) {
    if (m_doc.substr(0, 3) == "\xEF\xBB\xBF")
        m_pos = 3;
}

XmlScanner::Token XmlScanner::fail(std::string message) {
    m_failed = true;
    m_error = std::move(message) + " at byte " + std::to_string(m_pos);
    return Token::Error;
}

bool XmlScanner::skipMisc() {
    for (;;) {
        while (m_pos < m_doc.size() && isSpace(m_doc[m_pos]))
            ++m_pos;
        const std::string_view rest = m_doc.substr(m_pos);
        if (rest.substr(0, 4) == "<!--") {
            const size_t end = m_doc.find("-->", m_pos + 4);
            if (end == std::string_view::npos)
                return false;
            m_pos = end + 3;
        } else if (rest.substr(0, 2) == "<?") {
            const size_t end = m_doc.find("?>", m_pos + 2);
            if (end == std::string_view::npos)
                return false;
            m_pos = end + 2;
        } else {
            return true;
        }
    }
}

bool XmlScanner::readName(std::string_view& out) {
    const size_t start = m_pos;
    if (m_pos >= m_doc.size() || !is(m_doc[m_pos], NameStart))
        return false;
    while (m_pos < m_doc.size() && is(m_doc[m_pos], NameChar))
        ++m_pos;
    out = m_doc.substr(start, m_pos - start);
    return true;
}

bool XmlScanner::decodeText(std::string_view raw, bool cdataEndForbidden) {
    // Most text has nothing to replace: it is handed out where it lies.
    size_t i = 0;
    for (;;) {
        while (i < raw.size() && !is(raw[i], TextStop))
            ++i;
        if (i == raw.size()) {
            m_textView = raw;
            return true;
        }
        if (raw[i] == ']') {
            if (cdataEndForbidden && raw.substr(i, 3) == "]]>")
                return false;
            ++i;
            continue;
        }
        break; // '&' or a forbidden control
    }

    m_text.assign(raw.substr(0, i));
    while (i < raw.size()) {
        const char c = raw[i];
        if (c != '&') {
            if (isForbiddenControl(c) || (cdataEndForbidden && raw.substr(i, 3) == "]]>"))
                return false;
            m_text += c;
            ++i;
            continue;
        }
        const size_t semi = raw.find(';', i);
        if (semi == std::string_view::npos || semi - i > 12)
            return false;
        const std::string_view ref = raw.substr(i + 1, semi - i - 1);
        if (ref == "amp") {
            m_text += '&';
        } else if (ref == "lt") {
            m_text += '<';
        } else if (ref == "gt") {
            m_text += '>';
        } else if (ref == "quot") {
            m_text += '"';
        } else if (ref == "apos") {
            m_text += '\'';
        } else if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x';
            const std::string_view digits = ref.substr(hex ? 2 : 1);
            if (digits.empty())
                return false;
            uint32_t cp = 0;
            for (const char d : digits) {
                int v = -1;
                if (d >= '0' && d <= '9')
                    v = d - '0';
                else if (hex && d >= 'a' && d <= 'f')
                    v = d - 'a' + 10;
                else if (hex && d >= 'A' && d <= 'F')
                    v = d - 'A' + 10;
                if (v < 0 || cp > 0x10FFFF)
                    return false;
                cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(v);
            }
            if (!validCodePoint(cp))
                return false;
            appendUtf8(m_text, cp);
        } else {
            return false;
        }
        i = semi + 1;
    }
    m_textView = m_text;
    return true;
}

XmlScanner::Token XmlScanner::startTag() {
    ++m_pos; // '<'
    std::string_view tag;
    if (!readName(tag))
        return fail("bad element name");
    for (;;) {
        while (m_pos < m_doc.size() && isSpace(m_doc[m_pos]))
            ++m_pos;
        if (m_pos >= m_doc.size())
            return fail("unfinished tag");
        const char c = m_doc[m_pos];
        if (c == '>') {
            ++m_pos;
            break;
        }
        if (c == '/') {
            if (m_pos + 1 >= m_doc.size() || m_doc[m_pos + 1] != '>')
                return fail("bad empty-element tag");
            m_pos += 2;
            m_pendingEnd = true;
            break;
        }
        std::string_view attribute;
        if (!readName(attribute))
            return fail("bad attribute");
        while (m_pos < m_doc.size() && isSpace(m_doc[m_pos]))
            ++m_pos;
        if (m_pos >= m_doc.size() || m_doc[m_pos] != '=')
            return fail("attribute without value");
        ++m_pos;
        while (m_pos < m_doc.size() && isSpace(m_doc[m_pos]))
            ++m_pos;
        if (m_pos >= m_doc.size() || (m_doc[m_pos] != '"' && m_doc[m_pos] != '\''))
            return fail("attribute value without quotes");
        const char quote = m_doc[m_pos];
        const size_t end = m_doc.find(quote, m_pos + 1);
        if (end == std::string_view::npos)
            return fail("unfinished attribute value");
        const std::string_view value = m_doc.substr(m_pos + 1, end - m_pos - 1);
        if (value.find('<') != std::string_view::npos || !decodeText(value, false))
            return fail("bad attribute value");
        m_pos = end + 1;
    }
    if (m_open.empty()) {
        if (m_rootSeen)
            return fail("second root element");
        m_rootSeen = true;
    }
    m_open.push_back(tag);
    m_name = tag;
    return Token::StartElement;
}

XmlScanner::Token XmlScanner::endTag() {
    m_pos += 2; // "</"
    std::string_view tag;
    if (!readName(tag))
        return fail("bad end tag");
    while (m_pos < m_doc.size() && isSpace(m_doc[m_pos]))
        ++m_pos;
    if (m_pos >= m_doc.size() || m_doc[m_pos] != '>')
        return fail("unfinished end tag");
    ++m_pos;
    if (m_open.empty() || m_open.back() != tag)
        return fail("end tag does not match");
    m_open.pop_back();
    m_name = tag;
    return Token::EndElement;
}

bool XmlScanner::flatElement() {
    if (m_failed || m_pendingEnd || m_open.empty())
        return false;
    size_t pos = m_pos;
    if (pos + 1 >= m_doc.size() || m_doc[pos] != '<' || !is(m_doc[pos + 1], NameStart))
        return false;
    const size_t nameStart = ++pos;
    while (pos < m_doc.size() && is(m_doc[pos], NameChar))
        ++pos;
    if (pos >= m_doc.size() || m_doc[pos] != '>')
        return false;
    const std::string_view tag = m_doc.substr(nameStart, pos - nameStart);
    const size_t textStart = pos + 1;
    const size_t lt = m_doc.find('<', textStart);
    if (lt == std::string_view::npos)
        return false;
    const std::string_view close = m_doc.substr(lt);
    if (close.size() < tag.size() + 3 || close[1] != '/' || close.substr(2, tag.size()) != tag ||
        close[2 + tag.size()] != '>') {
        return false;
    }
    m_pos = textStart;
    if (!decodeText(m_doc.substr(textStart, lt - textStart), true)) {
        fail("bad character data");
        return false;
    }
    m_pos = lt + tag.size() + 3;
    m_name = tag;
    return true;
}

XmlScanner::Token XmlScanner::next() {
    if (m_failed)
        return Token::Error;
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_name = m_open.back();
        m_open.pop_back();
        return Token::EndElement;
    }
    if (m_open.empty()) {
        // Prolog or epilogue: nothing but blanks, comments and instructions.
        if (!skipMisc())
            return fail("unfinished comment or instruction");
        if (m_pos >= m_doc.size())
            return m_rootSeen ? Token::End : fail("no root element");
        if (m_rootSeen)
            return fail("content after the root element");
        if (m_doc.substr(m_pos, 2) == "<!")
            return fail("document type declarations are not accepted");
        if (m_doc[m_pos] != '<')
            return fail("text outside the root element");
        return startTag();
    }
    // A loop, not a call per comment: thousands of comments in a row would
    // otherwise use up the stack.
    for (;;) {
        if (m_pos >= m_doc.size())
            return fail("unclosed element");
        const std::string_view rest = m_doc.substr(m_pos);
        if (rest[0] != '<') {
            const size_t lt = m_doc.find('<', m_pos);
            const size_t end = lt == std::string_view::npos ? m_doc.size() : lt;
            const std::string_view raw = m_doc.substr(m_pos, end - m_pos);
            if (!decodeText(raw, true))
                return fail("bad character data");
            m_pos = end;
            return Token::Text;
        }
        if (rest.substr(0, 2) == "</")
            return endTag();
        if (rest.substr(0, 9) == "<![CDATA[") {
            const size_t end = m_doc.find("]]>", m_pos + 9);
            if (end == std::string_view::npos)
                return fail("unfinished CDATA section");
            m_textView = m_doc.substr(m_pos + 9, end - m_pos - 9);
            // Control characters are refused here as in plain text.
            if (std::any_of(m_textView.begin(), m_textView.end(), isForbiddenControl))
                return fail("bad character data");
            m_pos = end + 3;
            return Token::Text;
        }
        if (rest.substr(0, 4) == "<!--" || rest.substr(0, 2) == "<?") {
            const bool comment = rest[1] == '!';
            const size_t end = m_doc.find(comment ? "-->" : "?>", m_pos + 2);
            if (end == std::string_view::npos)
                return fail("unfinished comment or instruction");
            m_pos = end + (comment ? 3 : 2);
            continue;
        }
        if (rest.substr(0, 2) == "<!")
            return fail("declaration inside an element");
        return startTag();
    }
}
