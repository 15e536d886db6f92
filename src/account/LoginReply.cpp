#include "LoginReply.h"

#include "core/Routines.h"

LoginReply ClassifyLoginReply(const QString& reply) {
    // Any web page is a proxy or portal talking, never a credit balance: one
    // that does not start with <HTML> must not pass as a good login either.
    if (reply == QLatin1String("-1") || reply.left(6) == QLatin1String("<HTML>") ||
        IsHtmlReply(reply))
        return LoginReply::ConnectionError;
    if (reply == QLatin1String("01") || reply == QLatin1String("03"))
        return LoginReply::WrongCredentials;
    if (reply == QLatin1String("04") || reply == QLatin1String("05"))
        return LoginReply::CannotSend;
    if (IsInReplyCodeList(reply))
        return LoginReply::Refused;
    return LoginReply::Accepted;
}
