#include "frmDestek.h"

#include <exception>

#include <QLoggingCategory>
#include <QTimer>

#include "AuxiliaryAddresses.h"
#include "core/AppState.h"

Q_LOGGING_CATEGORY(lcDestek, "parlex.support")

frmDestek::frmDestek(QObject* parent)
    : QObject(parent) {
    setObjectName(QStringLiteral("frmDestek"));
}

void frmDestek::Show() {
    QTimer::singleShot(0, this, &frmDestek::Form_Activate);
}

void frmDestek::Form_Activate() {
    UserInterface().yield();
    try {
        // Whether a browser opened is not looked at: nothing to tell the user.
        UserInterface().openWithDesktop(SupportAddress());
    } catch (const std::exception& e) {
        qCWarning(lcDestek).noquote()
            << "support address unreadable:" << QString::fromUtf8(e.what());
    }
    deleteLater();
}
