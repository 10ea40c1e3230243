#pragma once

#include "drawingscanner.h"

#include <QString>

class QIODevice;

// Reads one drawing through a DrawingScanner, from its path or from an open
// device. Only regular files are read: the file is opened without waiting
// and then checked, so a path that turns into a FIFO or a device between a
// look at it and the open never blocks. A drawing that starts with the gzip
// magic bytes is expanded as it streams, up to `expansionLimit` bytes, so a
// small file cannot hold the reader for hours. Errors are Japanese and name
// the cause; the caller adds the file name.
class DrawingFile
{
public:
    enum class Outcome {
        Read,       // read to its end
        Unreadable, // nothing may be used: not opened, a read failed, or a broken stream
    };

    static constexpr qint64 defaultExpansionLimit = qint64(4) << 30;

    explicit DrawingFile(qint64 expansionLimit = defaultExpansionLimit)
        : m_expansionLimit(expansionLimit)
    {}

    Outcome scanFile(const QString &path, DrawingScanner &scanner,
                     const DrawingScanner::BlockHandler &onBlock);
    Outcome scan(QIODevice &device, DrawingScanner &scanner,
                 const DrawingScanner::BlockHandler &onBlock);

    QString errorString() const { return m_error; }

private:
    qint64 m_expansionLimit;
    QString m_error;
};
