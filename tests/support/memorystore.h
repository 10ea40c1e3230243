#pragma once

#include "settings/settingsstore.h"

#include <QHash>

// A settings store in memory, for tests that need no file.
class MemoryStore : public SettingsStore
{
public:
    QString GetSetting(const QString &application, const QString &section, const QString &key,
                       const QString &defaultValue) override
    {
        return values.value(application + u'/' + section + u'/' + key, defaultValue);
    }
    void SaveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override
    {
        ++writes;
        values.insert(application + u'/' + section + u'/' + key, value);
    }
    bool flush() override { return writable; }
    QString location() const override { return QStringLiteral("memory"); }

    QHash<QString, QString> values;
    bool writable = true;
    int writes = 0;
};
