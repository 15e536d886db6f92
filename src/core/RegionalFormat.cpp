#include "RegionalFormat.h"

#include <cmath>

#include <QLocale>

namespace {

QString fixedFormat(const QDateTime& value, QStringView format) {
    // QLocale::c() keeps digits ASCII whatever the system locale says.
    return QLocale::c().toString(value, format);
}

} // namespace

QString RegionalDateTimeText(const QDateTime& value) {
    return fixedFormat(value, u"dd.MM.yyyy HH:mm:ss");
}

QString RegionalDateText(const QDate& value) {
    return QLocale::c().toString(value, u"dd.MM.yyyy");
}

QString RegionalTimeText(const QTime& value) {
    return QLocale::c().toString(value, u"HH:mm:ss");
}

QString RegionalNumberText(double value) {
    if (!std::isfinite(value))
        return QLocale::c().toString(value);
    // Whole numbers up to 15 digits are written whole (phone numbers stored as
    // numbers must not turn into 9,05E+11).
    if (std::floor(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QDateTime ParseRegionalDateTime(const QString& text) {
    QDateTime parsed = QLocale::c().toDateTime(text, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    if (!parsed.isValid())
        parsed = QLocale::c().toDateTime(text, QStringLiteral("dd.MM.yyyy"));
    return parsed;
}

QString JetDateText(const QDate& value) {
    return QLocale::c().toString(value, u"MM/dd/yyyy");
}

QString JetDateTimeText(const QDateTime& value) {
    return fixedFormat(value, u"MM/dd/yyyy HH:mm:ss");
}

QString IsoDateTimeText(const QDateTime& value) {
    return fixedFormat(value, u"yyyy-MM-dd HH:mm:ss");
}
