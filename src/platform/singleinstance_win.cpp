#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>
#include <QWinEventNotifier>

#include <windows.h>

namespace {

// Kernel object names allow no backslash after the session prefix: the
// name is told by its hash. "Local\" keeps each logged-in user's own.
std::wstring kernelObjectName(const QString &name, const char *kind)
{
    const QByteArray hash =
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("Local\\tavo-%1-%2")
        .arg(QString::fromLatin1(hash), QLatin1String(kind))
        .toStdWString();
}

} // namespace

struct SingleInstance::Private
{
    explicit Private(const QString &instanceName) : name(instanceName) {}
    ~Private()
    {
        delete notifier;
        for (const HANDLE handle : {wake, mutex}) {
            if (handle) {
                ::CloseHandle(handle);
            }
        }
    }

    QString name;
    // The system releases both when the process ends, killed or not: no
    // stale lock can be left behind.
    HANDLE mutex = nullptr;
    HANDLE wake = nullptr; // an event a second start sets
    QWinEventNotifier *notifier = nullptr;
};

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>(name))
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    if (d->mutex) {
        return true;
    }
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kernelObjectName(d->name, "lock").c_str());
    if (!mutex) {
        return true; // no lock to be had does not keep the user from working
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return false;
    }
    d->mutex = mutex;
    d->wake = ::CreateEventW(nullptr, FALSE, FALSE, kernelObjectName(d->name, "wake").c_str());
    if (d->wake) {
        d->notifier = new QWinEventNotifier(d->wake);
        connect(d->notifier, &QWinEventNotifier::activated, this,
                [this] { Q_EMIT activationRequested(); });
    }
    return true;
}

void SingleInstance::notifyRunning()
{
    // The program the user just started may give the foreground away; the
    // running one could not take it by itself.
    ::AllowSetForegroundWindow(ASFW_ANY);
    const HANDLE wake =
        ::OpenEventW(EVENT_MODIFY_STATE, FALSE, kernelObjectName(d->name, "wake").c_str());
    if (wake) {
        ::SetEvent(wake);
        ::CloseHandle(wake);
    }
}

QString SingleInstance::defaultName()
{
    return QStringLiteral("tavo-%1").arg(qEnvironmentVariable("USERNAME"));
}
