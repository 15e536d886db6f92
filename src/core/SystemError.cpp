#include "SystemError.h"

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
    if (const auto kind = DatabaseError::kindOfSystemError(errnoValue))
        return withoutFullStop(DatabaseError::causeText(*kind));
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}

QString ErrorText(const std::exception& error) {
    if (const auto* db = dynamic_cast<const DatabaseError*>(&error); db && !db->cause().isEmpty())
        return withoutFullStop(db->cause());
    return QString::fromUtf8(error.what());
}
