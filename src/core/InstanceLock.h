#pragma once

#include <memory>

#include <QString>

class QLockFile;

// One program (desktop or command line) per database: two runners polling
// the same folders would send the same file twice.
class InstanceLock {
public:
    enum class Failure {
        None,
        HeldElsewhere, // another live process holds it
        CannotCreate,  // the lock file cannot be made at all
    };

    explicit InstanceLock(const QString& programFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another live process holds the lock, or when the lock file
    // cannot be made; failure() tells which.
    bool tryLock();
    bool isLocked() const;
    Failure failure() const { return m_failure; }
    // Why the lock file cannot be made, in the user's words ("klasöre
    // yazılamıyor."); empty unless failure() is CannotCreate.
    QString cause() const { return m_cause; }
    // The process id of the holder when tryLock() failed, 0 if unknown.
    qint64 holderPid() const;

    QString programFolder() const { return m_folder; }
    static QString lockFilePath(const QString& programFolder);

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    Failure m_failure = Failure::None;
    QString m_cause;
};
