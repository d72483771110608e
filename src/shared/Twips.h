#pragma once

// Window sizes and positions of the program are given in twips; the screen has 15 to a pixel.
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
