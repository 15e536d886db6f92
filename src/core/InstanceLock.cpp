#include "InstanceLock.h"

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QLockFile>

#include "Database.h"
#include "DbRoutines.h"

QString InstanceLock::lockFilePath(const QString& programFolder) {
    return QDir(programFolder).filePath(QLatin1String(DatabaseFileName) + QStringLiteral(".lock"));
}

InstanceLock::InstanceLock(const QString& programFolder)
    : m_folder(programFolder)
    , m_lock(std::make_unique<QLockFile>(lockFilePath(programFolder))) {
    // The program runs for months: never judge a lock stale by its age, only
    // by its owner having gone.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock() {
    if (m_lock->tryLock(0)) {
        m_failure = Failure::None;
        m_cause.clear();
        return true;
    }
    // QLockFile returns straight after the failed call: errno is still its.
    const int systemError = errno;
    if (m_lock->error() == QLockFile::LockFailedError) {
        m_failure = Failure::HeldElsewhere;
        m_cause.clear();
        return false;
    }
    m_failure = Failure::CannotCreate;
    const DatabaseError::Kind kind = DatabaseError::folderProblem(
        m_folder, m_lock->error() == QLockFile::PermissionError ? EACCES : systemError);
    m_cause = DatabaseError::causeText(kind);
    if (m_cause.isEmpty() && systemError != 0)
        m_cause = QString::fromLocal8Bit(std::strerror(systemError)) + QLatin1Char('.');
    if (m_cause.isEmpty())
        m_cause = QStringLiteral("kilit dosyası oluşturulamadı.");
    return false;
}

bool InstanceLock::isLocked() const {
    return m_lock->isLocked();
}

qint64 InstanceLock::holderPid() const {
    qint64 pid = 0;
    QString host;
    QString app;
    if (m_lock->getLockInfo(&pid, &host, &app))
        return pid;
    return 0;
}
