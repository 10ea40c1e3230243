#pragma once

#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <utility>

class QIODevice;

// Every text of one drawing, in file order, at the position the title
// extraction reads for it. The settings' drawing view and `tavo-extract
// --texts` show this, so what the user sees is what a drop captures.
class DrawingTexts
{
public:
    // Used where the drawing does not say how tall its text is.
    static constexpr double defaultHeight = 3.5;
    // A drawing holds a few thousand texts; these bounds keep a file that
    // expands to gigabytes of them from taking all memory and minutes.
    static constexpr qsizetype maxTexts = 200'000;
    static constexpr qsizetype maxTextBytes = 32 * 1024 * 1024;

    struct Text
    {
        double x = 0;
        double y = 0;
        QString text;
        double height = defaultHeight;
    };

    struct Result
    {
        bool readable = false; // false: nothing could be read (see error)
        QString error;         // why not, or why only in part (too many texts), in Japanese
        QList<Text> texts;
    };

    static Result readFile(const QString &path);
    static Result read(QIODevice &device);

    // For each field, in column order, the index of the text a drop would
    // capture with these positions (the last one inside its window), or none.
    static std::array<std::optional<qsizetype>, 6> captured(const QList<Text> &texts,
                                                            const std::array<QString, 12> &XYPos);

    // A position whose capture window holds text `index` and no other text,
    // or none when every such window holds another one too. The text's own
    // position where it will do; otherwise a point on a 0.1 grid, as far from
    // the window edges as the neighbours allow.
    static std::optional<std::pair<double, double>> pointCapturingOnly(const QList<Text> &texts,
                                                                       qsizetype index);
};
