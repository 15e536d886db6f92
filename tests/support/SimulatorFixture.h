#pragma once

#include <string>

#include <QString>

#include "GatewaySimulator.h"

// A gateway simulator on 127.0.0.1 (ephemeral port) for one test, with two
// accounts, and AppState set up to use the main one. Construct it after the
// TestEnvironment, which starts AppState afresh.
//
// While it lives, new Gateway objects use libcurl with short time-outs
// (connect 5 s, nothing moving 5 s), so a broken test fails instead of
// hanging. A delayed reply must stay well under the stall period.
class SimulatorFixture {
public:
    // Main account as AppState holds it, and as the gateway sees it.
    static inline const QString UserName = QStringLiteral("demo");
    static inline const QString ClientCode = QStringLiteral("1000");
    static inline const QString Password = QStringLiteral("s3cret");
    static inline const std::string MainUser = "demo-1000";
    static constexpr qint64 MainCredit = 1000;
    // Its originators: "PARLEX" and "ACME".

    // Intranet account: user "hollin", password "h0llin", credit 50,
    // originator "HOLLIN", reached at the path "/hollin/gw".
    static inline const std::string HollinUser = "hollin";

    SimulatorFixture();
    ~SimulatorFixture();

    GatewaySimulator& sim() { return m_sim; }
    GatewaySimulator* operator->() { return &m_sim; }

    QString url(const QString& path = QStringLiteral("/sms/com.corvane")) const {
        return m_sim.url(path);
    }

    // AppState in "Parlex" mode with the main account, posting here.
    void useMainAccount();
    // AppState in "Hollin" mode with the intranet account, posting here.
    void useHollinAccount();

    // Line replies (credit, reports) end their lines in CR LF, as some
    // gateways write them.
    void useCrLfLineEnds(bool crLf = true) { m_sim.setCrLfLineEnds(crLf); }

    // A loopback port nobody listens on.
    static int closedPort();

private:
    GatewaySimulator m_sim;
};
