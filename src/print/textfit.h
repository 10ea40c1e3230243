#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// How a text is fitted into the width of a column on a printed page: at its
// own size when it fits; condensed down to half its width; then in a smaller
// font, never below a legible size; then on two lines that share the row's
// band; and what does not fit two lines is cut and ends in "…".
namespace TextFit {

// Narrowest condensing, as a share of the text's natural width.
inline constexpr double minimumStretch = 0.5;
// Below this the characters of a photocopied sheet run together.
inline constexpr double smallestPoints = 6.5;
inline constexpr double millimetresPerPoint = 25.4 / 72;

struct Fitted
{
    QStringList lines;      // one, or two sharing the band
    double points = 0;      // font size of every line
    bool shortened = false; // cut: the last line ends in "…"
};

// The natural width (mm) of a text at a font size (points).
using Measure = std::function<double(QStringView text, double points)>;

// Fits `text`, set at `points`, into `room` millimetres.
Fitted fit(const QString &text, double room, double points, const Measure &width);

// Widths measured as on a 1200 dpi sheet, so that a text is laid out alike
// on the screen, on paper and in a PDF.
Measure referenceMeasure(const QFont &face);

} // namespace TextFit
