#pragma once

#include "capturewindows.h"
#include "drawingfile.h"
#include "titlelabels.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QIODevice;

// Reads one drawing and returns the title fields found in it: for each
// field the text of the last block inside its capture window. With several
// position sets, the first set in use whose 図番 window holds a text reads
// the drawing; a drawing no set fits is read by its title block's labels,
// and failing those by set 1.
class TitleExtractor
{
public:
    static constexpr int Sets = 3;
    using Positions = std::array<QString, 12>;

    struct Sources
    {
        std::array<Positions, Sets> sets; // sets 2 and 3 empty: not in use
        bool byLabels = true;
        TitleLabels labels;
    };

    // How a drawing's fields were found.
    enum class Source { Set1, Set2, Set3, Labels, NoDrawingNumber };

    struct Result
    {
        bool readable = false; // false: the file got no row (see error)
        QString error;         // why it could not be read, in Japanese
        std::array<QString, 6> fields;
        std::array<bool, 6> captured{};
        bool noTextRecords = false; // read, but it holds no text at all
        Source source = Source::NoDrawingNumber;
    };

    // `chunkSize`: bytes read at a time (small ones serve the fuzzing).
    // One set and no labels.
    explicit TitleExtractor(const Positions &XYPos,
                            std::size_t chunkSize = DrawingScanner::defaultChunkSize);
    explicit TitleExtractor(const Sources &sources,
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
    // The six fields by the labels, when they give a 図番.
    std::optional<std::array<QString, 6>> readLabels(const Reading &reading) const;
    // The file-order numbers of the texts that are labels, each given to
    // `matcher`; none when the drawing has no 図番 label or too many labels.
    std::optional<std::vector<std::size_t>> findLabels(const Reading &reading,
                                                       TitleLabels::Matcher &matcher) const;

    std::array<CaptureWindows, Sets> m_windows;
    std::array<bool, Sets> m_inUse{};
    std::optional<TitleLabels> m_labels;
    std::size_t m_chunkSize;
};
