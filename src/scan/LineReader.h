#pragma once

#include "shared/Status.h"

#include <QRect>
#include <QString>
#include <memory>
#include <opencv2/core/mat.hpp>

namespace tesseract {
class TessBaseAPI;
}

// The text recogniser, loaded once with its Chinese and English models and reused for every
// line of every card. Each line is scaled to the text height the recogniser reads best; a line
// the Chinese model finds no Han character in is read again by the English one, which knows
// e-mail addresses and Latin names far better.
class LineReader
{
public:
    struct Line
    {
        QString text;
        // 0 to 1.
        double confidence = 0;
    };

    // Loads the models from TESSDATA_PREFIX when set, else from Debian's folder.
    static Result<std::unique_ptr<LineReader>> create();
    ~LineReader();

    // The text of one printed line inside box on a grey image.
    Line read(const cv::Mat &grey, const QRect &box);

private:
    using Api = std::unique_ptr<tesseract::TessBaseAPI>;
    LineReader(Api chinese, Api english);

    Api m_chinese;
    Api m_english;
};
