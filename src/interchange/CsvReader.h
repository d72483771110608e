#pragma once

#include "cards/ReadProblem.h"

#include <QStringList>

// Splits CSV text into records, as RFC 4180 writes it and tolerant of what spreadsheets write:
// CR LF, LF or CR line ends, line breaks inside quoted fields, and a semicolon or tab as the
// separator when the first line holds no comma.
namespace CsvReader {

struct Record
{
    // The line the record starts on, counting from 1.
    int line = 0;
    QStringList fields;
};

struct Output
{
    QList<Record> records;
    QList<ReadProblem> problems;
};

Output read(const QString &text);

} // namespace CsvReader
