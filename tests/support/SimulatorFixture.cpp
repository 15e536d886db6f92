#include "SimulatorFixture.h"

#include <chrono>

#include <QtTest>

#include "core/AppState.h"
#include "core/GatewayMode.h"
#include "gateway/HttpTransport.h"

SimulatorFixture::SimulatorFixture() {
    // Loopback traffic must not go through a proxy configured for the machine.
    qputenv("no_proxy", "127.0.0.1");
    qputenv("NO_PROXY", "127.0.0.1");
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
    // A port just let go of: connections are refused.
    GatewaySimulator closed;
    if (!closed.start(0))
        qFatal("cannot find a free loopback port");
    const int port = closed.port();
    closed.stop();
    return port;
}
