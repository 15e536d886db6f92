#include "InstanceLock.h"

#include <QDir>
#include <QLockFile>

#include "DbRoutines.h"

QString InstanceLock::lockFilePath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QLatin1String(DatabaseFileName) + QStringLiteral(".lock"));
}

InstanceLock::InstanceLock(const QString& programFolder)
    : m_lock(std::make_unique<QLockFile>(lockFilePath(programFolder)))
{
    // The program runs for months: never judge a lock stale by its age, only
    // by its owner having gone.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock()
{
    return m_lock->tryLock(0);
}

bool InstanceLock::isLocked() const
{
    return m_lock->isLocked();
}

qint64 InstanceLock::holderPid() const
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (m_lock->getLockInfo(&pid, &host, &app))
        return pid;
    return 0;
}
