#include "Routines.h"

#include <algorithm>
#include <array>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "AppState.h"

bool IsInReplyCodeList(const QString& reply) {
    return ReplyCodeList.contains(reply);
}

bool IsHtmlReply(const QString& reply) {
    return reply.contains(QLatin1String("html")) || reply.contains(QLatin1String("HTML"));
}

bool IsErrorReply(const QString& reply) {
    return IsInReplyCodeList(reply) || IsHtmlReply(reply);
}

void SetStatusText(const QString& text) {
    UserInterface().setStatusText(text);
}

QString NormalizeGsm(const QString& text) {
    QString out;
    NormalizeGsmInto(text, out);
    return out.isEmpty() ? QString() : out;
}

void NormalizeGsmInto(QStringView text, QString& out) {
    // Read from the end, keeping the last ten digits: nothing is allocated
    // beyond `out`, and the senders call this for every row of files of a
    // million rows.
    char16_t last[10];
    qsizetype count = 0;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u' ':
        case u'+':
        case u'(':
        case u')':
        case u'-':
        case u'.':
            continue;
        default:
            if (c < u'0' || c > u'9') {
                out.resize(0);
                return;
            }
            if (count < 10)
                last[9 - count] = c;
            ++count;
        }
    }
    if (count <= 9 || last[0] != u'5') {
        out.resize(0);
        return;
    }
    out.resize(10);
    std::copy(last, last + 10, reinterpret_cast<char16_t*>(out.data()));
}

QString CleanMessageText(const QString& text) {
    QString cleaned;
    CleanMessageTextInto(text, cleaned);
    return cleaned;
}

void CleanMessageTextInto(QStringView text, QString& cleaned) {
    cleaned.resize(text.size());
    char16_t* out = reinterpret_cast<char16_t*>(cleaned.data());
    char16_t* const first = out;
    for (const QChar c : text) {
        bool keep = false;
        // Always written; the position only moves on for a kept one.
        *out = CleanText::Unit(c.unicode(), keep);
        out += keep;
    }
    cleaned.truncate(out - first);
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + QDir::separator() + name;
}

namespace {

qsizetype nameBytes(const QString& name) {
    return QFile::encodeName(name).size();
}

// The longest name the folder's file system takes, in bytes of the names'
// encoding.
qsizetype maxNameBytes(const QString& folder) {
    constexpr qsizetype Usual = 255;
    const long max = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return max > 0 ? std::min<qsizetype>(max, Usual) : Usual;
}

// `text` without as many of its last characters as it takes to fit in
// `maxBytes`; a letter is never split.
QString cutToBytes(QString text, qsizetype maxBytes) {
    while (!text.isEmpty() && nameBytes(text) > maxBytes)
        text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
    return text;
}

// The extension a suffix goes before: four characters (".txt", ".csv"), or
// five for a workbook's ".xlsx", which would otherwise become ".(1)xlsx" and
// no longer open as a workbook. Names too short for one have none.
qsizetype extensionLength(const QString& name) {
    if (name.size() >= 5 && name.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return 5;
    return name.size() >= 4 ? 4 : 0;
}

} // namespace

QString FitFileName(const QString& name, qsizetype maxBytes) {
    if (nameBytes(name) <= maxBytes)
        return name;
    const QString extension = name.right(extensionLength(name));
    // The end of the name goes first: a prefix such as h01_ stays.
    return cutToBytes(name.chopped(extension.size()), maxBytes - nameBytes(extension)) + extension;
}

QString UniqueFileName(const QString& folder, const QString& fileName) {
    // Only a long name needs to know the file system's limit.
    const qsizetype limit = nameBytes(fileName) > 128 ? maxNameBytes(folder) : 255;
    QString name = fileName;
    for (;;) {
        // A name the file system cannot hold is never free: it is cut short
        // with the next counter.
        if (nameBytes(name) <= limit) {
            const QString path = JoinPath(folder, name);
            if (!QFileInfo::exists(path))
                return path;
        }
        AppState& app = App();
        ++app.gFileCounter;
        // Names too short for a four-character extension get the suffix at
        // the end.
        const qsizetype extLength = extensionLength(name);
        QString base = name.left(name.size() - extLength);
        const QString extension = name.right(extLength);
        // A one-digit counter is replaced rather than followed by another.
        if (base.size() >= 3 && base.at(base.size() - 3) == QLatin1Char('(') &&
            base.endsWith(QLatin1Char(')'))) {
            base.chop(3);
        }
        const QString tail =
            QLatin1Char('(') + QString::number(app.gFileCounter) + QLatin1Char(')') + extension;
        name = cutToBytes(base, limit - nameBytes(tail)) + tail;
    }
}
