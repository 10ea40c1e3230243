#include "argumentnames.h"

#include "codepage.h"

#include <QDir>
#include <QFile>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

ArgumentNames::ArgumentNames(int argc, char *argv[])
{
    for (int i = 0; i < argc; ++i) {
        const QByteArrayView raw(argv[i]);
        if (raw.isValidUtf8()) {
            list.append(QString::fromLocal8Bit(raw));
            continue;
        }
        const QString shown = CodePage::decode(raw);
        const QString alias = linkTo(argv[i]);
        if (alias.isEmpty()) {
            list.append(shown);
            continue;
        }
        m_shown.insert(alias, shown);
        list.append(alias);
    }
}

QString ArgumentNames::linkTo(const char *name)
{
    struct stat status;
    if (::lstat(name, &status) != 0) {
        return QString();
    }
    if (!m_links) {
        m_links = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QStringLiteral("/tavo-names-XXXXXX"));
    }
    if (!m_links->isValid()) {
        return QString();
    }
    QByteArray target(name);
    if (!target.startsWith('/')) {
        // The folder's own bytes: its name may be no UTF-8 either.
        char folder[PATH_MAX];
        if (!::getcwd(folder, sizeof folder)) {
            return QString();
        }
        target.prepend(QByteArray(folder) + '/');
    }
    const QString alias = m_links->filePath(QString::number(m_shown.size()));
    if (::symlink(target.constData(), QFile::encodeName(alias).constData()) != 0) {
        return QString();
    }
    return alias;
}
