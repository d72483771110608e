#include "CardImage.h"

#include <algorithm>
#include <cmath>
#include <leptonica/allheaders.h>
#include <memory>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace {

// The card is read at this size: about 380 dpi for a standard 90 × 54 mm card.
constexpr int workingLongSide = 1400;
// A photo's outline is searched on a small copy, which is faster and ignores paper texture.
constexpr int outlineLongSide = 800;

struct PixDeleter
{
    void operator()(PIX *pix) const { pixDestroy(&pix); }
};
using PixPointer = std::unique_ptr<PIX, PixDeleter>;

bool isCardFormat(int format)
{
    return format == IFF_PNG || format == IFF_JFIF_JPEG || format == IFF_BMP
        || L_FORMAT_IS_TIFF(format);
}

cv::Mat greyFromPix(PIX *pix)
{
    PixPointer grey(pixConvertTo8(pix, 0));
    if (!grey)
        return {};
    // Leptonica keeps the bytes of a row in 32-bit words in host order.
    PixPointer ordered(pixEndianByteSwapNew(grey.get()));
    if (!ordered)
        return {};
    const int width = int(pixGetWidth(ordered.get()));
    const int height = int(pixGetHeight(ordered.get()));
    const int bytesPerLine = int(pixGetWpl(ordered.get())) * 4;
    const auto *data = reinterpret_cast<const uchar *>(pixGetData(ordered.get()));
    cv::Mat image(height, width, CV_8UC1);
    for (int y = 0; y < height; ++y)
        std::copy_n(data + qsizetype(y) * bytesPerLine, width, image.ptr<uchar>(y));
    return image;
}

cv::Mat scaledToLongSide(const cv::Mat &image, int longSide)
{
    const double scale = double(longSide) / std::max(image.cols, image.rows);
    cv::Mat scaled;
    cv::resize(image, scaled, cv::Size(), scale, scale,
               scale < 1 ? cv::INTER_AREA : cv::INTER_CUBIC);
    return scaled;
}

