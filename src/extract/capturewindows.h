#pragma once

#include <QString>

#include <array>
#include <optional>

// The six capture windows around the configured points. A text is captured
// for a field when its position lies strictly inside Kx - 5 < X < Kx + 5 and
// Ky - 5 < Y < Ky + 5. The bounds are taken to 15 significant digits, so
// that a decimal position exactly 5 away stays outside whatever binary
// rounding does (K = 12.3, X = 17.3 is outside).
class CaptureWindows
{
public:
    // XYPos: entry 2k the X and 2k + 1 the Y of field k, in column order.
    explicit CaptureWindows(const std::array<QString, 12> &XYPos);

    // Inline: asked six times for every text of every drawing.
    bool contains(int column, double x, double y) const
    {
        const std::optional<Bounds> &bounds = m_windows[std::size_t(column)];
        return bounds && bounds->lowX < x && x < bounds->highX && bounds->lowY < y &&
               y < bounds->highY;
    }
    // False when a position of the field is no number: the field is never captured.
    bool isActive(int column) const { return m_windows[std::size_t(column)].has_value(); }

    // The order the fields are tested in: 図番, 品名, 個数, 備考, then 材料 and 表面処理.
    static constexpr std::array<int, 6> testOrder = {0, 1, 4, 5, 2, 3};

    static double roundTo15Digits(double value);

    // A set of positions whose values are all empty or 0 is not in use.
    static bool inUse(const std::array<QString, 12> &XYPos);

private:
    struct Bounds
    {
        double lowX, highX, lowY, highY;
    };
    std::array<std::optional<Bounds>, 6> m_windows;
};
