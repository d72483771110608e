#include "DuplicateFinder.h"

#include "DuplicateKeys.h"
#include "contacts/ContactNames.h"
#include "data/Database.h"

#include <QSqlQuery>
#include <algorithm>
#include <limits>

namespace {

constexpr int batchSize = 5000;

// A fax number is shared by a whole office, so it says nothing about the person.
bool isFaxLabel(const QString &label)
{
    return label.contains(QStringLiteral("传真")) || label.contains(u"fax", Qt::CaseInsensitive);
}

QString joined(const QString &a, const QString &b)
{
    return a + QChar(u'\x1f') + b;
}

ContactRecord recordFrom(const QSqlQuery &row)
{
    ContactRecord record;
    record.id = row.value(0).toLongLong();
    record.firstName = row.value(1).toString();
    record.lastName = row.value(2).toString();
    record.companyName = row.value(3).toString();
    record.address1 = row.value(4).toString();
    record.address2 = row.value(5).toString();
    for (int i = 0; i < 4; ++i) {
        record.numbers[i] = row.value(6 + i).toString();
        record.labels[i] = row.value(10 + i).toString();
    }
    record.email = row.value(14).toString();
    return record;
}

} // namespace

template<typename ReasonFor>
void DuplicateFinder::index(QHash<QString, int> &keys, const QString &key, DuplicateLevel level,
                            const ReasonFor &reasonFor)
{
    // One look-up: a new key's slot is filled in place with the position + 1.
    int &slot = keys[key];
    const int current = int(m_ids.size()) - 1;
    if (slot == 0)
        slot = current + 1;
    else if (slot - 1 != current)
        m_links.append({ slot - 1, current, level, reasonFor(slot - 1) });
}

QString DuplicateFinder::nameOf(int contact) const
{
    return ContactNames::displayName(m_names.at(contact).first, m_names.at(contact).second);
}

void DuplicateFinder::reserve(int contacts)
{
    m_ids.reserve(contacts);
    m_names.reserve(contacts);
    // Most contacts carry two or three numbers.
    m_numbers.reserve(contacts * 3);
    for (QHash<QString, int> *keys :
         { &m_emails, &m_nameAndCompany, &m_nameAndAddress, &m_sameName })
        keys->reserve(contacts);
}

void DuplicateFinder::add(const ContactRecord &contact)
{
    m_ids.append(contact.id);
    m_names.append({ contact.firstName, contact.lastName });
    for (int i = 0; i < 4; ++i) {
        if (contact.numbers[i].isEmpty() || isFaxLabel(contact.labels[i]))
            continue;
        const QString number = DuplicateKeys::number(contact.numbers[i]);
        if (number.isEmpty())
            continue;
        index(m_numbers, number, DuplicateLevel::VeryLikely, [&number](int) {
            return (DuplicateKeys::isMobile(number) ? QStringLiteral("手机号码相同: ")
                                                    : QStringLiteral("电话号码相同: "))
                + number;
        });
    }
    if (const QString email = DuplicateKeys::email(contact.email); !email.isEmpty())
        index(m_emails, email, DuplicateLevel::VeryLikely,
              [&email](int) { return QStringLiteral("电子邮件相同: ") + email; });

    const QString name = DuplicateKeys::name(contact.firstName, contact.lastName);
    if (name.isEmpty())
        return;
    if (const QString company = DuplicateKeys::text(contact.companyName); !company.isEmpty())
        index(m_nameAndCompany, joined(name, company), DuplicateLevel::Likely, [&](int earlier) {
            return QStringLiteral("姓名和公司相同: %1, %2")
                .arg(nameOf(earlier), contact.companyName.trimmed());
        });
    const QString address = DuplicateKeys::text(contact.address1, contact.address2);
    if (!address.isEmpty())
        index(m_nameAndAddress, joined(name, address), DuplicateLevel::Likely, [&](int earlier) {
            return QStringLiteral("姓名和地址相同: %1, %2")
                .arg(nameOf(earlier),
                     (contact.address1.trimmed() + u' ' + contact.address2.trimmed()).trimmed());
        });
    index(m_sameName, name, DuplicateLevel::SameNameOnly,
          [](int) { return QStringLiteral("同名，可能是不同的人"); });
}

DuplicateSet DuplicateFinder::makeSet(DuplicateLevel level, QList<int> members) const
{
    std::sort(members.begin(), members.end(),
              [this](int a, int b) { return m_ids.at(a) < m_ids.at(b); });
    DuplicateSet set;
    set.level = level;
    for (int member : std::as_const(members)) {
        set.ids.append(m_ids.at(member));
        set.names.append(nameOf(member));
    }
    return set;
}

