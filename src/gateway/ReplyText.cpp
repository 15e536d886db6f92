#include "ReplyText.h"

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
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = value[i].unicode();
        if (c < 0x80) {
            switch (c) {
            case u'&':
                out += "&amp;";
                break;
            case u'<':
                out += "&lt;";
                break;
            case u'>':
                out += "&gt;";
                break;
            default:
                out += static_cast<char>(c);
            }
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n &&
                   QChar::isLowSurrogate(value[i + 1].unicode())) {
            const char32_t cp = QChar::surrogateToUcs4(c, value[i + 1].unicode());
            ++i;
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (QChar::isSurrogate(c)) {
            out += "\xEF\xBF\xBD"; // a lone surrogate cannot be encoded
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

QString DecodeReply(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1254(bytes);
}
