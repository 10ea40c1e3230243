#include "qsettingsstore.h"

#include "filekind.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

QSettingsStore::QSettingsStore(Owner owner) : m_owner(owner) {}

QSettingsStore::QSettingsStore(const QString &iniFile) : m_iniFile(iniFile) {}

QSettingsStore::~QSettingsStore() = default;

QString QSettingsStore::iniPath(const QString &application) const
{
    if (!m_iniFile.isEmpty()) {
        return m_iniFile;
    }
#ifdef Q_OS_WIN
    Q_UNUSED(application);
    return QString();
#else
    // Both owners' stores are files of their own, told apart by their
    // application's name.
    static_cast<void>(m_owner);
    // Where QSettings keeps a user-scope INI file of this organisation name.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + application + QStringLiteral(".ini");
#endif
}

QSettings *QSettingsStore::settingsFor(const QString &application)
{
    if ((!m_settings && !m_blocked) || application != m_application) {
        m_application = application;
        m_settings.reset();
        m_blocked = false;
        m_problem.clear();
        // QSettings reads the file as it starts and would wait forever on a
        // FIFO; anything but a regular file is left alone.
        const QString path = iniPath(application);
        const FileKind::Kind kind = path.isEmpty() ? FileKind::Missing : FileKind::of(path);
        if (kind != FileKind::Missing && kind != FileKind::Regular) {
            m_blocked = true;
            m_problem = QStringLiteral("設定ファイル %1 が通常のファイルではないので読みません。")
                            .arg(path);
            return nullptr;
        }
        if (!m_iniFile.isEmpty()) {
            m_settings = std::make_unique<QSettings>(m_iniFile, QSettings::IniFormat);
        } else {
#ifdef Q_OS_WIN
            QString root = qEnvironmentVariable("TAVO_SETTINGS_ROOT");
            if (root.isEmpty()) {
                root = QStringLiteral("HKEY_CURRENT_USER\\Software");
            }
            if (m_owner == Owner::OldProgram) {
                root += QStringLiteral("\\VB and VBA Program Settings");
            }
            m_settings = std::make_unique<QSettings>(root + QLatin1Char('\\') + application,
                                                     QSettings::NativeFormat);
#else
            m_settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                     application);
#endif
        }
        if (m_settings->status() == QSettings::AccessError ||
            (kind == FileKind::Regular && !QFileInfo(path).isReadable())) {
            m_problem = QStringLiteral("設定ファイル %1 を読めません（読み取る権限がありません）。")
                            .arg(m_settings->fileName());
        } else if (m_settings->status() == QSettings::FormatError) {
            m_problem = QStringLiteral("設定ファイル %1 の書式が壊れています。")
                            .arg(m_settings->fileName());
        }
    }
    return m_settings.get();
}

QString QSettingsStore::readProblem(const QString &application)
{
    settingsFor(application);
    return m_problem;
}

QString QSettingsStore::GetSetting(const QString &application, const QString &section,
                                   const QString &key, const QString &defaultValue)
{
    QSettings *settings = settingsFor(application);
    if (!settings) {
        return defaultValue;
    }
    const QVariant value = settings->value(section + QLatin1Char('/') + key, defaultValue);
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
    if (QSettings *settings = settingsFor(application)) {
        settings->setValue(path, value);
    }
    m_unflushed.append({path, value});
}

bool QSettingsStore::flush()
{
    if (m_blocked) {
        m_unflushed.clear();
        return false;
    }
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
    return m_blocked ? iniPath(m_application) : m_iniFile;
}
