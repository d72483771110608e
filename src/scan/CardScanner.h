#pragma once

#include "ScanResult.h"
#include "shared/Status.h"

#include <QByteArray>
#include <memory>

class LineReader;

// Reads a card from an image: a QR code's contact first, then the printed lines, found on the
// straightened card and read one by one. Load it once; each scan reuses its recogniser.
class CardScanner
{
public:
    // Files larger than this are no card image.
    static constexpr qint64 maxFileBytes = 64 * 1024 * 1024;

    static Result<std::unique_ptr<CardScanner>> create();
    ~CardScanner();

    Result<ScanResult> scan(const QByteArray &imageBytes);
    Result<ScanResult> scanFile(const QString &path);

private:
    explicit CardScanner(std::unique_ptr<LineReader> reader);

    std::unique_ptr<LineReader> m_reader;
};
