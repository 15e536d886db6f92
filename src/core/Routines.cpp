#include "Routines.h"

#include <array>

#include <QDir>
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
    Ui().setStatusText(text);
}

QString NormalizeGsm(const QString& text) {
    // Read from the end, keeping the last ten digits, so the result is the
    // only allocation: the senders call this for every row of files of a
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
            if (c < u'0' || c > u'9')
                return QString();
            if (count < 10)
                last[9 - count] = c;
            ++count;
        }
    }
    if (count <= 9 || last[0] != u'5')
        return QString();
    return QString(reinterpret_cast<const QChar*>(last), 10);
}

QString CleanMessageText(const QString& text) {
    // One pass, one character at a time: none of the replacements makes text
    // another would match, so this equals replacing them one after another
    // (and is many times faster, which counts for a file of a million rows).
    // Characters up to U+00FF go through a table; 0 means "drop".
    static constexpr auto kLatin1 = [] {
        std::array<char16_t, 256> table{};
        for (size_t i = 0; i < table.size(); ++i)
            table[i] = static_cast<char16_t>(i);
        table[u'\r'] = 0;
        table[u'\n'] = 0;
        table[u'&'] = u'-';
        table[u'>'] = u']';
        table[u'<'] = u'[';
        table[u'~'] = u' ';
        table[u'Ü'] = u'U';
        table[u'ü'] = u'u';
        table[u'Ç'] = u'C';
        table[u'ç'] = u'c';
        table[u'Ö'] = u'O';
        table[u'ö'] = u'o';
        table[u'é'] = u'e';
        return table;
    }();
    QString cleaned(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(cleaned.data());
    char16_t* const first = out;
    for (const QChar c : text) {
        char16_t folded = c.unicode();
        if (folded < kLatin1.size()) {
            // Always written; the position only moves on for a kept one.
            folded = kLatin1[folded];
            *out = folded;
            out += folded != 0 || c.unicode() == 0;
            continue;
        } else {
            switch (folded) {
            case u'Ğ':
                folded = u'G';
                break;
            case u'ğ':
                folded = u'g';
                break;
            case u'İ':
                folded = u'I';
                break;
            case u'ı':
                folded = u'i';
                break;
            case u'Ş':
                folded = u'S';
                break;
            case u'ş':
                folded = u's';
                break;
            default:
                break;
            }
        }
        *out++ = folded;
    }
    cleaned.truncate(out - first);
    return cleaned;
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator()))
        return folder + name;
    return folder + QDir::separator() + name;
}

QString UniqueFileName(const QString& folder, const QString& fileName) {
    QString name = fileName;
    for (;;) {
        const QString path = JoinPath(folder, name);
        if (!QFileInfo::exists(path))
            return path;
        AppState& app = App();
        ++app.gFileCounter;
        // Names too short for a four-character extension get the suffix at
        // the end.
        const qsizetype extLength = name.size() >= 4 ? 4 : 0;
        const QString base = name.left(name.size() - extLength);
        const QString extension = name.right(extLength);
        const QString counter = QString::number(app.gFileCounter);
        if (base.size() >= 3 && base.at(base.size() - 3) == QLatin1Char('(') &&
            base.endsWith(QLatin1Char(')'))) {
            name = base.left(base.size() - 2) + counter + QLatin1Char(')') + extension;
        } else {
            name = base + QLatin1Char('(') + counter + QLatin1Char(')') + extension;
        }
    }
}
