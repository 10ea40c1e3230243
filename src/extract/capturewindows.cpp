#include "capturewindows.h"

#include "positionvalue.h"

#include <charconv>

double CaptureWindows::roundTo15Digits(double value)
{
    // Never through the C library's printf: it follows the user's locale, and
    // with a decimal comma "12,3" reads back as 12.
    char text[64];
    const std::to_chars_result written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    double rounded = value;
    if (written.ec == std::errc()) {
        std::from_chars(text, written.ptr, rounded);
    }
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

bool CaptureWindows::inUse(const std::array<QString, 12> &XYPos)
{
    for (const QString &text : XYPos) {
        const std::optional<double> value = positionValue(text);
        if (value ? *value != 0 : !text.trimmed().isEmpty()) {
            return true;
        }
    }
    return false;
}
