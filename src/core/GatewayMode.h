#pragma once

#include <QString>

namespace GatewayMode {
inline const QString Main = QStringLiteral("Parlex");
inline const QString Hollin = QStringLiteral("Hollin");
} // namespace GatewayMode
