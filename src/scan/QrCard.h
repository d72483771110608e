#pragma once

#include "ScanResult.h"

#include <QByteArray>
#include <opencv2/core/mat.hpp>
#include <optional>

// A QR code printed on a card: its text when it holds a contact, and the contact it holds.
namespace QrCard {

// The text of the first QR code on the image; empty when there is none.
QByteArray find(const cv::Mat &grey);

// The contact a vCard (2.1, 3.0, 4.0) or a MECARD holds; nothing for any other text.
std::optional<ScanResult> read(const QByteArray &text);

// A MECARD written as the vCard 3.0 that says the same.
QByteArray vCardOfMeCard(const QByteArray &meCard);

} // namespace QrCard
