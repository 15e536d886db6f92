#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>

#include "core/FileSystem.h"
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
    QStringList logLines() const;
    // The lines written since the last call.
    QStringList newLogLines();
    static QStringList files(const QString& folder);
    static QByteArray read(const QString& path);
    int packageRows() const;

private:
    int m_seenLog = 0;
};

// Moves that fail while `failing` is set, as with a full disk.
class FlakyFileSystem : public FileSystem {
public:
    bool failing = true;
    int attempts = 0;
    bool moveFile(const QString& from, const QString& to, QString* error) override;
};
