#include "SecondStart.h"

#include <QDir>

#include "InstanceChannel.h"
#include "core/AppState.h"
#include "core/InstanceLock.h"

void ExplainRefusedStart(const InstanceLock& lock) {
    const QString title = QStringLiteral("Parlex 1.0");
    if (lock.failure() == InstanceLock::Failure::CannotCreate) {
        const QString CRLF = QStringLiteral("\r\n");
        UserInterface().error(
            title, QStringLiteral("Program başlatılamıyor: program klasöründe kilit dosyası "
                                  "oluşturulamadı.") +
                       CRLF + QStringLiteral("Klasör: ") +
                       QDir::toNativeSeparators(lock.programFolder()) + CRLF +
                       QStringLiteral("Neden: ") + lock.cause());
        return;
    }
    // The running program comes forward; a parlex-cli run has nothing to show.
    InstanceChannel::askToShow(lock.programFolder());
    UserInterface().information(title, QStringLiteral("Program Zaten Çalışıyor."));
}
