#pragma once

#include <memory>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include "ZipPart.h"

// A workbook part's bytes as UTF-8 that is known to be valid and made of
// characters XML allows, read a chunk at a time into one buffer for
// Utf8XmlPart to look into. A part in another encoding (UTF-16 or UTF-32 by
// their byte order marks or first bytes, or whatever its XML declaration
// names) is turned into UTF-8 on the way; a UTF-8 byte order mark is
// dropped.
class Utf8Input {
public:
    Utf8Input() = default;
    Utf8Input(const Utf8Input&) = delete;
    Utf8Input& operator=(const Utf8Input&) = delete;

    // False with errorString() set when the part is missing.
    bool open(ZipArchive& archive, const QString& name);
    bool isOpen() const { return m_part.isOpen(); }

    // The bytes read and checked so far: valid until the next refill().
    const char* data() const { return m_buffer.constData(); }
    qsizetype size() const { return m_checked; }
    // Nothing more will come.
    bool atEnd() const { return m_atEnd; }
    // Drops the bytes before `keep`, which moves to the front, and reads
    // more; false with errorString() set on a failure.
    bool refill(qsizetype keep);

    // "the part is broken (line N: reason)", the line that of byte `at`.
    QString broken(qsizetype at, const QString& reason) const;
    QString errorString() const { return m_error; }
    const QString& path() const { return m_part.path(); }
    const QString& name() const { return m_part.name(); }

private:
    bool startEncoding(QByteArrayView start);
    bool decode(QByteArrayView bytes);

    ZipStream m_part;
    QByteArray m_buffer;     // [0, m_checked) checked, [m_checked, m_filled) not yet
    qsizetype m_checked = 0; // a character cut off at the end of a chunk waits here
    qsizetype m_filled = 0;
    qint64 m_linesBefore = 0; // line ends in the bytes already dropped
    bool m_started = false;   // the first bytes, which tell the encoding, are read
    bool m_atEnd = false;
    std::unique_ptr<QStringDecoder> m_decoder; // a part not in UTF-8
    QString m_error;
};
