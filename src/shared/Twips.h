#pragma once

// Window sizes and positions of the program are given in twips, 15 to a device-independent
// pixel, so windows keep their proportions at any display scaling.
namespace Twips {

constexpr int perPixel = 15;

constexpr int toPixels(int twips)
{
    return twips / perPixel;
}

constexpr int fromPixels(int pixels)
{
    return pixels * perPixel;
}

} // namespace Twips
