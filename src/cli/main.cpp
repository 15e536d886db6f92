#include <memory>

#include <QCoreApplication>

#include "CliCommands.h"
#include "core/AppState.h"
#include "core/UiServices.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The desktop program's name: installed under /usr both keep their data
    // in the same per-user folder, so a job works on the desktop's database.
    QCoreApplication::setApplicationName(QStringLiteral("Parlex"));
    // No desktop: boxes go to standard error, questions are answered No.
    App().ui = std::make_shared<HeadlessUi>();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return RunCli(arguments);
}
