#include <memory>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include "ProgramStart.h"
#include "core/AppState.h"
#include "core/ExitRequest.h"
#include "core/ProgramFolder.h"
#include "widgets/Artwork.h"
#include "widgets/QtUi.h"
#include "widgets/WaitingTransport.h"

namespace {

void nameTheProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("Parlex"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
}

QCommandLineOption describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Parlex: toplu SMS gönderimi"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption folderOption(
        QStringLiteral("program-folder"),
        QStringLiteral("Veritabanının (ostrel.mdb) bulunduğu klasör."), QStringLiteral("DIR"));
    parser.addOption(folderOption);
    return folderOption;
}

// The option of --help, --help-all or --version when one was given, else
// empty. Qt's own one-dash options (-platform, -reverse) are whole words
// here, not runs of letters that could spell -h or -v.
QString textOnlyOption(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    describeOptions(parser);
    parser.parse(arguments); // unknown options are the desktop start's to report
    for (const char* option : {"version", "help-all", "help"})
        if (parser.isSet(QLatin1String(option)))
            return QStringLiteral("--") + QLatin1String(option);
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    // Help and version are printed without a window system, so they work
    // where there is no display (a terminal over ssh, a package check).
    if (const QString option = textOnlyOption(argc, argv); !option.isEmpty()) {
        QCoreApplication app(argc, argv);
        QtUi::installQtTranslations();
        nameTheProgram();
        QCommandLineParser parser;
        describeOptions(parser);
        parser.process({QCoreApplication::arguments().value(0), option}); // prints and exits
        return 0;
    }

    QApplication app(argc, argv);
    QtUi::installQtTranslations();
    nameTheProgram();
    QApplication::setWindowIcon(Artwork::applicationIcon());
    // Lets the desktop match windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.parlex.Parlex"));
    // The main window hides into the notification area; the program ends
    // only by Çıkış or when start-up opens nothing.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    const QCommandLineOption folderOption = describeOptions(parser);
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
