#pragma once

#include "settings/settingsstore.h"

#include <QList>
#include <QString>

#include <utility>

#include <memory>

class QSettings;

// The settings store on top of QSettings. The default store is the user's
// own: on Windows the registry key the old programs used
// (HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>), so
// stored positions carry over; elsewhere the INI file <config dir>/<application>.ini.
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
    // Saved since the last flush, to check the file when QSettings cannot say.
    QList<std::pair<QString, QString>> m_unflushed;
};
