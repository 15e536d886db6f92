#include "RecordStream.h"

#include <filesystem>

namespace {

constexpr qint64 kChunkBytes = 256 * 1024;

constexpr char16_t kQuote = u'"';
constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

bool isLineBreak(char16_t c) {
    return c == kCr || c == kLf;
}

} // namespace

QString DataFileProblem(const QString& path) {
    // Only regular files: a directory cannot be read and a named pipe would
    // block for ever.
    std::error_code ec;
    const auto status = std::filesystem::status(std::filesystem::path(path.toStdU16String()), ec);
    if (ec || !std::filesystem::exists(status))
        return QStringLiteral("%1 dosyası bulunamadı").arg(path);
    if (std::filesystem::is_directory(status))
        return QStringLiteral("%1 bir klasör, dosya değil").arg(path);
    if (!std::filesystem::is_regular_file(status))
        return QStringLiteral("%1 sıradan bir dosya değil").arg(path);
    return QString();
}

bool RecordStream::fail(const QString& message) {
    m_error = message;
    m_file.close();
    return false;
}

bool RecordStream::open(const QString& path, const QString& separator) {
    close();
    m_path = path;
    m_separator = separator;
    m_separatorFirst = separator.isEmpty() ? 0 : separator.front().unicode();
    m_quoting = !separator.contains(QLatin1Char('"'));

    if (const QString problem = DataFileProblem(path); !problem.isEmpty())
        return fail(problem);

    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 açılamadı: %2").arg(path, m_file.errorString()));
    if (!detectEncoding())
        return false;
    // The UTF-8 decoder drops a leading byte order mark itself.
    m_utf8 = QStringDecoder(QStringDecoder::Utf8);
    return true;
}

void RecordStream::close() {
    m_file.close();
    m_text.clear();
    m_pos = 0;
    m_atEnd = false;
    m_lines = 0;
    m_afterCr = false;
    m_recordLine = 0;
    m_error.clear();
    m_encoding = TextEncoding::Windows1254;
}

bool RecordStream::detectEncoding() {
    EncodingDetector detector;
    QByteArray chunk(kChunkBytes * 4, Qt::Uninitialized);
    while (!detector.decided()) {
        const qint64 n = m_file.read(chunk.data(), chunk.size());
        if (n < 0)
            return fail(QStringLiteral("%1 okunamadı: %2").arg(m_path, m_file.errorString()));
        if (n == 0)
            break;
        detector.feed(QByteArrayView(chunk.constData(), n));
    }
    m_encoding = detector.result();
    if (!m_file.seek(0))
        return fail(QStringLiteral("%1 okunamadı: %2").arg(m_path, m_file.errorString()));
    return true;
}

bool RecordStream::refill() {
    if (m_pos > 0) {
        m_text.remove(0, m_pos);
        m_pos = 0;
    }
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    const qint64 n = m_file.read(chunk.data(), chunk.size());
    if (n < 0)
        return fail(QStringLiteral("%1 okunamadı: %2").arg(m_path, m_file.errorString()));
    if (n == 0) {
        m_atEnd = true;
        return true;
    }
    const QByteArrayView bytes(chunk.constData(), n);
    if (m_encoding == TextEncoding::Windows1254) {
        AppendWindows1254(m_text, bytes);
    } else {
        const qsizetype start = m_text.size();
        m_text.resize(start + m_utf8.requiredSpace(n));
        QChar* end = m_utf8.appendToBuffer(m_text.data() + start, bytes);
        m_text.resize(end - m_text.constData());
    }
    return true;
}

RecordStream::Status RecordStream::next(std::vector<QStringView>& fields) {
    if (!m_error.isEmpty())
        return Status::Error;
    if (!m_file.isOpen())
        return Status::End;
    for (;;) {
        switch (split(fields)) {
        case Split::Record:
            return Status::Record;
        case Split::End:
            m_file.close();
            return Status::End;
        case Split::Error:
            return Status::Error;
        case Split::NeedMore:
            if (m_text.size() - m_pos > MaxRecordLength) {
                fail(QStringLiteral("%1: %2. satır %3 karakterden uzun")
                         .arg(m_path)
                         .arg(m_recordLine)
                         .arg(MaxRecordLength));
                return Status::Error;
            }
            if (!refill())
                return Status::Error;
            break;
        }
    }
}

RecordStream::Split RecordStream::notText() {
    fail(QStringLiteral("%1 bir metin dosyası değil (0 baytı içeriyor)").arg(m_path));
    return Split::Error;
}

RecordStream::Split RecordStream::unclosedQuote() {
    fail(QStringLiteral("%1: %2. satırda kapanmayan tırnak").arg(m_path).arg(m_recordLine));
    return Split::Error;
}

