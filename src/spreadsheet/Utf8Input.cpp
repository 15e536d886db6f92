#include "Utf8Input.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype Chunk = 128 * 1024;

// Line ends are rare in a sheet: memchr passes over the rest at full speed.
qint64 lineEnds(const char* data, qsizetype size) {
    qint64 count = 0;
    for (const char* end = data + size;
         (data = static_cast<const char*>(std::memchr(data, '\n', size_t(end - data)))); ++data)
        ++count;
    return count;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The length of the stretch at the start of `data` that is whole, valid
// UTF-8 of characters XML allows; `bad` when it ends at a fault rather than
// at a character cut off at the end of `data`.
qsizetype checkedLength(const char* data, qsizetype size, bool& bad) {
    const auto* p = reinterpret_cast<const uchar*>(data);
    bad = false;
    qsizetype i = 0;
    while (i < size) {
        // Eight plain ASCII bytes at a time, none of them a control character.
        if (i + 8 <= size) {
            quint64 word;
            std::memcpy(&word, p + i, 8);
            const quint64 high = 0x8080808080808080ULL;
            if ((word & high) == 0 && ((word - 0x2020202020202020ULL) & ~word & high) == 0) {
                i += 8;
                continue;
            }
        }
        const uchar c = p[i];
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                return bad = true, i;
            ++i;
            continue;
        }
        int length = 0;
        uchar low = 0x80, high = 0xBF; // the second byte's range: no overlong forms,
        if (c >= 0xC2 && c <= 0xDF) {  // no surrogates, nothing past U+10FFFF
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return bad = true, i;
        }
        if (i + length > size)
            return i;
        if (p[i + 1] < low || p[i + 1] > high)
            return bad = true, i;
        for (int k = 2; k < length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return bad = true, i;
        }
        if (c == 0xEF && p[i + 1] == 0xBF && p[i + 2] >= 0xBE) // U+FFFE, U+FFFF
            return bad = true, i;
        i += length;
    }
    return i;
}

} // namespace

bool Utf8Input::open(ZipArchive& archive, const QString& name) {
    if (m_part.open(archive, name))
        return true;
    m_error = m_part.errorString();
    return false;
}

QString Utf8Input::broken(qsizetype at, const QString& reason) const {
    const qint64 line = 1 + m_linesBefore + lineEnds(m_buffer.constData(), at);
    return QStringLiteral("%1: çalışma kitabının %2 bölümü bozuk (satır %3: %4)")
        .arg(path(), name())
        .arg(line)
        .arg(reason);
}

bool Utf8Input::refill(qsizetype keep) {
    if (!m_error.isEmpty())
        return false;
    if (keep > 0) {
        m_linesBefore += lineEnds(m_buffer.constData(), keep);
        std::memmove(m_buffer.data(), m_buffer.constData() + keep, size_t(m_filled - keep));
        m_filled -= keep;
        m_checked -= keep;
    }
    if (m_buffer.size() < m_filled + Chunk)
        m_buffer.resize(m_filled + Chunk);
    const qint64 read = m_part.read(m_buffer.data() + m_filled, Chunk);
    if (read < 0) {
        m_error = m_part.errorString();
        return false;
    }
    m_atEnd = read == 0;
    const QByteArrayView bytes(m_buffer.constData() + m_filled, read);
    if (!m_started) {
        m_started = true;
        if (!startEncoding(bytes))
            return false;
    } else if (m_decoder) {
        if (!decode(bytes))
            return false;
    } else {
        m_filled += read;
    }
    bool bad = false;
    m_checked += checkedLength(m_buffer.constData() + m_checked, m_filled - m_checked, bad);
    if (bad || (m_atEnd && m_checked < m_filled)) {
        m_error = broken(m_checked, QStringLiteral("geçersiz karakter ya da UTF-8 dışı bayt"));
        return false;
    }
    return true;
}

bool Utf8Input::startEncoding(QByteArrayView start) {
    const auto starts = [&](const char* bytes, qsizetype size) {
        return start.startsWith(QByteArrayView(bytes, size));
    };
    std::unique_ptr<QStringDecoder> decoder;
    if (starts("\xEF\xBB\xBF", 3)) { // a byte order mark, UTF-8's own
        std::memmove(m_buffer.data() + m_filled, start.data() + 3, size_t(start.size() - 3));
        m_filled += start.size() - 3;
        return true;
    }
    if (starts("\x00\x00\xFE\xFF", 4) || starts("\x00\x00\x00<", 4))
        decoder = std::make_unique<QStringDecoder>(QStringConverter::Utf32BE);
    else if (starts("\xFF\xFE\x00\x00", 4) || starts("<\x00\x00\x00", 4))
        decoder = std::make_unique<QStringDecoder>(QStringConverter::Utf32LE);
    else if (starts("\xFE\xFF", 2) || starts("\x00<", 2))
        decoder = std::make_unique<QStringDecoder>(QStringConverter::Utf16BE);
    else if (starts("\xFF\xFE", 2) || starts("<\x00", 2))
        decoder = std::make_unique<QStringDecoder>(QStringConverter::Utf16LE);
    else if (start.startsWith("<?xml")) {
        // encoding="..." in the declaration, when it names another than UTF-8
        const qsizetype end = start.indexOf("?>");
        const QByteArrayView declaration = start.first(end < 0 ? start.size() : end);
        qsizetype at = declaration.indexOf("encoding");
        if (at >= 0) {
            at = declaration.indexOf('=', at);
            while (at >= 0 && ++at < declaration.size() && isBlank(declaration[at])) {
            }
            if (at >= 0 && at < declaration.size() &&
                (declaration[at] == '"' || declaration[at] == '\'')) {
                const qsizetype close = declaration.indexOf(declaration[at], at + 1);
                const QByteArray name =
                    declaration.sliced(at + 1, (close < 0 ? declaration.size() : close) - at - 1)
                        .toByteArray();
                if (name.compare("UTF-8", Qt::CaseInsensitive) != 0 &&
                    name.compare("UTF8", Qt::CaseInsensitive) != 0) {
                    decoder = std::make_unique<QStringDecoder>(name.constData());
                    if (!decoder->isValid()) {
                        m_error = broken(0, QStringLiteral("desteklenmeyen karakter kodlaması %1")
                                                .arg(QString::fromUtf8(name)));
                        return false;
                    }
                }
            }
        }
    }
    if (!decoder) {
        m_filled += start.size();
        return true;
    }
    m_decoder = std::move(decoder);
    return decode(start);
}

bool Utf8Input::decode(QByteArrayView bytes) {
    const QByteArray utf8 = m_decoder->decode(bytes).operator QString().toUtf8();
    if (m_decoder->hasError()) {
        m_error = broken(m_filled, QStringLiteral("karakter kodlaması bozuk"));
        return false;
    }
    if (m_buffer.size() < m_filled + utf8.size())
        m_buffer.resize(m_filled + utf8.size());
    std::memcpy(m_buffer.data() + m_filled, utf8.constData(), size_t(utf8.size()));
    m_filled += utf8.size();
    return true;
}
