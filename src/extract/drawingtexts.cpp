#include "drawingtexts.h"

#include "capturewindows.h"
#include "drawingfile.h"
#include "drawingscanner.h"
#include "shell/decimalnumber.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Printable ASCII reads the same in every encoding a drawing may have; a
// Latin-1 copy of it spares the code page's table (2 % of reading 100,000 texts).
QString decodeText(const DrawingScanner &scanner, std::string_view bytes)
{
    for (const char byte : bytes) {
        if (byte < 0x20 || byte > 0x7e) {
            return scanner.decodeText(bytes);
        }
    }
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// Reads through `drawing` from a path or a device, as a drop reads it.
template <typename Source> DrawingTexts::Result readTexts(Source &&source)
{
    DrawingTexts::Result result;
    DrawingScanner scanner;
    DrawingFile drawing;
    qsizetype textBytes = 0;
    bool tooMany = false;
    const DrawingFile::Outcome outcome =
        source(drawing, scanner, [&](const DrawingScanner::Block &block) {
            textBytes += qsizetype(block.textLine.size());
            if (tooMany || result.texts.size() >= DrawingTexts::maxTexts ||
                textBytes > DrawingTexts::maxTextBytes) {
                tooMany = true;
                scanner.stop();
                return;
            }
            const double height = DecimalNumber::leadingValue(block.heightLine);
            result.texts.append({DecimalNumber::leadingValue(block.xLine),
                                 DecimalNumber::leadingValue(block.yLine),
                                 decodeText(scanner, block.textLine),
                                 height > 0 ? height : DrawingTexts::defaultHeight});
        });
    switch (outcome) {
    case DrawingFile::Outcome::Read:
        result.readable = true;
        if (tooMany) {
            result.error =
                QStringLiteral("文字が多すぎるので、初めの %1 個までを読みました（読むのは %2 "
                               "個、合わせて %3 MB まで）")
                    .arg(result.texts.size())
                    .arg(DrawingTexts::maxTexts)
                    .arg(DrawingTexts::maxTextBytes >> 20);
        }
        break;
    case DrawingFile::Outcome::Unreadable:
        result.texts.clear();
        result.error = drawing.errorString();
        break;
    }
    return result;
}

} // namespace

DrawingTexts::Result DrawingTexts::readFile(const QString &path)
{
    return readTexts([&](DrawingFile &drawing, DrawingScanner &scanner, const auto &onBlock) {
        return drawing.scanFile(path, scanner, onBlock);
    });
}

DrawingTexts::Result DrawingTexts::read(QIODevice &device)
{
    return readTexts([&](DrawingFile &drawing, DrawingScanner &scanner, const auto &onBlock) {
        return drawing.scan(device, scanner, onBlock);
    });
}

std::array<std::optional<qsizetype>, 6> DrawingTexts::captured(const QList<Text> &texts,
                                                               const std::array<QString, 12> &XYPos)
{
    const CaptureWindows windows(XYPos);
    std::array<std::optional<qsizetype>, 6> result;
    // Later texts overwrite earlier ones in a drop, so the last one inside wins.
    for (qsizetype index = texts.size() - 1; index >= 0; --index) {
        const Text &text = texts[index];
        bool allFound = true;
        for (std::size_t column = 0; column < result.size(); ++column) {
            if (!result[column] && windows.contains(int(column), text.x, text.y)) {
                result[column] = index;
            }
            allFound = allFound && (result[column] || !windows.isActive(int(column)));
        }
        if (allFound) {
            break;
        }
    }
    return result;
}