double distance(const cv::Point2f &a, const cv::Point2f &b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Corners in the order top-left, top-right, bottom-right, bottom-left.
std::vector<cv::Point2f> orderedCorners(std::vector<cv::Point2f> corners)
{
    std::vector<cv::Point2f> ordered(4);
    const auto bySum
        = [](const cv::Point2f &a, const cv::Point2f &b) { return a.x + a.y < b.x + b.y; };
    const auto byDifference
        = [](const cv::Point2f &a, const cv::Point2f &b) { return a.y - a.x < b.y - b.x; };
    ordered[0] = *std::min_element(corners.begin(), corners.end(), bySum);
    ordered[2] = *std::max_element(corners.begin(), corners.end(), bySum);
    ordered[1] = *std::min_element(corners.begin(), corners.end(), byDifference);
    ordered[3] = *std::max_element(corners.begin(), corners.end(), byDifference);
    return ordered;
}

// A card lies on a background of another brightness; a block of text on a white scan does not.
bool standsOut(const cv::Mat &small, const std::vector<cv::Point2f> &corners)
{
    cv::Mat inside(small.size(), CV_8UC1, cv::Scalar(0));
    std::vector<cv::Point> polygon(corners.begin(), corners.end());
    cv::fillConvexPoly(inside, polygon, cv::Scalar(255));
    cv::Mat outside;
    cv::bitwise_not(inside, outside);
    return std::abs(cv::mean(small, inside)[0] - cv::mean(small, outside)[0]) > 25;
}

bool plausibleCard(const cv::Mat &small, const std::vector<cv::Point2f> &corners)
{
    const double imageArea = double(small.cols) * small.rows;
    std::vector<cv::Point2f> hull;
    cv::convexHull(corners, hull);
    const double area = cv::contourArea(hull);
    return hull.size() == 4 && area > 0.15 * imageArea && area < 0.97 * imageArea
        && standsOut(small, hull);
}

// Four corners of a card lying on a background that differs from it, on the small copy.
std::vector<cv::Point2f> cardOutline(const cv::Mat &small)
{
    cv::Mat blurred;
    cv::GaussianBlur(small, blurred, cv::Size(5, 5), 0);
    cv::Mat edges;
    cv::Canny(blurred, edges, 40, 120);
    cv::dilate(edges, edges, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5)));
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(edges, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    std::sort(contours.begin(), contours.end(),
              [](const auto &a, const auto &b) { return cv::contourArea(a) > cv::contourArea(b); });
    for (size_t i = 0; i < std::min<size_t>(contours.size(), 5); ++i) {
        std::vector<cv::Point> hull;
        cv::convexHull(contours[i], hull);
        std::vector<cv::Point> polygon;
        cv::approxPolyDP(hull, polygon, 0.02 * cv::arcLength(hull, true), true);
        if (polygon.size() != 4)
            continue;
        std::vector<cv::Point2f> corners(polygon.begin(), polygon.end());
        if (plausibleCard(small, corners))
            return orderedCorners(corners);
    }
    // A soft photo may give no closed edge: the largest bright region stands in for the card.
    cv::Mat bright;
    cv::threshold(blurred, bright, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    cv::morphologyEx(bright, bright, cv::MORPH_CLOSE,
                     cv::getStructuringElement(cv::MORPH_RECT, cv::Size(15, 15)));
    cv::findContours(bright, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    if (contours.empty())
        return {};
    const auto largest
        = std::max_element(contours.begin(), contours.end(), [](const auto &a, const auto &b) {
              return cv::contourArea(a) < cv::contourArea(b);
          });
    cv::Point2f box[4];
    cv::minAreaRect(*largest).points(box);
    std::vector<cv::Point2f> corners(box, box + 4);
    return plausibleCard(small, corners) ? orderedCorners(corners) : std::vector<cv::Point2f>();
}

double rowProfileScore(const cv::Mat &ink)
{
    cv::Mat rows;
    cv::reduce(ink, rows, 1, cv::REDUCE_SUM, CV_64F);
    double score = 0;
    for (int y = 1; y < rows.rows; ++y) {
        const double step = rows.at<double>(y) - rows.at<double>(y - 1);
        score += step * step;
    }
    return score;
}

} // namespace

namespace CardImage {

Result<cv::Mat> decode(const QByteArray &bytes)
{
    // Leptonica would print its complaints about a damaged file; the caller reports them.
    setMsgSeverity(L_SEVERITY_NONE);
    const auto *data = reinterpret_cast<const l_uint8 *>(bytes.constData());
    l_int32 format = 0;
    l_int32 width = 0;
    l_int32 height = 0;
    if (bytes.isEmpty()
        || pixReadHeaderMem(data, size_t(bytes.size()), &format, &width, &height, nullptr, nullptr,
                            nullptr)
            != 0
        || !isCardFormat(format))
        return Status::failure(QStringLiteral("不是可以读取的图片（PNG、JPEG、TIFF或BMP）"));
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide
        || qint64(width) * height > maxPixels)
        return Status::failure(QStringLiteral("图片太大：%1×%2像素").arg(width).arg(height));
    PixPointer pix(pixReadMem(data, size_t(bytes.size())));
    if (!pix || int(pixGetWidth(pix.get())) != width || int(pixGetHeight(pix.get())) != height)
        return Status::failure(QStringLiteral("图片已损坏，无法读取"));
    cv::Mat grey = greyFromPix(pix.get());
    if (grey.empty())
        return Status::failure(QStringLiteral("图片已损坏，无法读取"));
    return grey;
}

cv::Mat cropCard(const cv::Mat &grey)
{
    if (grey.cols < 16 || grey.rows < 16)
        return scaledToLongSide(grey, workingLongSide);
    const cv::Mat small = scaledToLongSide(grey, outlineLongSide);
    const std::vector<cv::Point2f> corners = cardOutline(small);
    if (corners.empty())
        return scaledToLongSide(grey, workingLongSide);
    const double toFull = double(grey.cols) / small.cols;
    std::vector<cv::Point2f> source;
    for (const cv::Point2f &corner : corners)
        source.push_back(corner * toFull);
    const double width = std::max(distance(source[0], source[1]), distance(source[3], source[2]));
    const double height = std::max(distance(source[0], source[3]), distance(source[1], source[2]));
    const double scale = workingLongSide / std::max(width, height);
    const cv::Size size(std::max(16, int(width * scale)), std::max(16, int(height * scale)));
    const std::vector<cv::Point2f> target { { 0, 0 },
                                            { float(size.width), 0 },
                                            { float(size.width), float(size.height) },
                                            { 0, float(size.height) } };
    cv::Mat card;
    cv::warpPerspective(grey, card, cv::getPerspectiveTransform(source, target), size,
                        cv::INTER_AREA, cv::BORDER_REPLICATE);
    return card;
}

cv::Mat evenLight(const cv::Mat &grey)
{
    // The paper's brightness everywhere: ink closed over by a large kernel, then smoothed.
    const int kernel = std::max(15, std::min(grey.cols, grey.rows) / 12) | 1;
    cv::Mat background;
    cv::morphologyEx(grey, background, cv::MORPH_CLOSE,
                     cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(kernel, kernel)));
    cv::GaussianBlur(background, background, cv::Size(kernel, kernel), 0);
    cv::Mat even;
    cv::divide(grey, background, even, 255.0, CV_8U);
    cv::normalize(even, even, 0, 255, cv::NORM_MINMAX);
    return even;
}

