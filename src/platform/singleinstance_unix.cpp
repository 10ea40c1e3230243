#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLockFile>
#include <QStandardPaths>

struct SingleInstance::Private
{
    explicit Private(const QString &name)
        : lock(name + QStringLiteral(".lock")), wakePath(name + QStringLiteral(".wake"))
    {}

    QLockFile lock;
    QString wakePath; // a second start writes here; the running one watches it
    QFileSystemWatcher *watcher = nullptr;
};

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>(name))
{
    // Never stale by age: a long-running instance keeps its lock. A lock whose
    // process no longer runs is still detected as stale by QLockFile.
    d->lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    if (!d->lock.tryLock(0)) {
        // A folder that cannot hold the lock does not keep the user from working.
        return d->lock.error() != QLockFile::LockFailedError;
    }
    QFile wake(d->wakePath);
    if (wake.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        wake.close();
        d->watcher = new QFileSystemWatcher({d->wakePath}, this);
        connect(d->watcher, &QFileSystemWatcher::fileChanged, this, [this] {
            // Some systems stop watching a file once it was written.
            if (!d->watcher->files().contains(d->wakePath)) {
                d->watcher->addPath(d->wakePath);
            }
            Q_EMIT activationRequested();
        });
    }
    return true;
}

void SingleInstance::notifyRunning()
{
    QFile wake(d->wakePath);
    if (wake.open(QIODevice::WriteOnly | QIODevice::Append)) {
        wake.write("\n", 1);
    }
}

QString SingleInstance::defaultName()
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty()) {
        directory = QDir::tempPath();
    }
    return QDir(directory).filePath(QStringLiteral("tavo-%1").arg(
        qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"))));
}
