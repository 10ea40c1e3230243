#pragma once

#include <QByteArray>
#include <QList>

#include <array>
#include <utility>

// Builds drawing files for tests: text blocks in the layout the scanner
// reads, with X on line n - 21, Y on n - 18 and the text on n - 2.
namespace DrawingBuilder {

// A block of `lines` lines before its terminator "|~" (n = lines + 1).
inline QByteArray textBlock(const QByteArray &x, const QByteArray &y, const QByteArray &text,
                            int lines = 29, const QByteArray &lineEnd = "\r\n")
{
    const int n = lines + 1;
    QList<QByteArray> body(lines, QByteArray("0"));
    // A block too short for all three lines gets those that fit.
    for (const auto &[back, value] : {std::pair{21, x}, std::pair{18, y}, std::pair{2, text}}) {
        if (n - back >= 1) {
            body[n - back - 1] = value;
        }
    }
    QByteArray block = "TEX" + lineEnd;
    for (const QByteArray &line : body) {
        block += line + lineEnd;
    }
    return block + "|~" + lineEnd;
}

// Every field at (0, 0) except 図番, which is at (x, y).
inline std::array<QString, 12> positionsWithDrawingNumberAt(const QString &x, const QString &y)
{
    std::array<QString, 12> positions;
    positions.fill(QStringLiteral("1000"));
    positions[0] = x;
    positions[1] = y;
    return positions;
}

} // namespace DrawingBuilder
