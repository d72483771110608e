#pragma once

#include "CardFileReader.h"
#include "shared/Status.h"

#include <QSet>
#include <functional>

class Database;
class ImportBatch;
class Transaction;

// The import of card files as the user sees it: a plan first (which contacts are new, which
// share a name with a contact in the file, what could not be read), then the chosen contacts
// written in one transaction, so a cancel, an error or a killed program leaves the file as it was.
// The plan keeps what the summary and the choices need, not the contacts: writing reads each
// file again, a batch at a time, so a large file never sits in memory whole.
class CardImport
{
public:
    // Merge: the new contacts, and each same-named one merged into the contact of the file.
    enum class Choice { NewOnly, All, Merge };
    // SameName: named like a contact of the file. Repeated: named like a contact planned before
    // by this import, earlier in the file or in a file read before it.
    enum class Kind : quint8 { Fresh, SameName, Repeated };

    struct Plan
    {
        CardFileReader::Source source;
        CardFileReader::Fingerprint fingerprint;
        // Each contact's kind, in the order of the file.
        QList<Kind> kinds;
        qsizetype fresh = 0;
        qsizetype sameName = 0;
        qsizetype repeated = 0;
        QList<ReadProblem> unreadable;
        // Columns whose values the contact rows have no field for.
        QStringList keptColumns;
        // The members of the file's group cards, with their groups.
        QHash<QString, QString> groups;

        // "新联系人：N个" and so on, one line each, the unreadable lines numbered.
        QString summary() const;
        // The contacts the choice writes or merges.
        qsizetype count(Choice choice) const;
    };

    // Handed the share done; returning false cancels the writing.
    std::function<bool(int done, int total)> onProgress;

    explicit CardImport(Database &database);

    // The contacts the reserved rows' names would hide are left out. Each call remembers the
    // names it planned, so files read one after another count a person once.
    Result<Plan> plan(const CardFileReader::Source &source,
                      const CardFileReader::Progress &onReading = {});
    // Reads the planned files again and writes the contacts the choice takes, with their kept
    // cards, in one transaction. A file whose bytes changed since its plan is refused with
    // nothing written. The result is the number written and merged; a cancel is a failure with
    // nothing written.
    Result<int> write(const QList<Plan> &plans, Choice choice);
    // Writes contacts held in memory with their kept cards (cards[i] belongs to contacts[i]; a
    // contact without one gets its card when first needed).
    Result<int> write(const QList<ContactRecord> &contacts, const QList<QByteArray> &cards = {});

    // Adds each group of the contacts the category list lacks as a relationship group; call
    // inside the write transaction.
    static Status addMissingGroups(Database &database, const QList<ContactRecord> &contacts);

private:
    Status writePlanned(const Plan &plan, Choice choice, ImportBatch &batch);
    Result<int> finished(ImportBatch &batch, Transaction &transaction);

    Database &m_database;
    QSet<QString> m_planned;
};
