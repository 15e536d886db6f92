#include "AuxiliaryAddresses.h"

#include <QUrl>

#include "core/AppState.h"
#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"
#include "core/GatewayMode.h"

namespace {

QString host(const char* param) {
    QString base = GetParam(QLatin1String(param)).trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

QString WebClientAddress() {
    const AppState& app = App();
    const QString base =
        host(ParamName::WebClientHostAddress) + QStringLiteral("/websmsclient/?company=");
    if (app.gGatewayMode == GatewayMode::Main)
        return base + encoded(app.gClientCode) + QStringLiteral("&Username=") +
               encoded(app.gUserName);
    return base + encoded(GetParam(QLatin1String(ParamName::DefaultCompanyCode)));
}

QString SupportAddress() {
    const AppState& app = App();
    const QString base = host(ParamName::SupportHostAddress);
    if (app.gGatewayMode != GatewayMode::Main)
        return base + QLatin1Char('/');
    return base + QStringLiteral("/sms/login.asp?username=") + encoded(app.gUserName) +
           QStringLiteral("&password=") + encoded(app.gPassword) + QStringLiteral("&company=") +
           encoded(app.gClientCode);
}
