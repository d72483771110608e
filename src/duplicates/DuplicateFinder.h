#pragma once

#include "DuplicateSet.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QHash>
#include <array>
#include <functional>

class Database;
class TextRow;

// Finds contacts that are probably one person. Each contact's normalized keys are collected as
// it is added and sorted once, so two contacts are only ever compared when a key matches; the
// work grows with the number of contacts, not with the number of pairs.
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
    // The fields a match looks at again, of one contact, held in one text: a fraction of the
    // memory a ContactRecord takes, which matters at hundreds of thousands of contacts.
    struct Stored
    {
        enum Field {
            FirstName,
            LastName,
            CompanyName,
            Address1,
            Address2,
            Number,
            Email = Number + 4
        };
        static constexpr int fieldCount = Email + 1;

        qint64 id = 0;
        QString text;
        std::array<quint32, fieldCount + 1> start {};

        static Stored from(const ContactRecord &contact);
        // Columns: ID, then the fields in their order.
        static Stored from(const TextRow &row);
        QStringView field(int field) const
        {
            return QStringView(text).sliced(start[field], start[field + 1] - start[field]);
        }
        QStringView number(int slot) const { return field(Number + slot); }
    };

    struct Link
    {
        int from;
        int to;
        DuplicateLevel level;
        QString reason;
    };

    // What a key is made of, in the order a contact's reasons are listed.
    enum class KeyKind : quint8 {
        Number,
        LongNumber,
        Email,
        NameAndCompany,
        NameAndAddress,
        SameName
    };
    // One key of one contact. Sorting the keys brings equal ones together, which is much
    // cheaper than a hash map of texts: no text is copied, and the memory is read in order.
    struct Key
    {
        KeyKind kind;
        // The number slot, for a number key.
        quint8 slot;
        int contact;
        // A number of up to 18 digits exactly; anything else as a 64-bit hash, confirmed
        // against the texts themselves before two contacts are linked.
        quint64 value;
    };

    // labels: whether each number slot holds a fax number.
    void add(Stored contact, const std::array<bool, 4> &fax);
    void addText(KeyKind kind, int slot, const QString &text);
    QString textKey(KeyKind kind, int slot, int contact) const;
    QString reason(const Key &key, int earlier) const;
    QList<Link> links() const;
    // Contacts joined by links of one strength, keyed by a representative.
    static QHash<int, QList<int>> group(const QList<Link> &links, bool strong);
    QList<DuplicateSet> strongSets(const QList<Link> &links, QHash<int, int> &strongGroupOf) const;
    QList<DuplicateSet> sameNameSets(const QList<Link> &links,
                                     const QHash<int, int> &strongGroupOf) const;
    DuplicateSet makeSet(DuplicateLevel level, QList<int> members) const;

    QString nameOf(int contact) const;

    // The display name and the keys of an earlier contact are only made again for a match.
    QList<Stored> m_contacts;
    QList<Key> m_keys;
};
