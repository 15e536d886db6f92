#include "FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "SystemError.h"

namespace {

// Not an errno: the copy on disk is not as long as the source.
constexpr int ShortCopy = -1;

QString causeOf(int error) {
    if (error == ShortCopy)
        return QStringLiteral("kopya eksik kaldı (boyutu kaynağınkinden farklı)");
    return SystemErrorText(error);
}

// Closed on every way out; close() for the one whose result matters (a share
// may report a failed write only there).
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int close() {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// Puts a name's entries on disk. A file system that cannot sync a folder is
// not a failure.
int syncFolder(const QByteArray& folder) {
    Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0 || ::fsync(dir.get()) == 0)
        return 0;
    return errno == EINVAL || errno == EROFS || errno == EOPNOTSUPP ? 0 : errno;
}

// A rename that never replaces an existing target: 0 or the error.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
    // A file system that cannot refuse to replace (an NFS share): a hard
    // link can, and then the old name goes.
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return 0;
        const int error = errno;
        ::unlink(to.constData());
        return error;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    // Nor links (a FAT disk): a look first, then a plain rename.
    struct stat existing;
    if (::lstat(to.constData(), &existing) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

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

int FileSystem::renameFirst(const QByteArray& from, const QByteArray& to) {
    return renameNoReplace(from, to);
}

ssize_t FileSystem::writeCopy(int fd, const char* data, size_t size) {
    return ::write(fd, data, size);
}

int FileSystem::copyAcross(const QByteArray& from, const QByteArray& to) {
    Descriptor in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    struct stat source;
    if (in.get() < 0 || ::fstat(in.get(), &source) != 0)
        return errno;
    const QByteArray folder = folderOf(to);
    // Hidden, so that nothing that lists the folder takes it for a file.
    QByteArray temp = folder + '/' + QFile::encodeName(CopyPrefix) + "XXXXXX";
    Descriptor out(::mkostemp(temp.data(), O_CLOEXEC));
    if (out.get() < 0)
        return errno;
    // From here every way out but success removes the copy.
    const auto fail = [&](int cause) {
        ::unlink(temp.constData());
        return cause;
    };
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(errno);
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = writeCopy(out.get(), buffer.data() + done, size_t(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return fail(put < 0 ? errno : ENOSPC);
            done += put;
        }
    }
    // As a rename would: the same permissions and time. A disk without
    // them (FAT) is no reason to fail.
    ::fchmod(out.get(), source.st_mode & 07777);
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    ::futimens(out.get(), times);
    struct stat copied;
    if (::fsync(out.get()) != 0 || ::fstat(out.get(), &copied) != 0 ||
        ::fstat(in.get(), &source) != 0)
        return fail(errno);
    if (copied.st_size != source.st_size)
        return fail(ShortCopy);
    if (const int closed = out.close())
        return fail(closed);
    if (const int placed = renameNoReplace(temp, to))
        return fail(placed);
    // The new name on disk before the source goes; a copy whose source
    // cannot go is taken back, or the file would be in both places.
    int cause = syncFolder(folder);
    if (cause == 0 && ::unlink(from.constData()) != 0)
        cause = errno;
    if (cause != 0) {
        ::unlink(to.constData());
        syncFolder(folder);
        return cause;
    }
    syncFolder(folderOf(from));
    return 0;
}

bool FileSystem::moveFile(const QString& from, const QString& to, QString* error) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    struct stat existing;
    if (::lstat(target.constData(), &existing) == 0) {
        if (error)
            *error = QStringLiteral("%1 zaten var").arg(to);
        return false;
    }
    int cause = renameFirst(source, target);
    if (cause == EXDEV)
        cause = copyAcross(source, target);
    if (cause != 0 && error)
        *error = causeOf(cause);
    return cause == 0;
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
