#include "Utf8XmlPart.h"

#include <algorithm>
#include <cstring>

namespace {

// A text longer than this comes in pieces; a tag, comment or CDATA section
// longer than MaxMarkup is no workbook's.
constexpr qsizetype MaxPiece = 64 * 1024;
constexpr qsizetype MaxMarkup = 1024 * 1024;
constexpr qsizetype MaxReference = 32;
constexpr size_t MaxAttributes = 256;

enum : quint8 { NameStart = 1, NameChar = 2, Space = 4, Reference = 8, LineOrTab = 16, Less = 32 };

// Which bytes may start a name, go on with one, or are blanks. Any byte of a
// multi-byte character counts as a letter: checking Unicode's letter classes
// would guard against no harm here.
struct ByteClasses {
    quint8 of[256] = {};
    constexpr ByteClasses() {
        for (int c = 0; c < 256; ++c) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
                c >= 0x80)
                of[c] = NameStart | NameChar;
            else if ((c >= '0' && c <= '9') || c == '-' || c == '.')
                of[c] = NameChar;
        }
        of[int(' ')] = Space;
        of[int('\t')] = of[int('\n')] = of[int('\r')] = Space | LineOrTab;
        of[int('&')] = Reference;
        of[int('<')] = Less;
    }
};
constexpr ByteClasses Classes;

bool is(char c, quint8 kind) {
    return Classes.of[uchar(c)] & kind;
}

bool same(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), size_t(a.size())) == 0;
}

void appendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool isXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The character a reference such as "amp", "#233" or "#xE9" stands for; 0
// when it stands for none.
char32_t referenced(QByteArrayView name) {
    if (name.startsWith('#')) {
        const bool hex = name.size() > 1 && name[1] == 'x';
        const QByteArrayView digits = name.sliced(hex ? 2 : 1);
        char32_t value = 0;
        for (const char c : digits) {
            const int digit = c >= '0' && c <= '9'          ? c - '0'
                              : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                            : -1;
            if (digit < 0 || value > 0x10FFFF)
                return 0;
            value = value * (hex ? 16 : 10) + char32_t(digit);
        }
        return !digits.isEmpty() && isXmlCharacter(value) ? value : 0;
    }
    static const std::pair<QByteArrayView, char32_t> Predefined[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
    for (const auto& [entity, c] : Predefined) {
        if (same(name, entity))
            return c;
    }
    return 0;
}

// The name without its prefix; empty for a broken one ("a:").
QByteArrayView localName(QByteArrayView name) {
    const qsizetype colon = name.lastIndexOf(':');
    return colon < 0 ? name : name.sliced(colon + 1);
}

} // namespace

bool Utf8XmlPart::open(ZipArchive& archive, const QString& name) {
    if (m_input.open(archive, name))
        return true;
    m_error = m_input.errorString();
    return false;
}

Utf8XmlPart::Token Utf8XmlPart::fail(const QString& reason, qsizetype at) {
    if (m_error.isEmpty())
        m_error = m_input.broken(at, reason);
    return Token::Invalid;
}

QByteArrayView Utf8XmlPart::attribute(QByteArrayView local) const {
    for (const Attribute& attribute : m_attributes) {
        if (!attribute.namespaceDeclaration &&
            same(view(attribute.local, attribute.localSize), local))
            return attribute.decoded
                       ? QByteArrayView(m_decoded).sliced(attribute.value, attribute.valueSize)
                       : view(attribute.value, attribute.valueSize);
    }
    return {};
}

bool Utf8XmlPart::skipElement() {
    for (int depth = 1; depth > 0;) {
        switch (next()) {
        case Token::StartElement:
            ++depth;
            break;
        case Token::EndElement:
            --depth;
            break;
        case Token::Invalid:
        case Token::EndDocument:
            return false;
        case Token::Text:
            break;
        }
    }
    return true;
}

Utf8XmlPart::Token Utf8XmlPart::next() {
    if (!m_error.isEmpty() || !m_input.isOpen())
        return Token::Invalid;
    if (m_emptyElement) { // <a/>: the end of what just started, its name as it was
        m_emptyElement = false;
        return Token::EndElement;
    }
    for (;;) {
        Token token = Token::Invalid;
        Scan scan = Scan::More;
        if (m_pos < m_input.size())
            scan = m_input.data()[m_pos] == '<' ? scanMarkup(token) : scanText(token);
        switch (scan) {
        case Scan::Done:
            m_begun = true;
            return token;
        case Scan::Skipped:
            m_begun = true;
            continue;
        case Scan::Bad:
            return Token::Invalid;
        case Scan::More:
            break;
        }
        if (m_input.atEnd()) {
            if (m_pos < m_input.size() || !m_openAt.empty() || !m_rootSeen)
                return fail(QStringLiteral("belge yarıda bitiyor"));
            return Token::EndDocument;
        }
        if (m_input.size() - m_pos > MaxMarkup)
            return fail(QStringLiteral("bir etiket %1 bayttan uzun").arg(MaxMarkup));
        // What is read goes; the token begun moves to the front.
        if (!m_input.refill(m_pos)) {
            m_error = m_input.errorString();
            return Token::Invalid;
        }
        m_pos = 0;
    }
}

