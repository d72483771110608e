#pragma once

#include "cards/ReadProblem.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArray>

class QIODevice;

// Reads a vCard or CSV file, whichever the bytes are, into contact rows.
namespace CardFileReader {

struct Contents
{
    QList<ContactRecord> contacts;
    // The kept form of each contact's whole card, in the order of contacts; a contact past its
    // end (a CSV line) has its card made from its row.
    QList<QByteArray> cards;
    // Cards and lines that could not be read.
    QList<ReadProblem> problems;
};

// Fails, naming the line where reading failed, for a file that is neither vCard nor CSV or
// that holds no contact that could be read.
// A card file is read as it streams from the device; a CSV file whole.
Result<Contents> read(QIODevice &device);
Result<Contents> read(const QByteArray &bytes);
Result<Contents> readFile(const QString &path);

} // namespace CardFileReader
