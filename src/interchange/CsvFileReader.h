#pragma once

#include "CardFileReader.h"

class QIODevice;

// Reads a CSV card file from a device as it streams by: the encoding is settled over the
// whole file first (UTF-8 when all of it is valid UTF-8, else GB18030), then the records are
// read one at a time and handed on, so memory holds one contact, not the file.
namespace CsvFileReader {

// Fails, naming the line, for a file without a recognisable header or with bytes no text
// file holds; a cancel and a stop are failures too. The entries hold rows and extras only.
Result<CardFileReader::Outline> read(QIODevice &device, const CardFileReader::Sink &sink,
                                     const CardFileReader::Progress &onProgress);

} // namespace CsvFileReader
