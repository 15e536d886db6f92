#include "SystemError.h"

#include <cerrno>
#include <cstring>

QString SystemErrorText(int errnoValue) {
    switch (errnoValue) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("diskte yer kalmadı");
    case EACCES:
    case EPERM:
        return QStringLiteral("yazma izni yok");
    case EROFS:
        return QStringLiteral("dosya sistemi salt okunur");
    case ENOENT:
        return QStringLiteral("klasör bulunamadı");
    default:
        return QString::fromLocal8Bit(std::strerror(errnoValue));
    }
}
