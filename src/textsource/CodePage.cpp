#include "CodePage.h"

#include <array>
#include <cstring>

#include <QStringEncoder>

namespace {

// Windows-1254 bytes 0x80..0xFF; the undefined ones keep their own value.
constexpr std::array<char16_t, 128> kHighHalf = [] {
    std::array<char16_t, 128> table{};
    for (int i = 0; i < 128; ++i)
        table[static_cast<size_t>(i)] = static_cast<char16_t>(0x80 + i);
    const std::pair<int, char16_t> differences[] = {
        {0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E}, {0x85, 0x2026},
        {0x86, 0x2020}, {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160},
        {0x8B, 0x2039}, {0x8C, 0x0152}, {0x91, 0x2018}, {0x92, 0x2019}, {0x93, 0x201C},
        {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013}, {0x97, 0x2014}, {0x98, 0x02DC},
        {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A}, {0x9C, 0x0153}, {0x9F, 0x0178},
        {0xD0, 0x011E}, {0xDD, 0x0130}, {0xDE, 0x015E}, {0xF0, 0x011F}, {0xFD, 0x0131},
        {0xFE, 0x015F},
    };
    for (const auto& [byte, code] : differences)
        table[static_cast<size_t>(byte - 0x80)] = code;
    return table;
}();

// The bytes of the characters up to U+017F (Latin-1 and the Turkish
// letters of Latin Extended-A), 0 for those Windows-1254 lacks.
constexpr std::array<unsigned char, 0x180> kLowBytes = [] {
    std::array<unsigned char, 0x180> table{};
    for (size_t i = 0; i < 0x80; ++i)
        table[i] = static_cast<unsigned char>(i);
    for (size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] < table.size())
            table[kHighHalf[i]] = static_cast<unsigned char>(0x80 + i);
    }
    return table;
}();

char encodeWindows1254(char16_t c) {
    // Turkish text is mostly these; the rest are few enough to look up.
    if (c < kLowBytes.size())
        return c == 0 || kLowBytes[c] != 0 ? static_cast<char>(kLowBytes[c]) : '?';
    for (size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Length of the UTF-8 sequence at p: the length when it is valid and
// complete, 0 when it is valid so far but cut off, -1 when it is invalid.
int sequenceLength(const unsigned char* p, qsizetype available) {
    const unsigned char lead = p[0];
    int need = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead < 0xC2)
        return -1;
    if (lead < 0xE0) {
        need = 2;
    } else if (lead < 0xF0) {
        need = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        else if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead < 0xF5) {
        need = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong
        else if (lead == 0xF4)
            high = 0x8F; // beyond U+10FFFF
    } else {
        return -1;
    }
    for (int i = 1; i < need; ++i) {
        if (i >= available)
            return 0;
        const unsigned char c = p[i];
        const unsigned char min = i == 1 ? low : 0x80;
        const unsigned char max = i == 1 ? high : 0xBF;
        if (c < min || c > max)
            return -1;
    }
    return need;
}

bool isAsciiWord(const unsigned char* p) {
    quint64 word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

// The same for eight characters.
bool isAsciiText(const char16_t* p) {
    quint64 words[2];
    std::memcpy(words, p, sizeof words);
    return ((words[0] | words[1]) & 0xFF80FF80FF80FF80ULL) == 0;
}

} // namespace

QString EncodingName(TextEncoding encoding) {
    return encoding == TextEncoding::Windows1254 ? QStringLiteral("windows-1254")
                                                 : QStringLiteral("utf-8");
}

void AppendWindows1254(QString& out, QByteArrayView bytes) {
    static constexpr std::array<char16_t, 256> kTable = [] {
        std::array<char16_t, 256> table{};
        for (size_t i = 0; i < 128; ++i)
            table[i] = static_cast<char16_t>(i);
        for (size_t i = 0; i < 128; ++i)
            table[128 + i] = kHighHalf[i];
        return table;
    }();
    const qsizetype start = out.size();
    out.resize(start + bytes.size());
    char16_t* dst = reinterpret_cast<char16_t*>(out.data()) + start;
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    // Data files are mostly ASCII: widen eight bytes at a time.
    while (i + 8 <= n) {
        if (isAsciiWord(src + i)) {
            for (int k = 0; k < 8; ++k)
                dst[i + k] = src[i + k];
            i += 8;
            continue;
        }
        for (int k = 0; k < 8; ++k)
            dst[i + k] = kTable[src[i + k]];
        i += 8;
    }
    for (; i < n; ++i)
        dst[i] = kTable[src[i]];
}

QString DecodeWindows1254(QByteArrayView bytes) {
    QString out;
    AppendWindows1254(out, bytes);
    return out;
}

QByteArray EncodeText(QStringView text, TextEncoding encoding) {
    QByteArray out;
    AppendEncoded(out, text, encoding);
    return out;
}

void AppendEncoded(QByteArray& out, QStringView text, TextEncoding encoding) {
    if (encoding != TextEncoding::Windows1254) {
        // Straight into the buffer: a reject file gets a line a row.
        QStringEncoder utf8(QStringConverter::Utf8);
        const qsizetype start = out.size();
        out.resize(start + utf8.requiredSpace(text.size()));
        char* end = utf8.appendToBuffer(out.data() + start, text);
        out.truncate(end - out.constData());
        return;
    }
    const qsizetype start = out.size();
    out.resize(start + text.size()); // a byte a character at most
    char* at = out.data() + start;
    const char16_t* from = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        // Lines are mostly ASCII: narrow eight characters at a time.
        if (i + 8 <= n && isAsciiText(from + i)) {
            for (int k = 0; k < 8; ++k)
                *at++ = static_cast<char>(from[i + k]);
            i += 8;
            continue;
        }
        const char16_t c = from[i++];
        // A character outside the basic plane is one '?', not two.
        if (QChar::isHighSurrogate(c) && i < n && QChar::isLowSurrogate(from[i]))
            ++i;
        *at++ = encodeWindows1254(c);
    }
    out.truncate(at - out.constData());
}

