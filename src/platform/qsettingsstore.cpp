#include "qsettingsstore.h"

#include <QSettings>
#include <QStringList>

QSettingsStore::QSettingsStore() = default;

QSettingsStore::QSettingsStore(const QString &iniFile) : m_iniFile(iniFile) {}

QSettingsStore::~QSettingsStore() = default;

QSettings &QSettingsStore::settingsFor(const QString &application)
{
    if (!m_settings || application != m_application) {
        m_application = application;
        if (!m_iniFile.isEmpty()) {
            m_settings = std::make_unique<QSettings>(m_iniFile, QSettings::IniFormat);
        } else {
#ifdef Q_OS_WIN
            m_settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                     QStringLiteral("VB and VBA Program Settings"),
                                                     application);
#else
            m_settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                     application);
#endif
        }
    }
    return *m_settings;
}

QString QSettingsStore::GetSetting(const QString &application, const QString &section,
                                   const QString &key, const QString &defaultValue)
{
    QSettings &settings = settingsFor(application);
    const QVariant value = settings.value(section + QLatin1Char('/') + key, defaultValue);
    // A hand-edited INI line such as "Key1=1,5" comes back as a list; keep its text.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

void QSettingsStore::SaveSetting(const QString &application, const QString &section,
                                 const QString &key, const QString &value)
{
    const QString path = section + QLatin1Char('/') + key;
    settingsFor(application).setValue(path, value);
    m_unflushed.append({path, value});
}

bool QSettingsStore::flush()
{
    if (!m_settings) {
        return true;
    }
    m_settings->sync();
    QList<std::pair<QString, QString>> written;
    written.swap(m_unflushed);
    if (!m_settings->isWritable() || m_settings->status() == QSettings::AccessError) {
        return false;
    }
    if (m_settings->status() == QSettings::NoError) {
        return true;
    }
    // A FormatError only says the old file was garbled when it was read, and
    // it hides any later error; QSettings still rewrites the file. Whether
    // the values arrived is then told by the file itself.
    QSettings check(m_settings->fileName(), m_settings->format());
    if (check.status() != QSettings::NoError) {
        return false;
    }
    for (const auto &[path, value] : written) {
        if (check.value(path).toString() != value) {
            return false;
        }
    }
    return true;
}

QString QSettingsStore::location() const
{
    if (m_settings) {
        return m_settings->fileName();
    }
    return m_iniFile;
}
