#pragma once

#include <QtTest>

#include "gateway/Gateway.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"

using namespace Qt::StringLiterals;

inline const QString User = QStringLiteral("demo-1000");
inline const QString Pass = QStringLiteral("s3cret");

// A fresh program state and a gateway simulator with the main account signed
// in; the client posts to it.
struct GatewayWorld {
    TestEnvironment env;
    SimulatorFixture sim;
    Gateway gateway;

    // `count` messages to 5300000000, 5300000001, ...
    void fill(int count) {
        for (int i = 0; i < count; ++i)
            gateway.addtosmsbasket(QStringLiteral("Sayın müşterimiz %1").arg(i),
                                   QStringLiteral("53%1").arg(i, 8, 10, QLatin1Char('0')));
    }
};
