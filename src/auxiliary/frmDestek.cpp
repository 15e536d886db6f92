#include "frmDestek.h"

#include <QTimer>

#include "AuxiliaryAddresses.h"
#include "core/AppState.h"
#include "widgets/GuardedStep.h"

frmDestek::frmDestek(QObject* parent)
    : QObject(parent) {
    setObjectName(QStringLiteral("frmDestek"));
}

void frmDestek::Show() {
    QTimer::singleShot(0, this, &frmDestek::Form_Activate);
}

void frmDestek::Form_Activate() {
    UserInterface().yield();
    // Whether a browser opened is not looked at: nothing to tell the user.
    // An address that cannot be read is told: the click would show nothing.
    RunGuarded("opening the support site", QStringLiteral("Parlex"),
               QStringLiteral("Destek sayfasının adresi okunamadı."),
               [] { UserInterface().openWithDesktop(SupportAddress()); });
    deleteLater();
}
