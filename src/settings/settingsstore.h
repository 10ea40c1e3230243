#pragma once

#include <QString>

// The per-user key/value store the positions are kept in. The platform layer
// provides the real one; tests give each test its own.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored string of `key`, or `defaultValue` when the key is not
    // stored. A stored empty string comes back empty.
    virtual QString GetSetting(const QString &application, const QString &section,
                               const QString &key, const QString &defaultValue) = 0;
    virtual void SaveSetting(const QString &application, const QString &section, const QString &key,
                             const QString &value) = 0;
    // Writes what was saved through to the medium; false when it could not be.
    virtual bool flush() = 0;
    // Where the store keeps its data, for messages to the user.
    virtual QString location() const = 0;
};
