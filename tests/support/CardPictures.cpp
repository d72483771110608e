#include "CardPictures.h"

#include "scan/QrCode.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>

namespace {

constexpr int cardWidth = 1063;
constexpr int cardHeight = 638;
constexpr int margin = 64;

QFont cardFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void drawQr(QPainter &painter, const QByteArray &text)
{
    const auto code = QrCode::encode(text);
    if (!code)
        return;
    const int moduleSize = std::max(3, 260 / (code.value().size + 8));
    const int side = moduleSize * (code.value().size + 8);
    const QPoint origin(cardWidth - margin / 2 - side, cardHeight - margin / 2 - side);
    painter.fillRect(QRect(origin, QSize(side, side)), Qt::white);
    for (int y = 0; y < code.value().size; ++y) {
        for (int x = 0; x < code.value().size; ++x) {
            if (code.value().isDark(x, y))
                painter.fillRect(origin.x() + (x + 4) * moduleSize,
                                 origin.y() + (y + 4) * moduleSize, moduleSize, moduleSize,
                                 Qt::black);
        }
    }
}

QImage blurred(const QImage &image, int radius)
{
    if (radius <= 0)
        return image;
    // Shrinking and growing again softens like a lens out of focus, and is quick.
    const QSize small = image.size() / (radius + 1);
    return image.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

namespace CardPictures {

QImage printed(const Design &design)
{
    QImage card(cardWidth, cardHeight, QImage::Format_RGB32);
    card.fill(Qt::white);
    QPainter painter(&card);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor(20, 20, 30));
    int y = margin;
    painter.setFont(cardFont(64, true));
    const QFontMetrics nameMetrics(painter.font());
    painter.drawText(margin, y + nameMetrics.ascent(), design.name);
    const int nameRight = margin + nameMetrics.horizontalAdvance(design.name);
    painter.setFont(cardFont(32, false));
    const QFontMetrics titleMetrics(painter.font());
    painter.drawText(nameRight + 40, y + nameMetrics.ascent(), design.title);
    y += nameMetrics.height() + 16;
    painter.setFont(cardFont(30, false));
    for (const QString &line : design.headLines) {
        painter.drawText(margin, y + titleMetrics.ascent(), line);
        y += titleMetrics.height() + 6;
    }
    y += 18;
    painter.setFont(cardFont(27, false));
    const QFontMetrics lineMetrics(painter.font());
    for (const QString &line : design.lines) {
        painter.drawText(margin, y + lineMetrics.ascent(), line);
        y += lineMetrics.height() + 4;
    }
    if (!design.qrText.isEmpty())
        drawQr(painter, design.qrText);
    return card;
}

QByteArray photographed(const QImage &card, const Camera &camera)
{
    QRandomGenerator random(quint32(camera.seed));
    const QSize frame(1600, 1200);
    QImage photo(frame, QImage::Format_RGB32);
    QPainter painter(&photo);
    // A wooden-brown table with grain.
    photo.fill(QColor(120 + random.bounded(30), 90 + random.bounded(20), 60));
    for (int i = 0; i < 120; ++i) {
        painter.setPen(QColor(100 + random.bounded(40), 75 + random.bounded(20), 50));
        const int y = random.bounded(frame.height());
        painter.drawLine(0, y, frame.width(), y + random.bounded(40) - 20);
    }
    const auto jitter = [&random, &camera](double base, int extent) {
        return base + (random.bounded(2.0) - 1.0) * camera.tilt * extent;
    };
    const double w = frame.width();
    const double h = frame.height();
    QPolygonF corners;
    corners << QPointF(jitter(0.14 * w, frame.width()), jitter(0.14 * h, frame.height()))
            << QPointF(jitter(0.86 * w, frame.width()), jitter(0.14 * h, frame.height()))
            << QPointF(jitter(0.86 * w, frame.width()), jitter(0.86 * h, frame.height()))
            << QPointF(jitter(0.14 * w, frame.width()), jitter(0.86 * h, frame.height()));
    QTransform turn;
    turn.translate(w / 2, h / 2).rotate(camera.turn).translate(-w / 2, -h / 2);
    corners = turn.map(corners);
    const QPolygonF source(QRectF(0, 0, card.width(), card.height()));
    QTransform warp;
    QTransform::quadToQuad(source, corners, warp);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(warp);
    painter.drawImage(0, 0, card);
    painter.resetTransform();
    // Light from one side.
    QLinearGradient light(0, 0, w, h * 0.3);
    light.setColorAt(0, QColor(255, 255, 255));
    light.setColorAt(1,
                     QColor::fromRgbF(1 - camera.shade, 1 - camera.shade, 1 - camera.shade * 0.9));
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.fillRect(photo.rect(), light);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    blurred(photo, camera.blur).save(&buffer, "JPEG", camera.jpegQuality);
    return bytes;
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage turned(const QImage &image, double degrees)
{
    QImage turnedImage = image.convertToFormat(QImage::Format_ARGB32)
                             .transformed(QTransform().rotate(degrees), Qt::SmoothTransformation);
    // The corners a small turn uncovers are the scanner's white lid.
    QImage onWhite(turnedImage.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    QPainter painter(&onWhite);
    painter.drawImage(0, 0, turnedImage);
    return onWhite;
}

} // namespace CardPictures
