#include "HelpDocument.h"

#include <QDir>
#include <QFileInfo>

QString HelpDocumentPath(const QString& programFolder, const QString& executableFolder) {
    const QStringList candidates = {
        QDir(programFolder).filePath(QLatin1String(HelpFileName)),
        QDir(executableFolder).filePath(QLatin1String(UserGuideFileName)),
        // An installed copy keeps its documents apart from the binary.
        QDir(executableFolder)
            .filePath(QStringLiteral("../share/doc/parlex/") + QLatin1String(UserGuideFileName)),
    };
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    }
    return QString();
}