QHash<int, QList<int>> DuplicateFinder::group(bool strong) const
{
    // Only contacts that share a key take part, so the work follows the matches found.
    QHash<int, int> parent;
    const auto root = [&parent](int i) {
        for (auto up = parent.find(i); up != parent.end(); up = parent.find(i)) {
            // Path halving keeps the chains short.
            const auto grand = parent.constFind(up.value());
            if (grand != parent.cend())
                up.value() = grand.value();
            i = up.value();
        }
        return i;
    };
    for (const Link &link : m_links) {
        if ((link.level != DuplicateLevel::SameNameOnly) != strong)
            continue;
        const int from = root(link.from);
        const int to = root(link.to);
        if (from != to)
            parent.insert(to, from);
    }
    QHash<int, QList<int>> groups;
    for (const Link &link : m_links) {
        if ((link.level != DuplicateLevel::SameNameOnly) != strong)
            continue;
        for (int member : { link.from, link.to }) {
            QList<int> &members = groups[root(member)];
            if (!members.contains(member))
                members.append(member);
        }
    }
    return groups;
}

QList<DuplicateSet> DuplicateFinder::strongSets(QHash<int, int> &strongGroupOf) const
{
    const QHash<int, QList<int>> groups = group(true);
    QHash<int, DuplicateSet> byGroup;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        for (int member : it.value())
            strongGroupOf.insert(member, it.key());
        byGroup.insert(it.key(), makeSet(DuplicateLevel::SameNameOnly, it.value()));
    }
    for (const Link &link : m_links) {
        if (link.level == DuplicateLevel::SameNameOnly)
            continue;
        DuplicateSet &set = byGroup[strongGroupOf.value(link.from)];
        if (set.reasons.isEmpty() || link.level < set.level)
            set.level = link.level;
        if (!set.reasons.contains(link.reason))
            set.reasons.append(link.reason);
    }
    return byGroup.values();
}

QList<DuplicateSet> DuplicateFinder::sameNameSets(const QHash<int, int> &strongGroupOf) const
{
    QList<DuplicateSet> sets;
    const QHash<int, QList<int>> groups = group(false);
    for (const QList<int> &members : groups) {
        // Contacts already proposed together for a stronger reason need no second proposal.
        const int first = strongGroupOf.value(members.first(), -1);
        const bool allOneSet = first >= 0
            && std::all_of(members.cbegin(), members.cend(),
                           [&](int i) { return strongGroupOf.value(i, -1) == first; });
        if (allOneSet)
            continue;
        DuplicateSet set = makeSet(DuplicateLevel::SameNameOnly, members);
        set.reasons.append(QStringLiteral("同名，可能是不同的人"));
        sets.append(set);
    }
    return sets;
}

QList<DuplicateSet> DuplicateFinder::sets() const
{
    QHash<int, int> strongGroupOf;
    QList<DuplicateSet> all = strongSets(strongGroupOf);
    all += sameNameSets(strongGroupOf);
    std::sort(all.begin(), all.end(), [](const DuplicateSet &a, const DuplicateSet &b) {
        if (a.level != b.level)
            return a.level < b.level;
        return a.ids.first() < b.ids.first();
    });
    return all;
}

Result<DuplicateFinder::Outcome> DuplicateFinder::find(Database &database, const Progress &progress)
{
    const auto total = database.scalar(QStringLiteral("SELECT COUNT(*) FROM Contacts"));
    if (!total)
        return total.status();
    const qint64 count = qMax<qint64>(1, total.value().toLongLong());
    const QString sql
        = QStringLiteral(
              "SELECT ID, FirstName, LastName, CompanyName, Address1, Address2, Data1, Data2, "
              "Data3, "
              "Data4, Combo1, Combo2, Combo3, Combo4, Email FROM Contacts WHERE ID > ? ORDER BY ID "
              "LIMIT %1")
              .arg(batchSize);
    DuplicateFinder finder;
    finder.reserve(int(count));
    qint64 lastId = std::numeric_limits<qint64>::min();
    qint64 read = 0;
    for (;;) {
        int inBatch = 0;
        const Status status = database.select(sql, { lastId }, [&](const QSqlQuery &row) {
            const ContactRecord record = recordFrom(row);
            lastId = record.id;
            ++inBatch;
            if (!ContactNames::isReserved(record.firstName, record.lastName))
                finder.add(record);
        });
        if (!status)
            return status;
        read += inBatch;
        if (progress && !progress(int(qMin<qint64>(100, read * 100 / count))))
            return Outcome { {}, true };
        if (inBatch < batchSize)
            break;
    }
    return Outcome { finder.sets(), false };
}