namespace {

// Whether a window at (x, y), as the positions would read it, holds the text
// `index` and none of `near`.
bool holdsOnly(double x, double y, const DrawingTexts::Text &target,
               const std::vector<const DrawingTexts::Text *> &near)
{
    std::array<QString, 12> XYPos;
    XYPos[0] = QString::number(x, 'g', 15);
    XYPos[1] = QString::number(y, 'g', 15);
    const CaptureWindows window(XYPos);
    if (!window.contains(0, target.x, target.y)) {
        return false;
    }
    return std::none_of(near.begin(), near.end(), [&](const DrawingTexts::Text *text) {
        return window.contains(0, text->x, text->y);
    });
}

// Grid steps (tenths) strictly inside (low, high).
std::pair<long long, long long> tenthsInside(double low, double high)
{
    return {static_cast<long long>(std::floor(low * 10)) + 1,
            static_cast<long long>(std::ceil(high * 10)) - 1};
}

// The grid point (in tenths) nearest `target` whose window holds the target
// `margin` inside its edges and no neighbour within `margin` of them.
std::optional<std::pair<double, double>>
nearestFreePoint(const DrawingTexts::Text &target,
                 const std::vector<const DrawingTexts::Text *> &near, double margin)
{
    const auto [firstX, lastX] = tenthsInside(target.x - 5 + margin, target.x + 5 - margin);
    const auto [firstY, lastY] = tenthsInside(target.y - 5 + margin, target.y + 5 - margin);
    if (firstX > lastX || firstY > lastY) {
        return std::nullopt;
    }
    const auto columns = std::size_t(lastX - firstX + 1);
    const auto rows = std::size_t(lastY - firstY + 1);
    // Each neighbour blocks a rectangle of grid points; a summed table
    // marks them all in one pass, however many neighbours there are.
    std::vector<int> blocked((columns + 1) * (rows + 1), 0);
    const auto at = [&](std::size_t column, std::size_t row) -> int & {
        return blocked[row * (columns + 1) + column];
    };
    for (const DrawingTexts::Text *text : near) {
        const auto [lowX, highX] = tenthsInside(text->x - 5 - margin, text->x + 5 + margin);
        const auto [lowY, highY] = tenthsInside(text->y - 5 - margin, text->y + 5 + margin);
        const long long left = std::max(lowX, firstX) - firstX;
        const long long right = std::min(highX, lastX) - firstX;
        const long long top = std::max(lowY, firstY) - firstY;
        const long long bottom = std::min(highY, lastY) - firstY;
        if (left > right || top > bottom) {
            continue;
        }
        at(std::size_t(left), std::size_t(top)) += 1;
        at(std::size_t(right + 1), std::size_t(top)) -= 1;
        at(std::size_t(left), std::size_t(bottom + 1)) -= 1;
        at(std::size_t(right + 1), std::size_t(bottom + 1)) += 1;
    }
    std::optional<std::pair<double, double>> best;
    double bestDistance = 0;
    std::vector<int> runningColumn(columns + 1, 0);
    for (std::size_t row = 0; row < rows; ++row) {
        int running = 0;
        for (std::size_t column = 0; column < columns; ++column) {
            runningColumn[column] += at(column, row);
            running += runningColumn[column];
            if (running != 0) {
                continue;
            }
            const double x = double(firstX + static_cast<long long>(column)) / 10;
            const double y = double(firstY + static_cast<long long>(row)) / 10;
            const double distance = std::hypot(x - target.x, y - target.y);
            if ((!best || distance < bestDistance) && holdsOnly(x, y, target, near)) {
                best = std::pair{x, y};
                bestDistance = distance;
            }
        }
    }
    return best;
}

} // namespace

std::optional<std::pair<double, double>> DrawingTexts::pointCapturingOnly(const QList<Text> &texts,
                                                                          qsizetype index)
{
    const Text &target = texts[index];
    if (!std::isfinite(target.x) || !std::isfinite(target.y)) {
        return std::nullopt;
    }
    // Only texts within twice the half-width can share a window with the target.
    std::vector<const Text *> near;
    for (qsizetype other = 0; other < texts.size(); ++other) {
        const Text &text = texts[other];
        if (other != index && std::abs(text.x - target.x) < 10 &&
            std::abs(text.y - target.y) < 10) {
            near.push_back(&text);
        }
    }
    if (holdsOnly(target.x, target.y, target, near)) {
        return std::pair{target.x, target.y};
    }
    // Tenths of such a coordinate would not fit the grid's integers.
    if (std::abs(target.x) > 1e12 || std::abs(target.y) > 1e12) {
        return std::nullopt;
    }
    // Widest margins first, so that the same title block drawn a little
    // differently still reads the same; nearest the text among equals.
    for (const double margin : {2.0, 1.0, 0.5, 0.2, 0.05}) {
        if (const auto best = nearestFreePoint(target, near, margin)) {
            return best;
        }
    }
    return std::nullopt;
}
