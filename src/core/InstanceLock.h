#pragma once

#include <memory>

#include <QString>

class QLockFile;

// One program (desktop or command line) per database: two runners polling
// the same folders would send the same file twice.
class InstanceLock {
public:
    explicit InstanceLock(const QString& programFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another live process holds the lock.
    bool tryLock();
    bool isLocked() const;
    // The process id of the holder when tryLock() failed, 0 if unknown.
    qint64 holderPid() const;

    static QString lockFilePath(const QString& programFolder);

private:
    std::unique_ptr<QLockFile> m_lock;
};
