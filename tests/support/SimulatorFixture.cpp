#include "SimulatorFixture.h"

#include <chrono>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QtTest>

#include "core/AppState.h"
#include "core/GatewayMode.h"
#include "gateway/HttpTransport.h"

namespace {

// Loopback traffic must not go through a proxy configured for the machine.
void bypassProxyForLoopback() {
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        QByteArray list = qgetenv(name);
        if (!list.contains("127.0.0.1")) {
            list += list.isEmpty() ? "127.0.0.1" : ",127.0.0.1";
            qputenv(name, list);
        }
    }
}

} // namespace

SimulatorFixture::SimulatorFixture() {
    bypassProxyForLoopback();
    m_sim.addAccount(SimAccount{MainUser, Password.toStdString(), MainCredit, {"PARLEX", "ACME"}});
    m_sim.addAccount(SimAccount{HollinUser, "h0llin", 50, {"HOLLIN"}});
    m_sim.setFinalStates(true);
    if (!m_sim.start(0))
        qFatal("the gateway simulator cannot listen on 127.0.0.1");
    using namespace std::chrono_literals;
    SetDefaultHttpTransport(std::make_shared<CurlTransport>(GatewayTimeouts{5s, 5s}));
    useMainAccount();
}

SimulatorFixture::~SimulatorFixture() {
    SetDefaultHttpTransport(nullptr);
    m_sim.stop();
}

void SimulatorFixture::useMainAccount() {
    App().gGatewayMode = GatewayMode::Main;
    App().gUserName = UserName;
    App().gClientCode = ClientCode;
    App().gPassword = Password;
    App().gGatewayUrl = url(QStringLiteral("/sms/com.corvane"));
}

void SimulatorFixture::useHollinAccount() {
    App().gGatewayMode = GatewayMode::Hollin;
    App().gUserName = QString::fromStdString(HollinUser);
    App().gClientCode.clear();
    App().gPassword = QStringLiteral("h0llin");
    App().gGatewayUrl = url(QStringLiteral("/hollin/gw"));
}

int SimulatorFixture::closedPort() {
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (sock < 0 || bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        qFatal("cannot find a free loopback port");
    ::close(sock); // bound but never listening: connections are refused
    return ntohs(address.sin_port);
}
