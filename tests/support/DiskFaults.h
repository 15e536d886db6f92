#pragma once

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QFile>

#include "core/FileSystem.h"

// A file system whose moves between two folders go the way of a move across
// file systems (copy under a hidden name, sync, check, put in place), and
// whose disk fills up after `room` bytes of copies.
class FaultyFileSystem : public FileSystem {
public:
    bool acrossFileSystems = true;
    qint64 room = -1; // -1: no limit

protected:
    int renameFirst(const QByteArray& from, const QByteArray& to) override {
        const auto folder = [](const QByteArray& path) {
            return path.left(path.lastIndexOf('/'));
        };
        if (acrossFileSystems && folder(from) != folder(to))
            return EXDEV;
        return FileSystem::renameFirst(from, to);
    }
    ssize_t writeCopy(int fd, const char* data, size_t size) override {
        if (room >= 0 && qint64(size) > room)
            size = size_t(room);
        if (size == 0) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t n = FileSystem::writeCopy(fd, data, size);
        if (n > 0 && room >= 0)
            room -= n;
        return n;
    }
};

// Every write of this process beyond `bytes` into a file fails with EFBIG,
// as the kernel itself makes it, while the guard lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
};

// Whether two folders are on different file systems.
inline bool OnAnotherFileSystem(const QString& a, const QString& b) {
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev != sb.st_dev;
}
