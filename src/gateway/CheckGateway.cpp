#include "CheckGateway.h"

#include <QLoggingCategory>

#include "Gateway.h"
#include "core/AppState.h"
#include "core/GatewayMode.h"
#include "core/Routines.h"

Q_DECLARE_LOGGING_CATEGORY(lcGateway)

namespace {

void showUnreachable() {
    UserInterface().error(QStringLiteral("Parlex"),
                          QStringLiteral("Mesaj merkeziyle bağlantı kurulamıyor."));
}

} // namespace

QString CheckGateway() {
    try {
        QString reply;
        const QString& mode = App().gGatewayMode;
        if (mode == GatewayMode::Main || mode == GatewayMode::Hollin) {
            Gateway gateway;
            reply = gateway.GetSystemTime(App().gatewayUserName(), App().gPassword);
        }
        if (!IsErrorReply(reply))
            return reply;
        qCInfo(lcGateway).noquote() << "start-up check refused, reply:" << reply.left(200);
        UserInterface().error(QStringLiteral("Parlex 1.0"),
                              QStringLiteral("Sistem bilgileri kontrol edilemiyor.\r\n"
                                             "Mesaj merkezine bağlantı sağlanamadı.\r\n"
                                             "Parlex uygulaması kapatılıyor..."));
        showUnreachable();
    } catch (const std::exception& e) {
        qCWarning(lcGateway).noquote() << "start-up check failed:" << e.what();
        showUnreachable();
    }
    return QStringLiteral("-1");
}
