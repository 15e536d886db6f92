#include "SystemError.h"

#include <cerrno>
#include <cstring>

#include "Database.h"

namespace {

QString withoutFullStop(QString text) {
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace

QString SystemErrorText(int errnoValue) {
    // Causes of a failed copy or move a user can act on, beyond those the
    // database shares.
    switch (errnoValue) {
    case EROFS:
        return QStringLiteral("disk yalnızca okunabilir durumda");
    case EFBIG:
        return QStringLiteral("dosya bu disk için çok büyük");
    case ENAMETOOLONG:
        return QStringLiteral("dosya adı çok uzun");
    case EEXIST:
        return QStringLiteral("aynı adda bir dosya var");
    case EIO:
        return QStringLiteral("diske erişilemiyor (giriş/çıkış hatası)");
    default:
        break;
    }
    if (const auto kind = DatabaseError::kindOfSystemError(errnoValue))
        return withoutFullStop(DatabaseError::causeText(*kind));
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}

QString ErrorText(const std::exception& error) {
    if (const auto* db = dynamic_cast<const DatabaseError*>(&error); db && !db->cause().isEmpty())
        return withoutFullStop(db->cause());
    return QString::fromUtf8(error.what());
}
