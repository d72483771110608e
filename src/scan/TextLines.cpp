#include "TextLines.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>

namespace {

constexpr qsizetype maxPieces = 6000;

struct Line
{
    QList<QRect> pieces;
    QRect box;
    // The tallest character: what gaps are measured against.
    int charHeight = 0;
};

bool isInkOfText(const QRect &piece, const cv::Size &image)
{
    // Rules, frames and logos are far taller or wider than any character.
    return piece.height() >= 3 && piece.height() < image.height / 4
        && piece.width() < image.width / 2 && !(piece.height() <= 4 && piece.width() > 60);
}

int verticalOverlap(const QRect &a, const QRect &b)
{
    return std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
}

// The line a piece continues: one it overlaps in height and lies close behind.
Line *lineFor(QList<Line> &lines, const QRect &piece)
{
    Line *best = nullptr;
    int bestOverlap = 0;
    for (Line &line : lines) {
        const int overlap = verticalOverlap(line.box, piece);
        // A comma or a full stop hangs at or below the baseline, so only touches the band.
        const bool smallMark = piece.height() * 2 < line.charHeight && overlap > 0
            && piece.top() > line.box.center().y()
            && piece.center().y() <= line.box.bottom() + line.charHeight / 3;
        const bool sameBand
            = smallMark || overlap >= std::min(line.box.height(), piece.height()) * 6 / 10;
        // A piece much taller than the line's characters starts a line of its own size; small
        // pieces (dots, strokes, punctuation) belong to the characters around them.
        const bool notTaller = piece.height() * 5 <= line.charHeight * 8 + 8;
        // Characters and words sit closer than a character's height; a title printed beside a
        // large name, in its own smaller size, is a line of its own.
        const int reference = std::max(line.charHeight, piece.height());
        const int gap = piece.left() - line.box.right();
        if (sameBand && notTaller && gap < reference && overlap > bestOverlap) {
            best = &line;
            bestOverlap = overlap;
        }
    }
    return best;
}

QRect united(const QList<QRect> &pieces, qsizetype from, qsizetype to)
{
    QRect box;
    for (qsizetype i = from; i < to; ++i)
        box = box.united(pieces.at(i));
    return box;
}

bool wordLike(const QRect &box, int height)
{
    return box.width() * 2 >= height * 3;
}

// A title printed beside a large name, in its own smaller size, is a line of its own: the line
// is cut at a wide gap after which the text is smaller (or larger) by half or more. Dots and
// colons are not characters here, and a character may be made of pieces one above the other.
QList<QRect> splitAtSizeChange(const Line &line)
{
    QList<qsizetype> cuts;
    qsizetype start = 0;
    // The right edge of the characters so far: pieces are in order of their left edges.
    int reached = -1;
    qsizetype afterReached = 0;
    for (qsizetype i = 0; i < line.pieces.size(); ++i) {
        if (line.pieces.at(i).height() * 3 < line.charHeight)
            continue;
        // A dot or stroke of the next character may come before its large piece.
        while (afterReached < i && line.pieces.at(afterReached).left() <= reached)
            ++afterReached;
        const int gap = line.pieces.at(i).left() - reached;
        if (reached >= 0 && gap > line.charHeight / 4) {
            const qsizetype cut = std::max(afterReached, start + 1);
            const QRect before = united(line.pieces, start, cut);
            const QRect after = united(line.pieces, cut, line.pieces.size());
            const int larger = std::max(before.height(), after.height());
            const int smaller = std::min(before.height(), after.height());
            if (larger * 2 >= smaller * 3 && gap * 5 > larger * 3
                && wordLike(before, before.height()) && wordLike(after, after.height())) {
                cuts << cut;
                start = cut;
            }
        }
        reached = std::max(reached, line.pieces.at(i).right());
    }
    QList<QRect> boxes;
    start = 0;
    for (const qsizetype cut : std::as_const(cuts)) {
        boxes << united(line.pieces, start, cut);
        start = cut;
    }
    boxes << united(line.pieces, start, line.pieces.size());
    return boxes;
}

// Whether two pieces lie one above the other, close together: parts of one character (吴 is
// 口 over 天, i its dot over its stem). Lines lie much further apart than this.
bool stacked(const QRect &a, const QRect &b)
{
    const int overlap = std::min(a.right(), b.right()) - std::max(a.left(), b.left()) + 1;
    const int gap = std::max(a.top(), b.top()) - std::min(a.bottom(), b.bottom());
    return overlap * 5 >= std::min(a.width(), b.width()) * 3
        && gap * 5 <= std::max(a.height(), b.height());
}

// The pieces, those of one character joined; in order of their left edges.
QList<QRect> characters(QList<QRect> pieces)
{
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        for (qsizetype j = i + 1;
             j < pieces.size() && pieces.at(j).left() <= pieces.at(i).right();) {
            if (stacked(pieces.at(i), pieces.at(j))) {
                pieces[i] = pieces.at(i).united(pieces.at(j));
                pieces.removeAt(j);
            } else {
                ++j;
            }
        }
    }
    return pieces;
}

