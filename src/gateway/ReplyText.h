#pragma once

#include <functional>
#include <string>

#include <QByteArray>
#include <QString>
#include <QStringView>

// "&", "<" and ">" as entities, so that a value put between two tags can
// neither end its element nor start another. Quotes are left as they are:
// values never go into attributes.
QString EscapeXml(const QString& value);

// The same escaping, written as UTF-8 onto the end of `out`. A character no
// XML document may hold (a control other than tab, LF and CR, U+FFFE, U+FFFF,
// a lone surrogate) is written as U+FFFD.
void AppendEscapedUtf8(std::string& out, QStringView value);
// AppendEscapedUtf8(out, CleanMessageText(value)) in one pass. Cleaned text
// holds nothing to escape.
void AppendCleanedUtf8(std::string& out, QStringView value);

// A reply body as text: UTF-8 when it is valid UTF-8, otherwise the Turkish
// Windows code page 1254 (the data files' table), which older gateways
// answer in. A long body is decoded in pieces, calling `between` after each
// piece but the last.
QString DecodeReply(const QByteArray& bytes, const std::function<void()>& between = {});
