#pragma once

#include <memory>

#include <QHash>
#include <QString>

#include "Database.h"
#include "FileSystem.h"
#include "UiServices.h"

// The process-wide state of the running program. There is one, reached with
// App(); tests start each case from a fresh one with AppState::reset().
struct AppState {
    // Where ostrel.mdb lives. Set once at start (or by a test).
    QString programFolder;

    Database gConnection;
    std::shared_ptr<FileSystem> gFileSystem = std::make_shared<FileSystem>();
    std::shared_ptr<UiServices> ui = std::make_shared<HeadlessUi>();

    QString gUserName;
    QString gPassword;
    QString gClientCode;
    QString gRemember = QStringLiteral("0");
    QString gGatewayMode;
    QString gGatewayUrl;
    qint32 gCheckPeriod = 0;
    bool gSettingsLoaded = false;
    bool gNoMainWindow = false;
    QString gStepError;
    bool gDataAccessFound = false;
    QString gDataAccessVersion;
    qint32 gFileCounter = 0;
    QString gAdPageUrl;

    // Progress and report state shared with the progress window.
    qint64 gProgressDone = 0;
    qint64 gProgressTotal = 0;
    bool gReportCancel = false;
    QString gReportStep;

    // The rule runner's notes (its lasting problems already logged), as read
    // from the database once per process.
    QHash<QString, QString> runnerNotices;
    bool runnerMemoryLoaded = false;

    // The user name the gateway expects: user-clientcode for the main
    // account, the user alone for a Hollin gateway.
    QString gatewayUserName() const;

    static void reset();
};

AppState& App();
UiServices& UserInterface();
