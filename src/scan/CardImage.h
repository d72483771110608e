#pragma once

#include "shared/Status.h"

#include <QByteArray>
#include <opencv2/core/mat.hpp>

// The image work before reading: decoding a file's bytes safely, finding the card in a photo and
// straightening it, and evening out its light.
namespace CardImage {

// Larger images are refused before they are decoded: a card needs far less, and a hostile file
// must not make us allocate gigabytes.
constexpr int maxSide = 16000;
constexpr qint64 maxPixels = 40'000'000;

// PNG, JPEG, TIFF or BMP bytes as an 8-bit grey image; a failure with the reason otherwise.
Result<cv::Mat> decode(const QByteArray &bytes);

// The card's own rectangle, perspective corrected, when a photo shows it on a background; the
// whole image, scaled to a working size, when none is found (a scan).
cv::Mat cropCard(const cv::Mat &grey);

// Divides out uneven light and stretches the contrast, so that paper is white and ink dark.
cv::Mat evenLight(const cv::Mat &grey);

// Black-on-white ink mask (ink 255) for finding text.
cv::Mat inkMask(const cv::Mat &even);

// The angle in degrees, a quarter turn included, that rotated() turns the ink by so that its
// text lines run level: within ±15° of 0 or of 90. Upside-down text also runs level; telling it
// from upright text needs the recogniser.
double lineAngle(const cv::Mat &ink);

// The image turned counter-clockwise by the angle, grown to hold it, the corners filled.
cv::Mat rotated(const cv::Mat &image, double degrees, uchar fill = 255);

} // namespace CardImage
