#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A promise of the code under test that an input broke. Aborting makes
// libFuzzer keep the input as a crash file.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

// One folder for the whole run: making one per input would cost more than
// the reading it serves.
inline QString Folder() {
    static const QTemporaryDir dir;
    return dir.path();
}

inline QString WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(Folder() + QLatin1Char('/') + name);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(bytes) == bytes.size());
    return file.fileName();
}

// Reads the input front to back: a few setting bytes, then the rest.
class Input {
public:
    Input(const uint8_t* data, size_t size)
        : m_bytes(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size))) {}

    uint8_t byte() { return m_pos < m_bytes.size() ? uint8_t(m_bytes[m_pos++]) : 0; }
    QByteArray bytes(qsizetype count) {
        const QByteArray out = m_bytes.mid(m_pos, count);
        m_pos += out.size();
        return QByteArray(out.constData(), out.size()); // a copy: the input goes away
    }
    QByteArray rest() { return bytes(m_bytes.size()); }
    // Up to the next `stop` byte, which is consumed; the rest when there is none.
    QByteArray until(char stop) {
        const qsizetype end = m_bytes.indexOf(stop, m_pos);
        const QByteArray out = bytes(end < 0 ? m_bytes.size() : end - m_pos);
        m_pos += end >= 0;
        return out;
    }

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

} // namespace fuzz
