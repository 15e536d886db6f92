#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>

#include "rules/RuleStore.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"

// A program folder with a fresh database, a gateway simulator with the main
// account signed in, automatic sending switched on and one running rule from
// gelen/ to giden/.
class RunnerWorld {
public:
    explicit RunnerWorld(const QString& headerFlag = QStringLiteral("E"));

    TestEnvironment env;
    SimulatorFixture sim;
    QString in;
    QString out;
    Rule rule;

    // A data file in the incoming folder, last written `ageSeconds` ago.
    QString drop(const QString& name, const QByteArray& bytes, int ageSeconds = 60,
                 const QString& folder = QString());
    static QStringList files(const QString& folder);
    static QByteArray read(const QString& path);
    int packageRows() const;
    // As when the program starts again: a new connection, its notes read anew.
    static void restart();
};
