#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString InstalledDataFolder(const QString& executableFolder) {
    if (executableFolder.isEmpty() ||
        QFileInfo(executableFolder).fileName() != QLatin1String("bin"))
        return QString();
    const QString shared =
        QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral("../share/parlex")));
    return QFileInfo(shared).isDir() ? shared : QString();
}

QString ProgramFolderFor(const QString& executableFolder) {
    const QFileInfo info(executableFolder);
    // An installed copy never writes beside its executable, even for root,
    // who may write to /usr/bin.
    if (!executableFolder.isEmpty() && info.isDir() && info.isWritable() &&
        InstalledDataFolder(executableFolder).isEmpty())
        return executableFolder;
    // Not AppDataLocation: that follows the application name, which differs
    // between the desktop program and parlex-cli.
    const QString data = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                             .filePath(QLatin1String(PerUserFolderName));
    QDir().mkpath(data);
    return data;
}

QString DefaultProgramFolder() {
    return ProgramFolderFor(QCoreApplication::applicationDirPath());
}
