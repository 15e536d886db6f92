#include "Routines.h"

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
    QString digits;
    digits.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u' ':
        case u'+':
        case u'(':
        case u')':
        case u'-':
        case u'.':
            continue;
        default:
            digits += c;
        }
    }
    if (digits.size() <= 9)
        return QString();
    for (const QChar c : std::as_const(digits)) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return QString();
    }
    const QString last = digits.right(10);
    return last.startsWith(QLatin1Char('5')) ? last : QString();
}

QString CleanMessageText(const QString& text) {
    static const std::pair<QString, QString> replacements[] = {
        {QStringLiteral("Ü"), QStringLiteral("U")}, {QStringLiteral("ü"), QStringLiteral("u")},
        {QStringLiteral("Ğ"), QStringLiteral("G")}, {QStringLiteral("ğ"), QStringLiteral("g")},
        {QStringLiteral("İ"), QStringLiteral("I")}, {QStringLiteral("ı"), QStringLiteral("i")},
        {QStringLiteral("Ş"), QStringLiteral("S")}, {QStringLiteral("ş"), QStringLiteral("s")},
        {QStringLiteral("Ç"), QStringLiteral("C")}, {QStringLiteral("ç"), QStringLiteral("c")},
        {QStringLiteral("Ö"), QStringLiteral("O")}, {QStringLiteral("ö"), QStringLiteral("o")},
        {QStringLiteral("&"), QStringLiteral("-")}, {QStringLiteral("é"), QStringLiteral("e")},
        {QStringLiteral("\r\n"), QString()},        {QStringLiteral("\r"), QString()},
        {QStringLiteral("\n"), QString()},          {QStringLiteral(">"), QStringLiteral("]")},
        {QStringLiteral("<"), QStringLiteral("[")}, {QStringLiteral("~"), QStringLiteral(" ")},
    };
    QString out = text;
    for (const auto& [from, to] : replacements)
        out.replace(from, to);
    return out;
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
