#pragma once

#include <QLockFile>
#include <QString>

// At most one running program per user: a lock file in the user's runtime
// directory. A lock left behind by a killed process is recognised as stale
// (its process is gone) and taken over.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &lockFile = defaultLockFile());

    // True when this process now holds the lock.
    bool acquire();

    static QString defaultLockFile();

private:
    QLockFile m_lock;
};
