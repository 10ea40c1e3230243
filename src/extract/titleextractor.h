#pragma once

#include "capturewindows.h"
#include "drawingfile.h"

#include <QString>

#include <array>
#include <functional>

class QIODevice;

// Reads one drawing and returns the title fields found in it: for each
// field the text of the last block inside its capture window.
class TitleExtractor
{
public:
    struct Result
    {
        bool readable = false; // false: the file got no row (see error)
        QString error;         // why it could not be read, in Japanese
        std::array<QString, 6> fields;
        std::array<bool, 6> captured{};
        bool noTextRecords = false; // read, but it holds no text at all
    };

    // `chunkSize`: bytes read at a time (small ones serve the fuzzing).
    explicit TitleExtractor(const std::array<QString, 12> &XYPos,
                            std::size_t chunkSize = DrawingScanner::defaultChunkSize);

    // Only regular files are read; compressed drawings are expanded on the way.
    Result extractFile(const QString &path) const;
    Result extract(QIODevice &device) const;

    // What a drawing without any text is told, beside its row.
    static QString noTextNotice();

private:
    using Reading = std::function<DrawingFile::Outcome(DrawingFile &, DrawingScanner &,
                                                       const DrawingScanner::BlockHandler &)>;
    Result read(const Reading &reading) const;

    CaptureWindows m_windows;
    std::size_t m_chunkSize;
};
