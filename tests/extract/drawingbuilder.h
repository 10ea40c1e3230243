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

enum class Layout { Older, Newer };

// A TEX record as drawing programs write it: `properties` property
// references, alignment 4, a matrix placing the text at (x, y), upright or
// turned a quarter, of `height`, and the text's lines.
inline QByteArray textRecord(Layout layout, const QByteArray &x, const QByteArray &y,
                             const QList<QByteArray> &lines, int properties = 1,
                             bool turned = false, const QByteArray &lineEnd = "\r\n",
                             const QByteArray &height = "5")
{
    QList<QByteArray> body = {"4", "3", "0", "1"};
    if (layout == Layout::Newer) {
        body.append("0");
    }
    body.append(QByteArray::number(properties));
    for (int i = 0; i < properties; ++i) {
        body.append(QByteArray::number(i + 2));
    }
    const QList<QByteArray> rotation =
        turned ? QList<QByteArray>{"0", "-1", "1", "0"} : QList<QByteArray>{"1", "0", "0", "1"};
    body += {"4", rotation[0], rotation[1], x,   rotation[2], rotation[3], y,
             "0", "0",         "1",         "0", "0",         "hp_i3098_v"};
    if (layout == Layout::Newer) {
        body.append("hp_i3098_v");
    }
    body += {"0", "0", "3.5", height, "0", "1.5", "0", QByteArray::number(lines.size())};
    for (const QByteArray &line : lines) {
        body += {line, "0"};
    }
    return "TEX" + lineEnd + body.join(lineEnd) + lineEnd + "|~" + lineEnd;
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
