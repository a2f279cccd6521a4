#pragma once

#include <cmath>

// Places and sizes of the window are given in twips: 15 twips are one pixel.
namespace Twips {
inline constexpr int PerPixel = 15;
inline int toPixels(int twips)
{
    return int(std::lround(double(twips) / PerPixel));
}
} // namespace Twips
