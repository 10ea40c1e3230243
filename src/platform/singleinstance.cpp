#include "singleinstance.h"

#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &lockFile) : m_lock(lockFile)
{
    // Never stale by age: a long-running instance keeps its lock. A lock whose
    // process no longer runs is still detected as stale by QLockFile.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    if (m_lock.tryLock(0)) {
        return true;
    }
    if (m_lock.error() == QLockFile::LockFailedError) {
        return false;
    }
    // The lock directory is not usable (missing, read-only): do not keep the
    // user from working because of it.
    return true;
}

QString SingleInstance::defaultLockFile()
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty()) {
        directory = QDir::tempPath();
    }
    return QDir(directory).filePath(
        QStringLiteral("tavo-%1.lock")
            .arg(qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"))));
}
