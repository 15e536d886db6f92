#include "HelpDocument.h"

#include <QDir>
#include <QFileInfo>

#include "core/ProgramFolder.h"

QString HelpDocumentPath(const QString& programFolder, const QString& executableFolder) {
    QStringList candidates = {
        QDir(programFolder).filePath(QLatin1String(HelpFileName)),
        QDir(executableFolder).filePath(QLatin1String(UserGuideFileName)),
    };
    // An installed copy keeps its delivered files apart from the binary.
    const QString installed = InstalledDataFolder(executableFolder);
    if (!installed.isEmpty())
        candidates << QDir(installed).filePath(QLatin1String(UserGuideFileName));
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    }
    return QString();
}
