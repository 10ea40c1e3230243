#pragma once

#include "settings/settingsstore.h"

#include <QString>

#include <memory>

class QSettings;

// The settings store on top of QSettings. The default store is the user's
// own: on Windows the registry key the old programs used
// (HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>), so
// stored positions carry over; elsewhere <config dir>/<application>.conf.
// A store on an explicit INI file serves tests and other locations.
class QSettingsStore : public SettingsStore
{
public:
    QSettingsStore();
    explicit QSettingsStore(const QString &iniFile);
    ~QSettingsStore() override;

    QString GetSetting(const QString &application, const QString &section, const QString &key,
                       const QString &defaultValue) override;
    void SaveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;
    bool flush() override;
    QString location() const override;

private:
    QSettings &settingsFor(const QString &application);

    QString m_iniFile;
    QString m_application;
    std::unique_ptr<QSettings> m_settings;
};
