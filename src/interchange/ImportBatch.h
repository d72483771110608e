#pragma once

#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <functional>
#include <optional>

class Database;

// The contacts of an import written a batch at a time inside the caller's transaction, so a
// large file never sits in memory whole: new contacts with their kept cards (each group the
// category list lacks becomes a relationship group), and contacts merged into the contact of the
// file with their name.
class ImportBatch
{
public:
    // Handed the contacts done and the total; returning false cancels the import.
    using Progress = std::function<bool(int done, int total)>;

    ImportBatch(Database &database, int total, const Progress &onProgress);

    // An empty card is made from its row when first needed.
    Status add(ContactRecord &&contact, QByteArray &&card);
    Status merge(ContactRecord &&contact, QByteArray &&card);
    // Writes what is still held. The result is the number written and merged.
    Result<int> finish();

private:
    Status step();
    Status flush();
    Status insertAll();
    Status mergeAll();

    Database &m_database;
    int m_total;
    const Progress &m_onProgress;
    int m_done = 0;
    QList<ContactRecord> m_contacts;
    QList<QByteArray> m_cards;
    QList<ContactRecord> m_merges;
    QList<QByteArray> m_mergeCards;
    std::optional<QSqlQuery> m_insert;
    std::optional<QHash<QString, qint64>> m_byName;
};
