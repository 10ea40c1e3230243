#include "qsettingsstore.h"

#include "fileerror.h"
#include "filekind.h"
#include "savefile.h"

#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>

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

namespace {

// Far beyond any settings file; a larger one is not read into memory.
constexpr qint64 largestSettingsFile = 4 * 1024 * 1024;

} // namespace

bool QSettingsStore::openCopy(const QString &path)
{
    m_settings.reset();
    QByteArray bytes;
    const FileKind::Opened opened = FileKind::openRegular(path);
    if (opened.file) {
        errno = 0;
        bytes = opened.file->read(largestSettingsFile + 1);
        if (opened.file->error() != QFileDevice::NoError) {
            m_problem =
                QStringLiteral("設定ファイル %1 を読めません（%2）。")
                    .arg(path, FileError::reason(*opened.file, errno, FileError::Access::Read));
            return false;
        }
        if (bytes.size() > largestSettingsFile) {
            m_problem = QStringLiteral("設定ファイル %1 が大きすぎるので読みません。").arg(path);
            return false;
        }
    } else if (opened.kind != FileKind::Missing) {
        m_problem =
            QStringLiteral("設定ファイル %1 が通常のファイルではないので読みません。").arg(path);
        return false;
    } else if (opened.error != ENOENT) {
        m_problem = QStringLiteral("設定ファイル %1 を読めません（%2）。")
                        .arg(path, FileError::reason(opened.error, FileError::Access::Read));
        return false;
    }
    if (!m_copyDir) {
        m_copyDir = std::make_unique<QTemporaryDir>();
    }
    const QString copyPath = m_copyDir->filePath(QStringLiteral("settings.ini"));
    QFile copy(copyPath);
    if (!m_copyDir->isValid() || !copy.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        copy.write(bytes) != bytes.size() || !copy.flush()) {
        m_problem =
            QStringLiteral("設定ファイル %1 を読めません（一時ファイルを作れません）。").arg(path);
        return false;
    }
    copy.close();
    m_settings = std::make_unique<QSettings>(copyPath, QSettings::IniFormat);
    if (m_settings->status() == QSettings::FormatError) {
        m_problem = QStringLiteral("設定ファイル %1 の書式が壊れています。").arg(path);
    }
    return true;
}

QSettings *QSettingsStore::settingsFor(const QString &application)
{
    if ((!m_settings && !m_blocked) || application != m_application) {
        m_application = application;
        m_settings.reset();
        m_blocked = false;
        m_problem.clear();
        m_path = iniPath(application);
        if (!m_path.isEmpty()) {
            m_blocked = !openCopy(m_path);
            return m_settings.get();
        }
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
        if (m_settings->status() == QSettings::AccessError) {
            m_problem = QStringLiteral("設定 %1 を読めません（読み取る権限がありません）。")
                            .arg(m_settings->fileName());
        }
#endif
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

bool QSettingsStore::valuesArrived(const QList<std::pair<QString, QString>> &written) const
{
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

bool QSettingsStore::flushCopy(const QList<std::pair<QString, QString>> &written)
{
    if (const int error =
            FileKind::of(m_path) == FileKind::Missing ? 0 : FileKind::writeAccessError(m_path)) {
        m_problem = QStringLiteral("設定ファイル %1 に書き込めません（%2）。")
                        .arg(m_path, FileError::reason(error, FileError::Access::Write));
        return false;
    }
    // Read again what is there now, so that keys another program stored
    // meanwhile stay, and put this store's values on top.
    const QString problem = m_problem;
    if (!openCopy(m_path)) {
        return false;
    }
    m_problem = problem;
    for (const auto &[path, value] : written) {
        m_settings->setValue(path, value);
    }
    m_settings->sync();
    if (m_settings->status() == QSettings::AccessError || !valuesArrived(written)) {
        return false;
    }
    QFile copy(m_settings->fileName());
    if (!copy.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = copy.readAll();
    QSaveFile file(FileKind::openName(m_path));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        m_problem = QStringLiteral("設定ファイル %1 に書き込めません（%2）。")
                        .arg(m_path, FileError::reason(file, errno, FileError::Access::Write));
        return false;
    }
    file.write(bytes);
    const QString reason = SaveFile::commit(file);
    if (!reason.isEmpty()) {
        m_problem = QStringLiteral("設定ファイル %1 に書き込めません（%2）。").arg(m_path, reason);
        return false;
    }
    return true;
}

bool QSettingsStore::flush()
{
    QList<std::pair<QString, QString>> written;
    written.swap(m_unflushed);
    if (m_blocked) {
        return false;
    }
    if (!m_settings) {
        return true;
    }
    if (!m_path.isEmpty()) {
        return flushCopy(written);
    }
    m_settings->sync();
    if (!m_settings->isWritable() || m_settings->status() == QSettings::AccessError) {
        return false;
    }
    return m_settings->status() == QSettings::NoError || valuesArrived(written);
}

QString QSettingsStore::location() const
{
    if (!m_path.isEmpty() || m_blocked) {
        return m_path.isEmpty() ? iniPath(m_application) : m_path;
    }
    return m_settings ? m_settings->fileName() : m_iniFile;
}
