#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// How a data file's bytes become text. Users' files come from Turkish
// Windows programs (Windows-1254) or from newer tools that write UTF-8; the
// reader tells which one it used so that reject files are written back in
// the same encoding.
enum class TextEncoding {
    Windows1254,
    Utf8,
    Utf8WithBom,
};

// "windows-1254" or "utf-8" (with or without a byte order mark).
QString EncodingName(TextEncoding encoding);

// Appends the text of Windows-1254 bytes. Every byte has a character: the
// seven bytes the code page leaves undefined become the code points of the
// same value, so any file decodes and encodes back unchanged.
void AppendWindows1254(QString& out, QByteArrayView bytes);
QString DecodeWindows1254(QByteArrayView bytes);

// The bytes of `text` in `encoding`, without a byte order mark. Characters
// Windows-1254 cannot hold become '?'.
QByteArray EncodeText(QStringView text, TextEncoding encoding);
// The same at the end of `out`, for a writer of many lines.
void AppendEncoded(QByteArray& out, QStringView text, TextEncoding encoding);

// What goes at the very start of a file written in `encoding`.
QByteArray ByteOrderMark(TextEncoding encoding);

// Decides the encoding of a file from its bytes, fed in pieces of any size:
// a UTF-8 byte order mark, or valid UTF-8 holding at least one multi-byte
// character, means UTF-8; anything else (plain ASCII included) is read as
// Windows-1254.
class EncodingDetector {
public:
    void feed(QByteArrayView bytes);
    // No further bytes can change the answer.
    bool decided() const { return m_bom || m_invalid; }
    TextEncoding result() const;

private:
    void check(const unsigned char* p, qsizetype n);

    qint64 m_seen = 0;
    unsigned char m_head[3] = {};
    unsigned char m_carry[4] = {};
    int m_carryLength = 0;
    bool m_bom = false;
    bool m_invalid = false;
    bool m_multiByte = false;
};

TextEncoding DetectEncoding(QByteArrayView bytes);

// True when every character of `text` has a Windows-1254 byte.
bool FitsWindows1254(QStringView text);