Utf8XmlPart::Scan Utf8XmlPart::scanText(Token& token) {
    const char* data = m_input.data();
    const auto* less =
        static_cast<const char*>(std::memchr(data + m_pos, '<', size_t(m_input.size() - m_pos)));
    qsizetype end = less ? less - data : m_input.size();
    if (m_openAt.empty()) { // outside the root only blanks
        for (qsizetype i = m_pos; i < end; ++i) {
            if (!is(data[i], Space))
                return broken(QStringLiteral("kök öğenin dışında metin var"), i);
        }
        m_pos = end;
        return Scan::Skipped;
    }
    if (!less && !m_input.atEnd()) {
        // The rest of the text is still to come: wait for it, unless this
        // piece is already long; then keep a reference or a CR LF whole.
        if (end - m_pos < MaxPiece)
            return Scan::More;
        const QByteArrayView tail(data + end - MaxReference, MaxReference);
        const qsizetype amp = tail.lastIndexOf('&');
        if (amp >= 0 && tail.indexOf(';', amp) < 0)
            end -= MaxReference - amp;
        if (data[end - 1] == '\r')
            --end;
    }
    const QByteArrayView raw(data + m_pos, end - m_pos);
    if (raw.contains('&') || raw.contains('\r')) {
        m_decoded.resize(0);
        if (!resolve(raw, m_decoded, false))
            return Scan::Bad;
        m_text = m_decoded;
    } else {
        m_text = raw;
    }
    m_pos = end;
    token = Token::Text;
    return Scan::Done;
}

bool Utf8XmlPart::resolve(QByteArrayView raw, QByteArray& out, bool attribute) {
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '&') {
            const qsizetype semicolon = raw.indexOf(';', i + 1);
            const QByteArrayView name =
                semicolon < 0 ? QByteArrayView() : raw.sliced(i + 1, semicolon - i - 1);
            const char32_t character = name.size() < MaxReference ? referenced(name) : 0;
            if (character == 0) {
                fail(QStringLiteral("tanımsız ya da bozuk bir başvuru (&%1;)")
                         .arg(QString::fromUtf8(name.first(std::min<qsizetype>(name.size(), 20)))));
                return false;
            }
            appendUtf8(out, character);
            i = semicolon;
        } else if (c == '\r') { // a line ends in LF alone, CR LF as well
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
            out += attribute ? ' ' : '\n';
        } else if (attribute && (c == '\n' || c == '\t')) {
            out += ' '; // an attribute's blanks are spaces
        } else {
            out += c;
        }
    }
    return true;
}

qsizetype Utf8XmlPart::find(qsizetype from, QByteArrayView end) const {
    const qsizetype at = view(from, m_input.size() - from).indexOf(end);
    return at < 0 ? -1 : from + at;
}

Utf8XmlPart::Scan Utf8XmlPart::scanMarkup(Token& token) {
    const qsizetype available = m_input.size() - m_pos;
    if (available < 2)
        return Scan::More;
    const char kind = m_input.data()[m_pos + 1];
    if (kind == '/')
        return scanEndTag(token);
    if (kind == '?') { // a processing instruction: nothing a sheet needs
        const qsizetype end = find(m_pos + 2, "?>");
        if (end < 0)
            return Scan::More;
        qsizetype target = m_pos + 2;
        while (target < end && !is(m_input.data()[target], Space))
            ++target;
        if (m_begun && view(m_pos + 2, target - m_pos - 2).compare("xml", Qt::CaseInsensitive) == 0)
            return broken(QStringLiteral("XML bildirimi belgenin başında değil"), m_pos);
        m_pos = end + 2;
        return Scan::Skipped;
    }
    if (kind != '!')
        return scanStartTag(token);
    if (available < 9 && !m_input.atEnd())
        return Scan::More;
    const QByteArrayView markup = view(m_pos, available);
    if (markup.startsWith("<!--")) {
        const qsizetype end = find(m_pos + 4, "-->");
        if (end < 0)
            return Scan::More;
        m_pos = end + 3;
        return Scan::Skipped;
    }
    if (markup.startsWith("<![CDATA[") && !m_openAt.empty()) {
        const qsizetype end = find(m_pos + 9, "]]>");
        if (end < 0)
            return Scan::More;
        const QByteArrayView raw = view(m_pos + 9, end - m_pos - 9);
        m_text = raw;
        if (raw.contains('\r')) { // only the line ends: a reference is text here
            m_decoded = raw.toByteArray().replace("\r\n", "\n").replace('\r', '\n');
            m_text = m_decoded;
        }
        m_pos = end + 3;
        token = Token::Text;
        return Scan::Done;
    }
    if (markup.startsWith("<!DOCTYPE")) {
        m_error =
            QStringLiteral("%1: çalışma kitabının %2 bölümünde DTD var; güvenlik için okunmaz")
                .arg(m_input.path(), m_input.name());
        return Scan::Bad;
    }
    return broken(QStringLiteral("bozuk bir işaretleme"), m_pos);
}

