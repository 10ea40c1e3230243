#pragma once

#include "capturewindows.h"

#include <QString>

#include <array>

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
    };

    explicit TitleExtractor(const std::array<QString, 12> &XYPos);

    // Only regular files are opened: a FIFO or a device would block or never end.
    Result extractFile(const QString &path) const;
    Result extract(QIODevice &device) const;

private:
    CaptureWindows m_windows;
};
