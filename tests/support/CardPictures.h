#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

// Business-card images made the way real cards look, for the scanner's tests and figures: a
// 300-dpi card printed in Noto CJK, and the same card photographed by a phone (on a table, at an
// angle, out of focus, in uneven light, saved as JPEG).
namespace CardPictures {

struct Design
{
    // Printed large, at the top.
    QString name;
    // Printed small beside the name, or below it when nameAbove is set.
    QString title;
    QStringList headLines;
    // The smaller lines below, one after another (company, address, numbers, mail, web).
    QStringList lines;
    // A QR code holding this text, printed at the right edge.
    QByteArray qrText;
};

// 1063 × 638 pixels: 90 × 54 mm at 300 dpi.
QImage printed(const Design &design);

struct Camera
{
    // How far each corner moves inward, as a share of the frame (perspective).
    double tilt = 0.08;
    // Turn of the whole card in degrees, on top of the perspective.
    double turn = 0;
    // Gaussian-like blur radius in pixels.
    int blur = 1;
    // How much darker one side is than the other, 0 to 1.
    double shade = 0.35;
    int jpegQuality = 70;
    // Varies the corners and the background.
    int seed = 1;
};

// The card lying on a darker, textured table, as a phone would see it; JPEG bytes.
QByteArray photographed(const QImage &card, const Camera &camera);

// PNG bytes of an image (a scan).
QByteArray png(const QImage &image);

// The image turned clockwise by a multiple of 90 degrees, or by a few degrees (a crooked scan).
QImage turned(const QImage &image, double degrees);

} // namespace CardPictures
