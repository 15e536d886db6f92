#pragma once

#include <sys/types.h>

#include <QByteArray>
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
    // The one way the program moves a file (a sent list, its reject rows).
    // On one file system a rename; across file systems a copy under a hidden
    // name in the target folder, written to disk and checked against the
    // source's size, then put in place, the folder synced, and only then the
    // source deleted. The target must not exist and is never replaced. On
    // failure the source stays, nothing is left in the target folder and
    // `error` names the cause in the user's words.
    virtual bool moveFile(const QString& from, const QString& to, QString* error = nullptr);
    virtual bool deleteFile(const QString& path, QString* error = nullptr);

    // Hidden names of copies not yet in place start with this.
    static inline const QString CopyPrefix = QStringLiteral(".parlex-");

protected:
    // The seams of a move, for tests: the rename tried first (0, or the
    // error: EXDEV across file systems), and one write of a copy, as write(2).
    virtual int renameFirst(const QByteArray& from, const QByteArray& to);
    virtual ssize_t writeCopy(int fd, const char* data, size_t size);

private:
    int copyAcross(const QByteArray& from, const QByteArray& to);
};
