#pragma once

#include <QList>
#include <QRect>
#include <opencv2/core/mat.hpp>

// The boxes of the printed lines on a level card, found from its ink: characters that sit side
// by side with small gaps form one line; a wide gap (a number beside a fax number) starts another.
namespace TextLines {

// More lines than any card holds: the rest of a noisy image is not read.
constexpr int maxLines = 48;

// In reading order: top to bottom, then left to right.
QList<QRect> find(const cv::Mat &ink);

} // namespace TextLines
