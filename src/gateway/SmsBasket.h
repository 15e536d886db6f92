#pragma once

#include <string>
#include <vector>

#include <QString>

class RequestBody;

// The messages of one package, in insertion order. Each row is kept as its
// finished "<Message>" element in UTF-8, in large blocks that never move: a
// basket of a million messages then costs about what its part of the request
// body weighs, and sendsms posts the blocks as they are. Kept as UTF-16 cells
// of a general table, the same basket would weigh twice the body.
class SmsBasket {
public:
    // The two fields and their defined sizes, in characters.
    static constexpr int MsgSize = 160;
    static constexpr int GsmSize = 20;

    // Appends one row. A value longer than its field raises RecordsetError,
    // and the basket is then left as it was.
    void append(const QString& message, const QString& gsm);
    // append(CleanMessageText(message), gsm), cleaning as it encodes.
    void appendCleaned(QStringView message, QStringView gsm);
    void clear();

    int recordCount() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    // Bytes of the joined "<Message>" elements.
    qint64 byteSize() const { return m_bytes; }

    // Adds the joined elements to `body` by reference; the basket must stay
    // unchanged until the body has been posted.
    void appendTo(RequestBody& body) const;

private:
    // The block with room for one more row of this many characters.
    std::string& blockFor(qsizetype characters);
    // One "<Message>" element; the message's size is checked by the caller.
    void appendRow(QStringView message, QStringView gsm,
                   void (*encodeMessage)(std::string&, QStringView));

    std::vector<std::string> m_blocks;
    int m_count = 0;
    qint64 m_bytes = 0;
};
