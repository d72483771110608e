#include "CardScanner.h"

#include "CardFields.h"
#include "CardImage.h"
#include "LineReader.h"
#include "QrCard.h"
#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <opencv2/imgproc.hpp>

namespace {

// Below this the recogniser read a logo, a pattern or noise rather than print.
constexpr double leastConfidence = 0.3;
// Upright text reads at least this well; below it the card may lie upside down.
constexpr double uprightConfidence = 0.75;

// A single Latin letter or digit alone on a line is a speck or a stroke of a logo.
bool isPrint(const LineReader::Line &line)
{
    const QString text = QString(line.text).remove(u' ');
    const bool lone = text.size() == 1 && text.front().script() != QChar::Script_Han;
    return !text.isEmpty() && !lone && line.confidence >= leastConfidence;
}

struct LevelCard
{
    cv::Mat grey;
    QList<QRect> lines;
};

LevelCard levelCard(const cv::Mat &even, double angle)
{
    LevelCard card;
    card.grey = CardImage::rotated(even, angle);
    card.lines = TextLines::find(CardImage::inkMask(card.grey));
    return card;
}

// How well the card reads this way up, from its tallest and its widest line: a bold name of two
// characters alone often reads poorly either way up, a long line of small print does not. -1
// when the card holds no line.
double uprightScore(LineReader &reader, const LevelCard &card)
{
    const auto byHeight = [](const QRect &a, const QRect &b) { return a.height() < b.height(); };
    const auto byWidth = [](const QRect &a, const QRect &b) { return a.width() < b.width(); };
    const auto tallest = std::max_element(card.lines.begin(), card.lines.end(), byHeight);
    const auto widest = std::max_element(card.lines.begin(), card.lines.end(), byWidth);
    if (tallest == card.lines.end())
        return -1;
    const double tall = reader.read(card.grey, *tallest).confidence;
    return tallest == widest ? tall : (tall + reader.read(card.grey, *widest).confidence) / 2;
}

void fillText(ScannedText &field, const ScannedText &printed)
{
    if (field.isEmpty())
        field = printed;
}

QString numberKey(const QString &number)
{
    QString digits;
    for (const QChar c : number) {
        if (c.isDigit())
            digits += c;
    }
    return digits;
}

// The QR code's contact is the answer; the print fills only what the code leaves out.
ScanResult filledFromPrint(ScanResult qr, const ScanResult &printed)
{
    for (auto field : { &ScanResult::familyName, &ScanResult::givenName, &ScanResult::title,
                        &ScanResult::companyName, &ScanResult::address1, &ScanResult::address2,
                        &ScanResult::postcode, &ScanResult::email, &ScanResult::website })
        fillText(qr.*field, printed.*field);
    QStringList known;
    for (const ScannedNumber &number : std::as_const(qr.numbers))
        known << numberKey(number.number.text);
    for (const ScannedNumber &number : printed.numbers) {
        if (!known.contains(numberKey(number.number.text)))
            qr.numbers << number;
    }
    qr.english = printed.english;
    qr.imageSize = printed.imageSize;
    qr.greyPixels = printed.greyPixels;
    return qr;
}

} // namespace

Result<std::unique_ptr<CardScanner>> CardScanner::create()
{
    auto reader = LineReader::create();
    if (!reader)
        return reader.status();
    return std::unique_ptr<CardScanner>(new CardScanner(reader.takeValue()));
}

CardScanner::CardScanner(std::unique_ptr<LineReader> reader)
    : m_reader(std::move(reader))
{ }

CardScanner::~CardScanner() = default;

Result<ScanResult> CardScanner::scanFile(const QString &path)
{
    QFile file(path);
    const QString name = QDir::toNativeSeparators(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法打开“%1”：%2").arg(name, file.errorString()));
    if (file.size() > maxFileBytes)
        return Status::failure(QStringLiteral("“%1”太大，不是名片图片").arg(name));
    return scan(file.read(maxFileBytes));
}

Result<ScanResult> CardScanner::scan(const QByteArray &imageBytes)
{
    const auto decoded = CardImage::decode(imageBytes);
    if (!decoded)
        return decoded.status();
    const cv::Mat &grey = decoded.value();
    const std::optional<ScanResult> qr = QrCard::read(QrCard::find(grey));

    const cv::Mat even = CardImage::evenLight(CardImage::cropCard(grey));
    const double angle = CardImage::lineAngle(CardImage::inkMask(even));
    LevelCard card = levelCard(even, angle);
    if (const double upright = uprightScore(*m_reader, card);
        upright >= 0 && upright < uprightConfidence) {
        LevelCard turned = levelCard(even, angle + 180);
        if (uprightScore(*m_reader, turned) > upright)
            card = std::move(turned);
    }
    QList<CardFields::PrintedLine> printed;
    for (const QRect &box : std::as_const(card.lines)) {
        const LineReader::Line line = m_reader->read(card.grey, box);
        if (isPrint(line))
            printed << CardFields::PrintedLine { line.text, line.confidence, box };
    }
    ScanResult result = CardFields::classify(printed);
    result.imageSize = QSize(card.grey.cols, card.grey.rows);
    result.greyPixels.reserve(qsizetype(card.grey.total()));
    for (int row = 0; row < card.grey.rows; ++row)
        result.greyPixels.append(card.grey.ptr<char>(row), card.grey.cols);
    return qr ? filledFromPrint(*qr, result) : result;
}
