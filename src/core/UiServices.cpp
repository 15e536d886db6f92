#include "UiServices.h"

#include <QCoreApplication>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcUi, "parlex.ui")

namespace {

QString oneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    return text;
}

} // namespace

void HeadlessUi::showMessage(BoxKind kind, const QString& title, const QString& text) {
    if (kind == BoxKind::Error)
        qCWarning(lcUi).noquote() << title << ":" << oneLine(text);
    else
        qCInfo(lcUi).noquote() << title << ":" << oneLine(text);
}

bool HeadlessUi::askQuestion(const QString& title, const QString& text) {
    qCInfo(lcUi).noquote() << title << ":" << oneLine(text) << "-> No (no desktop)";
    return false;
}

bool HeadlessUi::openWithDesktop(const QString& pathOrUrl) {
    // Without its query: an address may carry a password.
    qCInfo(lcUi).noquote() << "not opened without a desktop:"
                           << pathOrUrl.section(QLatin1Char('?'), 0, 0);
    return false;
}

void HeadlessUi::yield() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void HeadlessUi::setStatusText(const QString& text) {
    m_status = text;
}
