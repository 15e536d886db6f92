#include "FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool FileSystem::fileExists(const QString& path) const {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool FileSystem::folderExists(const QString& path) const {
    return QFileInfo(path).isDir();
}

bool FileSystem::listFiles(const QString& folder, QStringList& names) const {
    names.clear();
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return false;
    names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    return true;
}

bool FileSystem::moveFile(const QString& from, const QString& to, QString* error) {
    if (QFileInfo::exists(to)) {
        if (error)
            *error = QStringLiteral("%1 zaten var").arg(to);
        return false;
    }
    QFile file(from);
    // QFile::rename copies and deletes when the folders are on different
    // file systems, and removes a partial copy when that fails.
    if (!file.rename(to)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool FileSystem::deleteFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.remove()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
