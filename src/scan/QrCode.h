#pragma once

#include "shared/Status.h"

#include <QByteArray>
#include <vector>

// A QR code's modules for a text, to be drawn by whoever shows it.
struct QrCode
{
    int size = 0;
    // size × size, row by row; true is a dark module.
    std::vector<bool> modules;

    bool isDark(int x, int y) const { return modules[size_t(y) * size_t(size) + size_t(x)]; }

    // The smallest code holding the text with medium error correction; a failure when the text
    // is too long for any code.
    static Result<QrCode> encode(const QByteArray &text);
};
