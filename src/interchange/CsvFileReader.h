#pragma once

#include "CardFileReader.h"

class QIODevice;

// Reads a CSV card file from a device as it streams by: the encoding is settled over the
// whole file first (UTF-8 when all of it is valid UTF-8, else GB18030), then the records are
// read one at a time, so memory holds the contacts, not the file's text.
namespace CsvFileReader {

// Fails, naming the line, for a file without a recognisable header or with bytes no text
// file holds; a cancel is a failure too.
Result<CardFileReader::Contents> read(QIODevice &device,
                                      const CardFileReader::Progress &onProgress);

} // namespace CsvFileReader
