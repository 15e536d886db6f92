#include "RejectFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

#include "core/AppState.h"
#include "core/FileSystem.h"
#include "core/Routines.h"
#include "core/SystemError.h"

namespace {

// Lines are written in pieces of this size, so that a failed write (a full
// disk) is seen where it happens and what reached the file is known.
constexpr qsizetype WriteSize = 64 * 1024;

// Held names leave room for a counter and for the ".part" of rows still
// being written.
constexpr qsizetype HeldNameBytes = 240;

// As many bytes as the disk took; errno says why when it took fewer.
qint64 writeAll(int fd, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            break;
        }
        done += n;
    }
    return done;
}

// Made here, or found taken (errno EEXIST): never someone else's file
// truncated.
int createNew(const QString& path) {
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  0666);
}

// The folder and those above it: 0, or why one cannot be made (EEXIST: a
// file is in its way).
int makeFolders(const QByteArray& path) {
    if (::mkdir(path.constData(), 0777) == 0)
        return 0;
    if (errno == EEXIST)
        return QFileInfo(QFile::decodeName(path)).isDir() ? 0 : EEXIST;
    const qsizetype slash = path.lastIndexOf('/');
    if ((errno != ENOENT && errno != ENOTDIR) || slash <= 0)
        return errno;
    if (const int error = makeFolders(path.left(slash)))
        return error;
    return ::mkdir(path.constData(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

} // namespace

RejectFile::RejectFile(const QString& folder, const QString& name, const QString& holdFolder)
    : m_folder(folder)
    , m_name(name)
    , m_holdFolder(holdFolder)
    , m_path(JoinPath(folder, name)) {}

RejectFile::~RejectFile() {
    settle(false);
}

void RejectFile::remember(QString& error) const {
    if (error.isEmpty())
        error = SystemErrorText(errno);
}

bool RejectFile::openHere() {
    // A name taken between the look and the making is looked for again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        App().gFileCounter = 0;
        const QString path = UniqueFileName(m_folder, m_name);
        m_fd = createNew(path);
        if (m_fd >= 0) {
            m_path = path;
            m_made = true;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    remember(m_error);
    return false;
}

// Carries on in the holding folder with what had reached the file.
bool RejectFile::moveToHold() {
    if (m_held || m_holdFolder.isEmpty())
        return false;
    if (const int error = makeFolders(QFile::encodeName(m_holdFolder))) {
        errno = error;
        remember(m_holdError);
        return false;
    }
    App().gFileCounter = 0;
    const QString held =
        UniqueFileName(m_holdFolder, FitFileName(QFileInfo(m_path).fileName(), HeldNameBytes));
    const int fd = ::open(QFile::encodeName(held + PartSuffix).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        remember(m_holdError);
        return false;
    }
    QByteArray written;
    if (m_fd >= 0) {
        ::close(m_fd);
        QFile old(m_path);
        if (old.open(QIODevice::ReadOnly))
            written = old.read(m_committed);
        if (written.size() != m_committed) {
            // What is in the outgoing folder cannot follow: the rows stay
            // there, to be removed with the file unless all are written.
            ::close(fd);
            QFile::remove(held + PartSuffix);
            m_fd = -1;
            remember(m_holdError);
            return false;
        }
        QFile::remove(m_path);
    }
    m_fd = fd;
    m_made = true;
    m_held = true;
    m_part = true;
    m_path = held;
    m_committed = 0;
    m_pending.prepend(written);
    return true;
}

void RejectFile::writePending() {
    while (!m_lost && !m_pending.isEmpty()) {
        if (m_fd < 0 && (m_held || !openHere()) && !moveToHold()) {
            m_lost = true;
            break;
        }
        const qint64 n = writeAll(m_fd, m_pending);
        if (n == m_pending.size()) {
            m_committed += n;
            m_pending.clear();
            return;
        }
        remember(m_held ? m_holdError : m_error);
        if (!moveToHold())
            m_lost = true;
    }
    // Nowhere left to write: the rows are counted, and the package waits.
    m_pending.clear();
}

void RejectFile::writeLine(const QString& line) {
    if (m_lost)
        return;
    if (!m_started) {
        m_started = true;
        m_pending += ByteOrderMark(m_encoding);
    }
    m_pending += EncodeText(line, m_encoding);
    m_pending.append("\r\n");
    if (m_pending.size() >= WriteSize)
        writePending();
}

void RejectFile::addRow(const QString& header, const QString& line) {
    ++m_count;
    if (!header.isNull())
        writeLine(header);
    writeLine(line);
}

bool RejectFile::store() {
    if (m_count == 0)
        return true;
    writePending();
    if (m_lost)
        return false;
    if (m_part) {
        // Complete: a pass killed from here on must not take them for
        // unfinished rows.
        QString error;
        if (!App().gFileSystem->moveFile(m_path + PartSuffix, m_path, &error)) {
            m_holdError = error;
            m_lost = true;
            return false;
        }
        m_part = false;
    }
    return true;
}

void RejectFile::settle(bool keep) {
    const bool kept = keep && m_count > 0 && store();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_made && !kept)
        QFile::remove(m_part ? m_path + PartSuffix : m_path);
    m_made = false;
}
