#pragma once

#include <QRect>

#include <cmath>

// Window geometry is given in twips, 15 to a pixel at the nominal 96 dpi.
namespace Twips {

inline constexpr int perPixel = 15;

inline int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips / perPixel));
}

inline double fromPixels(int pixels)
{
    return double(pixels) * perPixel;
}

inline QRect toPixels(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

} // namespace Twips
