#pragma once

#include "settings/settingsstore.h"

#include <QList>
#include <QString>

#include <utility>

#include <memory>

class QSettings;
class QTemporaryDir;

// The settings store on top of QSettings. The default stores are the user's
// own: on Windows in the registry, elsewhere the INI file
// <config dir>/<application>.ini. The old program's store is the key it used
// (HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>), so
// that stored positions carry over; what only this program keeps goes under
// HKEY_CURRENT_USER\Software\<application> instead, leaving that key as the
// old program knows it. The environment variable TAVO_SETTINGS_ROOT names
// another registry key in place of HKEY_CURRENT_USER\Software, so that tests
// never touch the user's own. A store on an explicit INI file serves tests
// and other locations.
//
// An INI file is never opened by name by QSettings, which would wait forever
// on a FIFO swapped in after any check: the store reads the file through a
// descriptor that never waits, lets QSettings work on a private copy, and on
// flush replaces the file whole with the copy's contents.
class QSettingsStore : public SettingsStore
{
public:
    enum class Owner { OldProgram, Ours };

    explicit QSettingsStore(Owner owner = Owner::OldProgram);
    explicit QSettingsStore(const QString &iniFile);
    ~QSettingsStore() override;

    QString GetSetting(const QString &application, const QString &section, const QString &key,
                       const QString &defaultValue) override;
    void SaveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;
    bool flush() override;
    QString location() const override;

    // Why the stored values of the application could not be read (in
    // Japanese, naming the file), or empty. The store then gives defaults.
    QString readProblem(const QString &application);

private:
    QSettings *settingsFor(const QString &application);
    QString iniPath(const QString &application) const;
    // Copies the INI file at `path` (or nothing, when there is none) to the
    // private copy and opens QSettings on it; false, with m_problem, when the
    // file cannot be read.
    bool openCopy(const QString &path);
    bool flushCopy(const QList<std::pair<QString, QString>> &written);
    bool valuesArrived(const QList<std::pair<QString, QString>> &written) const;

    Owner m_owner = Owner::OldProgram;
    QString m_iniFile;
    QString m_application;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_copyDir; // holds the private copy of an INI file
    QString m_path;                           // the INI file itself, when the store is one
    bool m_blocked = false;                   // the file is no regular file and is not touched
    QString m_problem;
    // Saved since the last flush, to check the file when QSettings cannot say.
    QList<std::pair<QString, QString>> m_unflushed;
};
