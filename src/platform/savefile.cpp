#include "savefile.h"

#include "fileerror.h"

#include <QSaveFile>

#include <cerrno>

namespace SaveFile {

QString commit(QSaveFile &file)
{
    errno = 0;
    if (!file.flush()) {
        const QString reason = FileError::reason(file, errno, FileError::Access::Write);
        file.cancelWriting();
        return reason;
    }
    errno = 0;
    if (!file.commit()) {
        return FileError::reason(file, errno, FileError::Access::Write);
    }
    return QString();
}

} // namespace SaveFile
