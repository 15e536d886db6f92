#include "ReplyText.h"

#include <cstring>

#include <QStringDecoder>

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

void AppendEscapedUtf8(std::string& out, QStringView value) {
    // Written through a pointer into room for the worst case ("&amp;" is five
    // bytes for one character), then cut to size: a basket of a million
    // messages passes through here, and appending byte by byte was the
    // largest part of filling it.
    const qsizetype n = value.size();
    const size_t start = out.size();
    out.resize(start + 5 * static_cast<size_t>(n));
    char* p = out.data() + start;
    const auto put = [&p](const char* text, int length) {
        std::memcpy(p, text, static_cast<size_t>(length));
        p += length;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = value[i].unicode();
        if (c < 0x80) {
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
        } else if (QChar::isHighSurrogate(c) && i + 1 < n &&
                   QChar::isLowSurrogate(value[i + 1].unicode())) {
            const char32_t cp = QChar::surrogateToUcs4(c, value[i + 1].unicode());
            ++i;
            *p++ = static_cast<char>(0xF0 | (cp >> 18));
            *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (cp & 0x3F));
        } else if (QChar::isSurrogate(c)) {
            put("\xEF\xBF\xBD", 3); // a lone surrogate cannot be encoded
        } else {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(static_cast<size_t>(p - out.data()));
}

QString DecodeReply(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1254(bytes);
}