bool RecordStream::separatorAt(const QChar* p, const QChar* end, bool& needMore) const {
    const qsizetype length = m_separator.size();
    if (length == 1)
        return true; // the caller matched the first character
    if (end - p < length) {
        // Part of a separator at the end of what has been read.
        needMore = !m_atEnd;
        return false;
    }
    return QStringView(p, length) == m_separator;
}

// Splits the record at m_pos, or tells why it cannot yet. Restarts from the
// record's beginning after a refill; records are short, so that costs
// little.
RecordStream::Split RecordStream::split(std::vector<QStringView>& fields) {
    const QChar* const begin = m_text.constData() + m_pos;
    const QChar* const end = m_text.constData() + m_text.size();
    const QChar* p = begin;

    // Empty lines are no records, but they count as lines.
    qint64 lines = m_lines;
    bool afterCr = m_afterCr;
    while (p < end && isLineBreak(p->unicode())) {
        if (!(afterCr && p->unicode() == kLf))
            ++lines;
        afterCr = p->unicode() == kCr;
        ++p;
    }
    if (p == end) {
        m_pos += p - begin;
        m_lines = lines;
        m_afterCr = afterCr;
        return m_atEnd ? Split::End : Split::NeedMore;
    }
    m_recordLine = lines + 1;

    const QChar* const recordStart = p;
    fields.clear();
    m_unquoted.clear();
    const bool hasSeparator = !m_separator.isEmpty();
    for (;;) {
        if (p == end) {
            // The record ended with a separator at the end of the file.
            if (!m_atEnd)
                return Split::NeedMore;
            fields.emplace_back();
            break;
        }
        // A quoted field is a view of the buffer unless it held doubled
        // quotes or text after its closing quote.
        const QChar* fieldStart = p;
        QString rewritten;
        bool quoted = false;
        if (m_quoting && p->unicode() == kQuote) {
            quoted = true;
            fieldStart = ++p;
            for (;;) {
                const QChar* q = p;
                while (q < end && q->unicode() != kQuote && q->unicode() != 0 &&
                       !isLineBreak(q->unicode()))
                    ++q;
                if (q < end && q->unicode() == 0)
                    return notText();
                if (q == end && !m_atEnd)
                    return Split::NeedMore;
                if (q == end || isLineBreak(q->unicode()))
                    return unclosedQuote();
                if (q + 1 == end && !m_atEnd)
                    return Split::NeedMore; // a doubled quote may follow
                rewritten.append(p, q - p);
                if (q + 1 < end && q[1].unicode() == kQuote) {
                    rewritten.append(QChar(kQuote));
                    p = q + 2;
                    continue;
                }
                p = q + 1;
                break;
            }
        }
        // Unquoted text, or what follows a closing quote.
        const QChar* t = p;
        bool needMore = false;
        while (t < end) {
            const char16_t c = t->unicode();
            if (c == m_separatorFirst && hasSeparator) {
                if (separatorAt(t, end, needMore) || needMore)
                    break;
            } else if (c <= kCr) {
                if (isLineBreak(c))
                    break;
                if (c == 0)
                    return notText();
            }
            ++t;
        }
        if (needMore || (t == end && !m_atEnd))
            return Split::NeedMore;
        if (!quoted) {
            fields.emplace_back(fieldStart, t - fieldStart);
        } else if (t == p && rewritten.size() == p - 1 - fieldStart) {
            fields.emplace_back(fieldStart, rewritten.size()); // nothing rewritten
        } else {
            rewritten.append(p, t - p);
            m_unquoted.push_back(std::move(rewritten));
            fields.emplace_back(m_unquoted.back());
        }
        p = t;

        if (p == end)
            break;
        if (isLineBreak(p->unicode())) {
            if (p->unicode() == kCr && p + 1 == end && !m_atEnd)
                return Split::NeedMore; // CR LF split between two reads
            if (p->unicode() == kCr && p + 1 < end && p[1].unicode() == kLf)
                ++p;
            ++p;
            break;
        }
        p += m_separator.size();
    }
    // However the reads happened to fall, a record too long is refused.
    qsizetype length = p - recordStart;
    while (length > 0 && isLineBreak(recordStart[length - 1].unicode()))
        --length;
    if (length > MaxRecordLength) {
        fail(QStringLiteral("%1: %2. satır %3 karakterden uzun")
                 .arg(m_path)
                 .arg(m_recordLine)
                 .arg(MaxRecordLength));
        return Split::Error;
    }
    m_pos += p - begin;
    m_lines = m_recordLine;
    m_afterCr = false;
    return Split::Record;
}
