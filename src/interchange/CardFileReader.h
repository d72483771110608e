#pragma once

#include "VCard.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArray>

// Reads a vCard or CSV file, whichever the bytes are, into contact rows.
namespace CardFileReader {

struct Contents
{
    QList<ContactRecord> contacts;
    // Cards and lines that could not be read.
    QList<ReadProblem> problems;
};

// Fails, naming the line where reading failed, for a file that is neither vCard nor CSV or
// that holds no contact that could be read.
Result<Contents> read(const QByteArray &bytes);
Result<Contents> readFile(const QString &path);

} // namespace CardFileReader
