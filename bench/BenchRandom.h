#pragma once

#include <QtGlobal>

// A small generator of our own: std:: distributions differ between
// standard libraries, and generated data must be the same everywhere.
class Lcg {
public:
    explicit Lcg(quint32 seed)
        : m_state(seed) {}
    quint32 next(quint32 bound) {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<quint32>((m_state >> 33) % bound);
    }

private:
    quint64 m_state;
};
