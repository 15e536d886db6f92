#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString DefaultProgramFolder() {
    const QString exeFolder = QCoreApplication::applicationDirPath();
    const QFileInfo info(exeFolder);
    if (!exeFolder.isEmpty() && info.isDir() && info.isWritable())
        return exeFolder;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}
