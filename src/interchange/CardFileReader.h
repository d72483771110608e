#pragma once

#include "CardExtra.h"
#include "cards/ReadProblem.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArray>
#include <functional>

class QIODevice;

// Reads a vCard or CSV file, whichever the bytes are, into contact rows.
namespace CardFileReader {

struct Contents
{
    QList<ContactRecord> contacts;
    // The kept form of each contact's whole card, in the order of contacts.
    QList<QByteArray> cards;
    // Cards and lines that could not be read.
    QList<ReadProblem> problems;
    // From a CSV file: for each contact, in the same order, the values its row has no field
    // for (its card holds them too); and the heads of the columns those came from, for the
    // import summary.
    QList<QList<CardExtra>> extras;
    QStringList keptColumns;
};

// Handed the bytes read and the file's size; returning false cancels the reading.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Fails, naming the line where reading failed, for a file that is neither vCard nor CSV or
// that holds no contact that could be read.
// Either kind is read as it streams from the device, a card or a record at a time.
Result<Contents> read(QIODevice &device, const Progress &onProgress = {});
Result<Contents> read(const QByteArray &bytes);
Result<Contents> readFile(const QString &path, const Progress &onProgress = {});

} // namespace CardFileReader
