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
inline const QString& Folder() {
    static const QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

inline QString WriteFile(const QString& name, const QByteArray& bytes) {
    const QString path = Folder() + QLatin1Char('/') + name;
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
    return path;
}

// Reads the input front to back: a few setting bytes, then the rest.
class Input {
public:
    Input(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size) {}

    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    QByteArray bytes(size_t count) {
        const size_t n = std::min(count, m_size - m_pos);
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), static_cast<qsizetype>(n));
        m_pos += n;
        return out;
    }
    QByteArray rest() { return bytes(m_size - m_pos); }
    // Up to the next `stop` byte, which is consumed; the rest when there is none.
    QByteArray until(uint8_t stop) {
        size_t end = m_pos;
        while (end < m_size && m_data[end] != stop)
            ++end;
        QByteArray out = bytes(end - m_pos);
        if (m_pos < m_size)
            ++m_pos;
        return out;
    }
    bool atEnd() const { return m_pos >= m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace fuzz
