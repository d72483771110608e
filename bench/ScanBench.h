#pragma once

// Card scanning on generated cards made like real ones: clean scans, phone photos and cards with
// a QR code. Reports the share of fields read exactly and the time per card.
namespace ScanBench {

// False when the recogniser could not be loaded.
bool run(int scans, int photos, int qrCards);

} // namespace ScanBench
