#include "textfit.h"

#include <QFontMetricsF>
#include <QImage>

#include <algorithm>
#include <optional>

namespace {

const QString ellipsis = QStringLiteral("…");

// A break never falls inside a surrogate pair.
qsizetype safeBreak(QStringView text, qsizetype at)
{
    if (at > 0 && at < text.size() && text.at(at - 1).isHighSurrogate() &&
        text.at(at).isLowSurrogate()) {
        return at - 1;
    }
    return at;
}

// The longest start of `text` whose width, with `suffix` after it, is at most `cap`.
qsizetype longestPrefix(QStringView text, const QString &suffix, double cap, double points,
                        const TextFit::Measure &width)
{
    qsizetype low = 0; // known to fit
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        const QString candidate = text.left(middle).toString() + suffix;
        if (width(candidate, points) <= cap) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return safeBreak(text, low);
}

// Two lines as even as the text allows, each at most `cap` wide at the
// smallest size; nothing when no break gives that.
std::optional<TextFit::Fitted> evenLines(const QString &text, double cap,
                                         const TextFit::Measure &width)
{
    const double whole = width(text, TextFit::smallestPoints);
    qsizetype low = 1;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (width(QStringView(text).left(middle), TextFit::smallestPoints) < whole / 2) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    for (const qsizetype at : {safeBreak(text, low), safeBreak(text, low - 1)}) {
        if (at <= 0 || at >= text.size()) {
            continue;
        }
        const QString first = text.left(at);
        const QString second = text.mid(at);
        if (width(first, TextFit::smallestPoints) <= cap &&
            width(second, TextFit::smallestPoints) <= cap) {
            return TextFit::Fitted{{first, second}, TextFit::smallestPoints, false};
        }
    }
    return std::nullopt;
}

} // namespace

namespace TextFit {

Fitted fit(const QString &text, double room, double points, const Measure &width)
{
    if (room <= 0 || text.isEmpty()) {
        return {{text}, points, false};
    }
    // Natural width one line may have at the smallest size.
    const double cap = room / minimumStretch;
    // No character is narrower than a fifth of its size, so anything past
    // this many cannot fit two lines: the rest is never measured.
    const auto limit = qsizetype(2 * cap / (0.2 * smallestPoints * millimetresPerPoint)) + 2;
    const bool tooLong = text.size() > limit;
    const QString considered = tooLong ? text.left(safeBreak(text, limit)) : text;
    if (!tooLong) {
        const double natural = width(considered, points);
        if (natural * minimumStretch <= room) {
            return {{text}, points, false};
        }
        double size = points * room / (natural * minimumStretch);
        if (size >= smallestPoints) {
            // Hinting keeps a text from shrinking exactly in proportion.
            const double shrunk = width(considered, size);
            if (shrunk * minimumStretch > room) {
                size *= room / (shrunk * minimumStretch);
            }
            if (size >= smallestPoints) {
                return {{text}, size, false};
            }
        }
        if (std::optional<Fitted> even = evenLines(considered, cap, width)) {
            return *even;
        }
    }
    // Fill the first line, then the second as far as room for "…" allows.
    const qsizetype firstEnd =
        std::max<qsizetype>(1, longestPrefix(considered, QString(), cap, smallestPoints, width));
    const QStringView rest = QStringView(considered).mid(firstEnd);
    if (!tooLong && width(rest, smallestPoints) <= cap) {
        return {{considered.left(firstEnd), rest.toString()}, smallestPoints, false};
    }
    const qsizetype secondEnd = longestPrefix(rest, ellipsis, cap, smallestPoints, width);
    return {{considered.left(firstEnd), rest.left(secondEnd).toString() + ellipsis},
            smallestPoints,
            true};
}

Measure referenceMeasure(const QFont &face)
{
    return [face](QStringView text, double points) {
        constexpr int dpi = 1200;
        static const QImage sheet = [] {
            QImage image(1, 1, QImage::Format_Mono);
            image.setDotsPerMeterX(qRound(dpi / 0.0254));
            image.setDotsPerMeterY(qRound(dpi / 0.0254));
            return image;
        }();
        QFont font = face;
        font.setPointSizeF(points);
        return QFontMetricsF(font, &sheet).horizontalAdvance(text.toString()) * 25.4 / dpi;
    };
}

} // namespace TextFit
