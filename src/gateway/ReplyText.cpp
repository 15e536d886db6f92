#include "ReplyText.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <QStringDecoder>

#include "core/LargePages.h"
#include "core/Routines.h"
#include "textsource/CodePage.h"

QString EscapeXml(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {

// Printable ASCII that neither cleaning nor escaping changes.
constexpr auto PlainAscii = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c)
        plain[static_cast<size_t>(c)] = c != '&' && c != '<' && c != '>' && c != '~';
    return plain;
}();

// U+FFFD, in place of what an XML document cannot hold.
constexpr const char* Replacement = "\xEF\xBF\xBD";

// Characters XML 1.0 does not allow anywhere, even as references.
constexpr bool isForbiddenInXml(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
}

// `value` as UTF-8 with "&", "<" and ">" escaped, each unit first passed
// through `unit(c, keep)`, which may replace it or drop it. Written through
// a pointer into room for the worst case ("&amp;" is five bytes for one
// character), then cut to size: a basket of a million messages passes
// through here, and appending byte by byte was the largest part of filling
// it.
template <typename Unit> void appendUtf8(std::string& out, QStringView value, Unit unit) {
    const qsizetype n = value.size();
    const size_t start = out.size();
    out.resize(start + 5 * static_cast<size_t>(n));
    char* p = out.data() + start;
    const auto put = [&p](const char* text, int length) {
        std::memcpy(p, text, static_cast<size_t>(length));
        p += length;
    };
    const char16_t* const units = reinterpret_cast<const char16_t*>(value.data());
    for (qsizetype i = 0; i < n; ++i) {
        // Plain printable ASCII, most of any message, goes straight through:
        // neither cleaned nor escaped.
        while (i < n && PlainAscii[units[i] & 0xFF] && units[i] < 0x80)
            *p++ = static_cast<char>(units[i++]);
        if (i == n)
            break;
        bool keep = true;
        const char16_t c = unit(units[i], keep);
        if (!keep)
            continue;
        if (isForbiddenInXml(c)) {
            // A control character (a stray vertical tab in an exported list)
            // would make the gateway refuse the whole package as malformed.
            put(Replacement, 3);
        } else if (c < 0x80) {
            switch (c) {
            case u'&':
                put("&amp;", 5);
                break;
            case u'<':
                put("&lt;", 4);
                break;
            case u'>':
                put("&gt;", 4);
                break;
            default:
                *p++ = static_cast<char>(c);
            }
        } else if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (QChar::isSurrogate(c)) {
            // A pair is the next kept unit: a dropped line break between the
            // halves joins them.
            qsizetype j = i + 1;
            char16_t low = 0;
            for (; j < n; ++j) {
                bool kept = true;
                low = unit(units[j], kept);
                if (kept)
                    break;
            }
            if (QChar::isHighSurrogate(c) && j < n && QChar::isLowSurrogate(low)) {
                const char32_t cp = QChar::surrogateToUcs4(c, low);
                i = j;
                *p++ = static_cast<char>(0xF0 | (cp >> 18));
                *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                *p++ = static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                put(Replacement, 3); // a lone surrogate cannot be encoded
            }
        } else {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(static_cast<size_t>(p - out.data()));
}

} // namespace

void AppendEscapedUtf8(std::string& out, QStringView value) {
    appendUtf8(out, value, [](char16_t c, bool&) { return c; });
}

void AppendCleanedUtf8(std::string& out, QStringView value) {
    appendUtf8(out, value, &CleanText::Unit);
}

namespace {

// Where the piece of `bytes` starting at `at` ends: after about `size` bytes,
// never inside a UTF-8 sequence, so that each piece decodes on its own.
qsizetype pieceEnd(QByteArrayView bytes, qsizetype at, qsizetype size) {
    qsizetype end = std::min(bytes.size(), at + size);
    for (int back = 0; back < 3 && end < bytes.size() && end > at + 1 &&
                       (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80;
         ++back)
        --end;
    return end;
}

} // namespace

QString DecodeReply(const QByteArray& bytes, const std::function<void()>& between) {
    // A report of a million lines is tens of megabytes: decoded a piece at a
    // time, with a breath between pieces, the window never waits for all of
    // it at once.
    constexpr qsizetype Piece = qsizetype(1) << 18;
    if (bytes.isEmpty())
        return QString();
    QString text(bytes.size(), Qt::Uninitialized);
    AdviseLargePages(text.data(), size_t(text.size()) * sizeof(QChar));
    QChar* out = text.data();
    bool valid = true;
    for (qsizetype at = 0; at < bytes.size() && valid;) {
        if (at > 0 && between)
            between();
        const qsizetype end = pieceEnd(bytes, at, Piece);
        // A byte order mark is dropped at the start of the reply only.
        QStringDecoder utf8(QStringDecoder::Utf8,
                            at == 0 ? QStringDecoder::Flag::Stateless
                                    : QStringDecoder::Flag::Stateless |
                                          QStringDecoder::Flag::ConvertInitialBom);
        out = utf8.appendToBuffer(out, QByteArrayView(bytes).sliced(at, end - at));
        valid = !utf8.hasError();
        at = end;
    }
    if (valid) {
        text.truncate(out - text.constData());
        return text;
    }
    text = QString();
    text.reserve(bytes.size());
    AdviseLargePages(text.data(), size_t(text.capacity()) * sizeof(QChar));
    for (qsizetype at = 0; at < bytes.size(); at += Piece) {
        if (at > 0 && between)
            between();
        AppendWindows1254(text,
                          QByteArrayView(bytes).sliced(at, std::min(Piece, bytes.size() - at)));
    }
    return text;
}
