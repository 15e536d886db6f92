#pragma once

#include <QString>
#include <QStringList>

// The file operations the senders rely on, behind one object so that tests
// can make a move or a delete fail the way a full disk or a vanished folder
// would.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool fileExists(const QString& path) const;
    virtual bool folderExists(const QString& path) const;
    // Names of the plain files of a folder (no pipes or devices, which would
    // block a reader), sorted by name so that runs are repeatable; an empty
    // list and false when the folder cannot be listed.
    virtual bool listFiles(const QString& folder, QStringList& names) const;
    // Renames, or copies and deletes across file systems. The target must not
    // exist. On failure `error` says why and the source is left in place.
    virtual bool moveFile(const QString& from, const QString& to, QString* error = nullptr);
    virtual bool deleteFile(const QString& path, QString* error = nullptr);
};