Utf8XmlPart::Scan Utf8XmlPart::scanStartTag(Token& token) {
    const char* data = m_input.data();
    const qsizetype name = m_pos + 1;
    if (!is(data[name], NameStart))
        return broken(QStringLiteral("bozuk bir etiket"), m_pos);
    qsizetype p = name;
    while (p < m_input.size() && is(data[p], NameChar))
        ++p;
    const QByteArrayView qualified = view(name, p - name);
    m_attributes.clear();
    m_decoded.resize(0);
    bool empty = false;
    for (;;) {
        const qsizetype before = p;
        while (p < m_input.size() && is(data[p], Space))
            ++p;
        if (p == m_input.size())
            return Scan::More;
        if (data[p] == '>') {
            ++p;
            break;
        }
        if (data[p] == '/') {
            if (p + 1 == m_input.size())
                return Scan::More;
            if (data[p + 1] != '>')
                return broken(QStringLiteral("bozuk bir etiket"), p);
            p += 2;
            empty = true;
            break;
        }
        if (p == before) // an attribute follows a blank
            return broken(QStringLiteral("bozuk bir etiket"), p);
        const Scan scan = scanAttribute(p);
        if (scan != Scan::Done)
            return scan;
    }
    if (m_openAt.empty() && m_rootSeen)
        return broken(QStringLiteral("kök öğeden sonra bir öğe daha var"), m_pos);
    m_name = localName(qualified);
    if (m_name.isEmpty())
        return broken(QStringLiteral("bozuk bir ad"), m_pos);
    m_rootSeen = true;
    m_emptyElement = empty;
    if (!empty) {
        m_openAt.push_back(m_open.size());
        m_open += qualified;
    }
    m_pos = p;
    token = Token::StartElement;
    return Scan::Done;
}

Utf8XmlPart::Scan Utf8XmlPart::scanAttribute(qsizetype& p) {
    const char* data = m_input.data();
    const qsizetype name = p;
    while (p < m_input.size() && is(data[p], NameChar))
        ++p;
    const qsizetype nameEnd = p;
    while (p < m_input.size() && is(data[p], Space))
        ++p;
    if (p + 1 >= m_input.size())
        return Scan::More;
    if (!is(data[name], NameStart) || data[p] != '=')
        return broken(QStringLiteral("bozuk bir öznitelik"), p);
    ++p;
    while (p < m_input.size() && is(data[p], Space))
        ++p;
    if (p == m_input.size())
        return Scan::More;
    const char quote = data[p];
    const auto* close = quote == '"' || quote == '\''
                            ? static_cast<const char*>(
                                  std::memchr(data + p + 1, quote, size_t(m_input.size() - p - 1)))
                            : nullptr;
    if (!close) {
        if (quote == '"' || quote == '\'')
            return Scan::More;
        return broken(QStringLiteral("bozuk bir öznitelik"), p);
    }
    const QByteArrayView qualified = view(name, nameEnd - name);
    const QByteArrayView local = localName(qualified);
    const QByteArrayView raw(data + p + 1, close - data - p - 1);
    quint8 seen = 0;
    for (const char c : raw)
        seen |= Classes.of[uchar(c)];
    if ((seen & Less) || local.isEmpty() || m_attributes.size() >= MaxAttributes)
        return broken(QStringLiteral("bozuk bir öznitelik"), p);
    for (const Attribute& other : m_attributes) {
        if (same(view(other.name, other.nameSize), qualified))
            return broken(QStringLiteral("bir öznitelik iki kez var"), name);
    }
    Attribute attribute{name,
                        qualified.size(),
                        local.data() - data,
                        local.size(),
                        false,
                        p + 1,
                        raw.size(),
                        qualified == "xmlns" || qualified.startsWith("xmlns:")};
    if (seen & (Reference | LineOrTab)) {
        attribute.decoded = true;
        attribute.value = m_decoded.size();
        if (!resolve(raw, m_decoded, true))
            return Scan::Bad;
        attribute.valueSize = m_decoded.size() - attribute.value;
    }
    m_attributes.push_back(attribute);
    p = close - data + 1;
    return Scan::Done;
}

Utf8XmlPart::Scan Utf8XmlPart::scanEndTag(Token& token) {
    const char* data = m_input.data();
    const qsizetype name = m_pos + 2;
    const auto* greater =
        static_cast<const char*>(std::memchr(data + name, '>', size_t(m_input.size() - name)));
    if (!greater)
        return Scan::More;
    qsizetype nameEnd = greater - data;
    while (nameEnd > name && is(data[nameEnd - 1], Space))
        --nameEnd;
    const QByteArrayView qualified = view(name, nameEnd - name);
    if (m_openAt.empty() || !same(QByteArrayView(m_open).sliced(m_openAt.back()), qualified))
        return broken(QStringLiteral("açılış ve kapanış etiketleri eşleşmiyor"), m_pos);
    m_open.truncate(m_openAt.back());
    m_openAt.pop_back();
    m_name = localName(qualified);
    m_pos = greater - data + 1;
    token = Token::EndElement;
    return Scan::Done;
}