QByteArray ByteOrderMark(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8WithBom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
}

void EncodingDetector::feed(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype n = bytes.size();
    // The first three bytes of the file decide on a byte order mark.
    while (m_seen < 3 && n > 0) {
        m_head[m_seen++] = *p;
        if (m_seen == 3 && m_head[0] == 0xEF && m_head[1] == 0xBB && m_head[2] == 0xBF)
            m_bom = true;
        check(p, 1);
        ++p;
        --n;
    }
    check(p, n);
}

void EncodingDetector::check(const unsigned char* p, qsizetype n) {
    if (decided())
        return;
    qsizetype pos = 0;
    // Finish a sequence cut off by the previous piece, one byte at a time.
    while (m_carryLength > 0 && pos < n) {
        m_carry[m_carryLength++] = p[pos++];
        const int length = sequenceLength(m_carry, m_carryLength);
        if (length < 0) {
            m_invalid = true;
            return;
        }
        if (length > 0) {
            m_multiByte = true;
            m_carryLength = 0;
        }
    }
    while (pos < n) {
        if (pos + 8 <= n && isAsciiWord(p + pos)) {
            pos += 8;
            continue;
        }
        if (p[pos] < 0x80) {
            ++pos;
            continue;
        }
        const int length = sequenceLength(p + pos, n - pos);
        if (length < 0) {
            m_invalid = true;
            return;
        }
        if (length == 0) {
            m_carryLength = static_cast<int>(n - pos);
            std::memcpy(m_carry, p + pos, static_cast<size_t>(m_carryLength));
            return;
        }
        m_multiByte = true;
        pos += length;
    }
}

TextEncoding EncodingDetector::result() const {
    if (m_bom)
        return TextEncoding::Utf8WithBom;
    // A sequence still cut off at the end of the file is not UTF-8.
    if (m_invalid || m_carryLength > 0 || !m_multiByte)
        return TextEncoding::Windows1254;
    return TextEncoding::Utf8;
}

TextEncoding DetectEncoding(QByteArrayView bytes) {
    EncodingDetector detector;
    detector.feed(bytes);
    return detector.result();
}

bool FitsWindows1254(QStringView text) {
    for (const QChar c : text) {
        if (encodeWindows1254(c.unicode()) == '?' && c != QLatin1Char('?'))
            return false;
    }
    return true;
}
