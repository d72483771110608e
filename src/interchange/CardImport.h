#pragma once

#include "CardFileReader.h"
#include "shared/Status.h"

#include <QSet>
#include <functional>

class Database;

// The import of a card file as the user sees it: a plan first (which contacts are new, which
// share a name with a contact in the file, what could not be read), then the chosen contacts
// written in one transaction, so a cancel, an error or a killed program leaves the file as it was.
class CardImport
{
public:
    // Merge: the new contacts, and each same-named one merged into the contact of the file.
    enum class Choice { NewOnly, All, Merge };

    struct Plan
    {
        QList<ContactRecord> fresh;
        QList<ContactRecord> sameName;
        // Named like a contact planned before by this import: earlier in the file, or in a
        // file read before it.
        QList<ContactRecord> repeated;
        // The kept cards of fresh, sameName and repeated, in their order; an empty one is made
        // from its row when first needed.
        QList<QByteArray> freshCards;
        QList<QByteArray> sameNameCards;
        QList<QByteArray> repeatedCards;
        QList<ReadProblem> unreadable;
        // Columns whose values the contact rows have no field for.
        QStringList keptColumns;

        // "新联系人：N个" and so on, one line each, the unreadable lines numbered.
        QString summary() const;
        QList<ContactRecord> chosen(Choice choice) const;
        QList<QByteArray> chosenCards(Choice choice) const;
        // The contacts to merge into the file's contacts of their names, with their cards.
        QList<ContactRecord> merged(Choice choice) const;
        QList<QByteArray> mergedCards(Choice choice) const;
    };

    // Handed the share done; returning false cancels the import.
    std::function<bool(int done, int total)> onProgress;

    explicit CardImport(Database &database);

    // The contacts the reserved rows' names would hide are left out. Each call remembers the
    // names it planned, so files read one after another count a person once.
    Result<Plan> plan(const CardFileReader::Contents &contents);
    // The same, moving the contacts and cards into the plan: a large file is held once.
    Result<Plan> plan(CardFileReader::Contents &&contents);
    // Writes the contacts with their kept cards (cards[i] belongs to contacts[i]; a contact
    // without one gets its card when first needed), adding each group the category list lacks as
    // a relationship group, then merges each of merges into the contact of the file with its name
    // (mergeCards alike). The result is the number written and merged; a cancel is a failure with
    // nothing written.
    Result<int> write(const QList<ContactRecord> &contacts, const QList<QByteArray> &cards = {},
                      const QList<ContactRecord> &merges = {},
                      const QList<QByteArray> &mergeCards = {});

    // Adds each group of the contacts the category list lacks as a relationship group; call
    // inside the write transaction.
    static Status addMissingGroups(Database &database, const QList<ContactRecord> &contacts);

private:
    Database &m_database;
    QSet<QString> m_planned;
};
