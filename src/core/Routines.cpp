#include "Routines.h"

#include <algorithm>
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
    QString cleaned(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(cleaned.data());
    char16_t* const first = out;
    for (const QChar c : text) {
        bool keep = false;
        // Always written; the position only moves on for a kept one.
        *out = CleanText::Unit(c.unicode(), keep);
        out += keep;
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