// Rows of boxes that share their height band, top to bottom, each row left to right.
QList<QRect> inReadingOrder(QList<QRect> boxes)
{
    std::sort(boxes.begin(), boxes.end(),
              [](const QRect &a, const QRect &b) { return a.center().y() < b.center().y(); });
    QList<QRect> ordered;
    qsizetype rowStart = 0;
    for (qsizetype i = 0; i <= boxes.size(); ++i) {
        const bool rowEnds = i == boxes.size()
            || verticalOverlap(boxes.at(rowStart), boxes.at(i))
                < std::min(boxes.at(rowStart).height(), boxes.at(i).height()) / 2;
        if (!rowEnds)
            continue;
        QList<QRect> row = boxes.mid(rowStart, i - rowStart);
        std::sort(row.begin(), row.end(),
                  [](const QRect &a, const QRect &b) { return a.left() < b.left(); });
        ordered += row;
        rowStart = i;
    }
    return ordered;
}

} // namespace

namespace TextLines {

QList<QRect> find(const cv::Mat &ink)
{
    cv::Mat labels;
    cv::Mat stats;
    cv::Mat centroids;
    const int count = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
    QList<QRect> pieces;
    for (int i = 1; i < count; ++i) {
        const QRect piece(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                          stats.at<int>(i, cv::CC_STAT_WIDTH),
                          stats.at<int>(i, cv::CC_STAT_HEIGHT));
        if (stats.at<int>(i, cv::CC_STAT_AREA) >= 4 && isInkOfText(piece, ink.size()))
            pieces << piece;
    }
    // A card holds a few hundred characters; thousands of pieces are noise, not print.
    if (pieces.size() > maxPieces)
        return {};
    std::sort(pieces.begin(), pieces.end(),
              [](const QRect &a, const QRect &b) { return a.left() < b.left(); });
    pieces = characters(pieces);
    QList<Line> lines;
    for (const QRect &piece : std::as_const(pieces)) {
        if (Line *line = lineFor(lines, piece)) {
            line->pieces << piece;
            line->box = line->box.united(piece);
            line->charHeight = std::max(line->charHeight, piece.height());
        } else {
            lines << Line { { piece }, piece, piece.height() };
        }
    }
    QList<QRect> boxes;
    for (const Line &line : std::as_const(lines)) {
        for (const QRect &box : splitAtSizeChange(line)) {
            // Specks and stray strokes: too small to be read.
            if (box.height() >= 8 && box.width() >= box.height() / 2)
                boxes << box;
        }
    }
    if (boxes.size() > maxLines) {
        std::sort(boxes.begin(), boxes.end(),
                  [](const QRect &a, const QRect &b) { return a.height() > b.height(); });
        boxes.resize(maxLines);
    }
    return inReadingOrder(boxes);
}

} // namespace TextLines
