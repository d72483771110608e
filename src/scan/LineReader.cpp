#include "LineReader.h"

#include <QByteArray>
#include <QDir>
#include <opencv2/imgproc.hpp>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

// Declared here rather than through <omp.h>, which not every compiler ships.
extern "C" void omp_set_dynamic(int);

namespace {

// Tesseract reads best when a line's characters are about this many pixels high.
constexpr int readingHeight = 48;
constexpr int margin = 12;
constexpr auto debianModels = "/usr/share/tesseract-ocr/5/tessdata";

QByteArray modelFolder()
{
    const QByteArray chosen = qgetenv("TESSDATA_PREFIX");
    return chosen.isEmpty() ? QByteArray(debianModels) : chosen;
}

// The OCR puts blanks between Han characters; a card prints none there.
QString withoutBlanksBetweenHan(const QString &text)
{
    const auto isWide = [](QChar c) {
        return c.script() == QChar::Script_Han || (c.unicode() >= 0x3000 && c.unicode() <= 0x303F)
            || (c.unicode() >= 0xFF00 && c.unicode() <= 0xFFEF);
    };
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isSpace() && !result.isEmpty() && isWide(result.back())) {
            qsizetype next = i;
            while (next < text.size() && text.at(next).isSpace())
                ++next;
            if (next < text.size() && isWide(text.at(next))) {
                i = next - 1;
                continue;
            }
        }
        result += text.at(i);
    }
    return result.simplified();
}

Result<std::unique_ptr<tesseract::TessBaseAPI>> loaded(const char *language)
{
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    const QByteArray folder = modelFolder();
    if (api->Init(folder.constData(), language, tesseract::OEM_LSTM_ONLY) != 0)
        return Status::failure(QStringLiteral("无法载入文字识别数据“%1”（%2）")
                                   .arg(QString::fromLatin1(language),
                                        QDir::toNativeSeparators(QString::fromLocal8Bit(folder))));
    api->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    // Dictionary guesses turn numbers and addresses into words.
    api->SetVariable("load_system_dawg", "0");
    api->SetVariable("load_freq_dawg", "0");
    return api;
}

LineReader::Line recognised(tesseract::TessBaseAPI &api, const cv::Mat &line)
{
    api.SetImage(line.data, line.cols, line.rows, 1, int(line.step));
    const std::unique_ptr<char[]> text(api.GetUTF8Text());
    const int confidence = api.MeanTextConf();
    return { withoutBlanksBetweenHan(QString::fromUtf8(text.get()).trimmed()),
             std::clamp(confidence, 0, 100) / 100.0 };
}

bool hasHan(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.script() == QChar::Script_Han; });
}

bool hasLatinLetter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
}

// The English model often takes a small comma for a full stop, which the Chinese model, trained
// on the full-width comma, does not: where both readings agree letter for letter, its commas win.
LineReader::Line withCommasOf(LineReader::Line english, const QString &chinese)
{
    QString other = chinese;
    other.replace(u'，', u',').remove(u' ');
    const QString compact = QString(english.text).remove(u' ');
    if (compact.size() != other.size())
        return english;
    for (qsizetype i = 0; i < compact.size(); ++i) {
        const bool commaForStop = compact.at(i) == u'.' && other.at(i) == u',';
        if (compact.at(i) != other.at(i) && !commaForStop)
            return english;
    }
    qsizetype at = 0;
    for (QChar &c : english.text) {
        if (c == u' ')
            continue;
        if (c == u'.' && other.at(at) == u',')
            c = u',';
        ++at;
    }
    return english;
}

// Where the Latin rest of a line that begins in Han ("邮箱：name@example.com") starts on the line
// image, from the words just recognised; 0 when Han comes after Latin or not at all.
int latinRestStart(tesseract::TessBaseAPI &api, QString &hanPart)
{
    const std::unique_ptr<tesseract::ResultIterator> words(api.GetIterator());
    if (!words)
        return 0;
    int restStart = 0;
    QStringList hanWords;
    bool latinSeen = false;
    do {
        const std::unique_ptr<char[]> word(words->GetUTF8Text(tesseract::RIL_WORD));
        const QString text = QString::fromUtf8(word.get());
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        words->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom);
        if (hasHan(text)) {
            if (latinSeen)
                return 0;
            hanWords << text;
            restStart = right;
        } else if (!text.trimmed().isEmpty()) {
            latinSeen = true;
        }
    } while (words->Next(tesseract::RIL_WORD));
    hanPart = hanWords.join(QString());
    return latinSeen ? restStart : 0;
}

} // namespace

Result<std::unique_ptr<LineReader>> LineReader::create()
{
    // Tesseract spreads each line over several OpenMP threads; on a busy machine they wait for
    // each other far longer than they help, so the runtime may give it only the idle cores.
    omp_set_dynamic(1);
    auto chinese = loaded("chi_sim");
    if (!chinese)
        return chinese.status();
    auto english = loaded("eng");
    if (!english)
        return english.status();
    return std::unique_ptr<LineReader>(new LineReader(chinese.takeValue(), english.takeValue()));
}

LineReader::LineReader(Api chinese, Api english)
    : m_chinese(std::move(chinese))
    , m_english(std::move(english))
{ }

LineReader::~LineReader()
{
    m_chinese->End();
    m_english->End();
}

LineReader::Line LineReader::read(const cv::Mat &grey, const QRect &box)
{
    // A little of the paper around the ink, so that no edge of a letter is cut off.
    const int pad = box.height() / 8 + 1;
    const cv::Rect area
        = cv::Rect(box.x() - pad, box.y() - pad, box.width() + 2 * pad, box.height() + 2 * pad)
        & cv::Rect(0, 0, grey.cols, grey.rows);
    if (area.width < 2 || area.height < 2)
        return {};
    const double scale = double(readingHeight) / std::max(box.height(), 1);
    cv::Mat line;
    cv::resize(grey(area), line, cv::Size(), scale, scale,
               scale < 1 ? cv::INTER_AREA : cv::INTER_CUBIC);
    cv::copyMakeBorder(line, line, margin, margin, margin, margin, cv::BORDER_CONSTANT,
                       cv::Scalar(255));
    const Line chinese = recognised(*m_chinese, line);
    if (!hasHan(chinese.text))
        return withCommasOf(recognised(*m_english, line), chinese.text);
    QString hanPart;
    // A Han label before digits alone ("手机：138…") needs no second reading.
    if (!hasLatinLetter(chinese.text))
        return chinese;
    const int restStart = latinRestStart(*m_chinese, hanPart);
    if (restStart <= 0 || restStart >= line.cols - margin)
        return chinese;
    cv::Mat rest(line.rows, line.cols - restStart + margin, CV_8UC1, cv::Scalar(255));
    line(cv::Rect(restStart, 0, line.cols - restStart, line.rows))
        .copyTo(rest(cv::Rect(margin, 0, line.cols - restStart, line.rows)));
    const Line latin = recognised(*m_english, rest);
    return { withoutBlanksBetweenHan(hanPart + u' ' + latin.text),
             std::min(chinese.confidence, latin.confidence) };
}
