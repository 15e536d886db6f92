#include <memory>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include "Artwork.h"
#include "ProgramStart.h"
#include "QtUi.h"
#include "WaitingTransport.h"
#include "core/AppState.h"
#include "core/ExitRequest.h"
#include "core/ProgramFolder.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QtUi::installQtTranslations();
    QApplication::setApplicationName(QStringLiteral("Parlex"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setWindowIcon(Artwork::applicationIcon());
    // Lets the desktop match windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.parlex.Parlex"));
    // The main window hides into the notification area; the program ends
    // only by Çıkış or when start-up opens nothing.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Parlex: toplu SMS gönderimi"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption folderOption(
        QStringLiteral("program-folder"),
        QStringLiteral("Veritabanının (ostrel.mdb) bulunduğu klasör."), QStringLiteral("DIR"));
    parser.addOption(folderOption);
    parser.process(app);

    const QString folder = parser.isSet(folderOption)
                               ? QDir(parser.value(folderOption)).absolutePath()
                               : DefaultProgramFolder();

    App().ui = std::make_shared<QtUi>();
    // Gateway requests wait off the interface thread, so no window freezes.
    WaitingTransport::install();

    // SIGTERM or Ctrl+C end the program as a confirmed Çıkış does: the file
    // in hand is sent, recorded and moved, and no other is started.
    WatchExitSignals([] { QCoreApplication::exit(0); });

    ProgramStart start(folder);
    QObject::connect(&start, &ProgramStart::ended, &app, [] { QCoreApplication::exit(0); });
    // A signal during start-up came before the loop that would have ended.
    if (!start.run() || ExitRequested())
        return 0;
    return QApplication::exec();
}
