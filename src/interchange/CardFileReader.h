#pragma once

#include "CardExtra.h"
#include "cards/ReadProblem.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArray>
#include <QHash>
#include <functional>
#include <memory>

class QIODevice;

// Reads a vCard or CSV file, whichever the bytes are, into contact rows.
namespace CardFileReader {

// A card file by its path, or bytes held in memory.
struct Source
{
    QString path;
    QByteArray bytes;

    static Source file(const QString &path) { return { path, {} }; }
    static Source inMemory(const QByteArray &bytes) { return { {}, bytes }; }
};

// One contact as it was read.
struct Entry
{
    ContactRecord contact;
    // The kept form of the contact's whole card; empty when the reader was asked for rows only.
    QByteArray card;
    // From a CSV file: the values the row has no field for (the card holds them too).
    QList<CardExtra> extras;
};

// Handed each contact in the order of the file; returning false stops the reading.
using Sink = std::function<bool(Entry &&entry)>;

// What a file holds besides its contacts.
struct Outline
{
    qsizetype contacts = 0;
    // Cards and lines that could not be read, in line order.
    QList<ReadProblem> problems;
    // The heads of the CSV columns whose values the rows have no field for.
    QStringList keptColumns;
    // Each member's UID with the relationship group its group card names (KIND:group, Apple's
    // X-ADDRESSBOOKSERVER-KIND:group). A group card may follow its members, so the groups are
    // known only after a whole reading.
    QHash<QString, QString> groups;
};

// The whole of a file, for callers that hold a few contacts: the entries' parts, each list in
// the order of contacts, and the outline's problems and kept columns.
struct Contents
{
    QList<ContactRecord> contacts;
    QList<QByteArray> cards;
    QList<QList<CardExtra>> extras;
    QList<ReadProblem> problems;
    QStringList keptColumns;
};

// Identifies a source's bytes: a file changed between two readings shows another one.
struct Fingerprint
{
    qint64 size = -1;
    size_t digest = 0;

    bool operator==(const Fingerprint &other) const
    {
        return size == other.size && digest == other.digest;
    }
};

// Handed the bytes read and the file's size; returning false cancels the reading.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Rows alone serve a plan, which needs the names and not the kept cards.
enum class Want { Rows, RowsAndCards };

// The source opened for reading; a file too large to be a card file is refused.
Result<std::unique_ptr<QIODevice>> open(const Source &source);
// The source read through once: its size and a digest of its bytes.
Result<Fingerprint> fingerprint(const Source &source);

// Reads the device a card or a record at a time, handing each contact to the sink, so memory
// holds one contact, not the file. The members of groups join their group. Fails, naming the
// line where reading failed, for a file that is neither vCard nor CSV or that holds no contact
// that could be read; a cancel and a stop are failures too.
Result<Outline> stream(QIODevice &device, Want want, const Sink &sink,
                       const Progress &onProgress = {}, const QHash<QString, QString> &groups = {});

// Every contact at once, with their groups; a file with group cards is read twice.
Result<Contents> read(QIODevice &device);
Result<Contents> read(const QByteArray &bytes);
Result<Contents> readFile(const QString &path);

} // namespace CardFileReader
