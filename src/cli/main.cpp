#include <memory>

#include <QCoreApplication>

#include "CliCommands.h"
#include "core/AppState.h"
#include "core/UiServices.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("parlex-cli"));
    // No desktop: boxes go to standard error, questions are answered No.
    App().ui = std::make_shared<HeadlessUi>();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return RunCli(arguments);
}