cv::Mat inkMask(const cv::Mat &even)
{
    cv::Mat ink;
    cv::threshold(even, ink, 0, 255, cv::THRESH_BINARY_INV | cv::THRESH_OTSU);
    // Otsu on an almost blank image splits paper grain; real ink is clearly darker than paper.
    cv::Mat dark;
    cv::threshold(even, dark, 200, 255, cv::THRESH_BINARY_INV);
    cv::bitwise_and(ink, dark, ink);
    return ink;
}

double lineAngle(const cv::Mat &ink)
{
    const cv::Mat small = ink.cols > 500 || ink.rows > 500 ? scaledToLongSide(ink, 500) : ink;
    const auto bestNear = [&small](double base, double from, double to, double step) {
        double best = from;
        double bestScore = -1;
        for (double angle = from; angle <= to + 1e-9; angle += step) {
            const double score = rowProfileScore(rotated(small, base + angle, 0));
            if (score > bestScore) {
                bestScore = score;
                best = angle;
            }
        }
        return std::pair(base + best, bestScore);
    };
    double angle = 0;
    double bestScore = -1;
    for (const double base : { 0.0, 90.0 }) {
        const auto [coarse, score] = bestNear(base, -15, 15, 1);
        if (score > bestScore) {
            bestScore = score;
            angle = coarse;
        }
    }
    return bestNear(angle, -0.75, 0.75, 0.25).first;
}

cv::Mat rotated(const cv::Mat &image, double degrees, uchar fill)
{
    const cv::Point2f centre(image.cols / 2.0f, image.rows / 2.0f);
    cv::Mat turn = cv::getRotationMatrix2D(centre, degrees, 1.0);
    const cv::Rect2f bounds
        = cv::RotatedRect(centre, image.size(), float(degrees)).boundingRect2f();
    turn.at<double>(0, 2) += bounds.width / 2.0 - centre.x;
    turn.at<double>(1, 2) += bounds.height / 2.0 - centre.y;
    cv::Mat result;
    cv::warpAffine(image, result, turn, bounds.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                   cv::Scalar(fill));
    return result;
}

} // namespace CardImage
