#include "GuardedStep.h"

#include <exception>

#include <QLoggingCategory>

#include "core/AppState.h"
#include "core/SystemError.h"

Q_LOGGING_CATEGORY(lcGuarded, "parlex.windows")

bool RunGuarded(const char* what, const QString& title, const QString& intro,
                const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        const QString reason = ErrorText(e);
        qCWarning(lcGuarded).noquote() << what << "failed:" << QString::fromUtf8(e.what());
        UserInterface().error(title, intro.isEmpty()
                                         ? reason
                                         : intro +
                                               QStringLiteral("\r\nSistemin ürettiği hata "
                                                              "mesajı : ") +
                                               reason);
        return false;
    }
}
