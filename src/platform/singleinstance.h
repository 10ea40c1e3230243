#pragma once

#include <QObject>
#include <QString>

#include <memory>

// At most one running program per user. The first start holds the lock; a
// second start asks it to bring its window forward and ends. A lock left
// behind by a killed process never keeps the program from starting. Each
// system has its own implementation (singleinstance_unix.cpp: a lock file
// and a file the running program watches; singleinstance_win.cpp: a named
// mutex and a named event).
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `name` tells instances apart; tests give their own.
    explicit SingleInstance(const QString &name = defaultName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process now is the one instance. True as well when the
    // lock cannot be made at all (no usable folder): that is no reason to
    // keep the user from working.
    bool acquire();

    // From a second start: asks the running instance to come forward, and
    // lets it take the foreground.
    void notifyRunning();

    static QString defaultName();

Q_SIGNALS:
    // In the running instance, when a second start asked it to come forward.
    void activationRequested();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
