#pragma once

#include "DuplicateSet.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QHash>
#include <functional>

class Database;

// Finds contacts that are probably one person. Each contact's normalized keys go into hash
// maps as it is added, so two contacts are only ever compared when a key matches; the work
// grows with the number of contacts, not with the number of pairs.
class DuplicateFinder
{
public:
    struct Outcome
    {
        QList<DuplicateSet> sets;
        bool cancelled = false;
    };
    // Told the share read so far in percent; answers false to stop.
    using Progress = std::function<bool(int percent)>;

    // Room for that many contacts, so the maps do not grow step by step.
    void reserve(int contacts);
    void add(const ContactRecord &contact);
    // Very likely sets first, then likely ones, then same-name-only ones; within a level by the
    // oldest contact.
    QList<DuplicateSet> sets() const;

    // Reads every contact of the file but the template and the placeholder. Only reads.
    static Result<Outcome> find(Database &database, const Progress &progress = {});

private:
    struct Link
    {
        int from;
        int to;
        DuplicateLevel level;
        QString reason;
    };

    // reasonFor(earlier) says why the contact just added matches an earlier one; it runs only
    // for a match, so a file without duplicates builds no texts.
    template<typename ReasonFor>
    void index(QHash<QString, int> &keys, const QString &key, DuplicateLevel level,
               const ReasonFor &reasonFor);
    // Contacts joined by links of one strength, keyed by a representative.
    QHash<int, QList<int>> group(bool strong) const;
    QList<DuplicateSet> strongSets(QHash<int, int> &strongGroupOf) const;
    QList<DuplicateSet> sameNameSets(const QHash<int, int> &strongGroupOf) const;
    DuplicateSet makeSet(DuplicateLevel level, QList<int> members) const;

    QString nameOf(int contact) const;

    QList<qint64> m_ids;
    // Family and given names as read; the display name is only made for contacts in a set.
    QList<std::pair<QString, QString>> m_names;
    QHash<QString, int> m_numbers;
    QHash<QString, int> m_emails;
    QHash<QString, int> m_nameAndCompany;
    QHash<QString, int> m_nameAndAddress;
    QHash<QString, int> m_sameName;
    QList<Link> m_links;
};
