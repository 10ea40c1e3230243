#pragma once

#include <QString>

class QSaveFile;

namespace SaveFile {

// Finishes a QSaveFile: its buffer is flushed and checked first, since
// QSaveFile::commit() replaces the target even when the last bytes it still
// held could not be written (a full disk, a file size limit). An empty
// string when the file now holds all of it; else the reason in Japanese,
// and the target is left as it was.
QString commit(QSaveFile &file);

} // namespace SaveFile
