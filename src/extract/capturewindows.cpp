#include "capturewindows.h"

#include "settings/positionvalue.h"

#include <charconv>
#include <cstdio>

double CaptureWindows::roundTo15Digits(double value)
{
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%.15g", value);
    double rounded = value;
    std::from_chars(text, text + length, rounded);
    return rounded;
}

CaptureWindows::CaptureWindows(const std::array<QString, 12> &XYPos)
{
    for (std::size_t column = 0; column < m_windows.size(); ++column) {
        const std::optional<double> x = positionValue(XYPos[2 * column]);
        const std::optional<double> y = positionValue(XYPos[2 * column + 1]);
        if (x && y) {
            m_windows[column] = Bounds{roundTo15Digits(*x - 5), roundTo15Digits(*x + 5),
                                       roundTo15Digits(*y - 5), roundTo15Digits(*y + 5)};
        }
    }
}

bool CaptureWindows::contains(int column, double x, double y) const
{
    const std::optional<Bounds> &bounds = m_windows[std::size_t(column)];
    return bounds && bounds->lowX < x && x < bounds->highX && bounds->lowY < y && y < bounds->highY;
}
