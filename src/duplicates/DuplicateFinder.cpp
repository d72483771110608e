#include "DuplicateFinder.h"

#include "DuplicateKeys.h"
#include "contacts/ContactNames.h"
#include "data/Database.h"

#include <QStringDecoder>
#include <algorithm>
#include <limits>
#include <tuple>

namespace {

constexpr int batchSize = 5000;
// Any fixed seed: a text must hash alike for every contact of one search.
constexpr size_t textHashSeed = 0x9e3779b97f4a7c15;

// The longest normalized number that fits a 64-bit key with its leading "1" marker.
constexpr int longestNumberKey = 18;

// A marker digit before the digits keeps leading zeros apart: "0101234567" is not "101234567".
quint64 numberKey(const QString &digits)
{
    quint64 key = 1;
    for (QChar c : digits)
        key = key * 10 + (c.unicode() - u'0');
    return key;
}

// A fax number is shared by a whole office, so it says nothing about the person. Read from the
// label's UTF-8, in which the ASCII letters of "fax" stand for themselves.
bool isFaxLabel(QByteArrayView label)
{
    if (label.contains(QByteArrayView("传真")))
        return true;
    for (qsizetype i = 0; i + 3 <= label.size(); ++i) {
        if (qstrnicmp(label.data() + i, 3, "fax", 3) == 0)
            return true;
    }
    return false;
}

QString joined(const QString &a, const QString &b)
{
    return a + QChar(u'\x1f') + b;
}

DuplicateLevel levelOf(quint8 kind)
{
    return kind < 3 ? DuplicateLevel::VeryLikely
        : kind < 5  ? DuplicateLevel::Likely
                    : DuplicateLevel::SameNameOnly;
}

QString joinedAddress(QStringView address1, QStringView address2)
{
    QString address = address1.trimmed().toString();
    address += u' ';
    address += address2.trimmed();
    return address.trimmed();
}

} // namespace

DuplicateFinder::Stored DuplicateFinder::Stored::from(const ContactRecord &contact)
{
    Stored stored;
    stored.id = contact.id;
    const std::array<const QString *, fieldCount> fields {
        &contact.firstName,  &contact.lastName,   &contact.companyName, &contact.address1,
        &contact.address2,   &contact.numbers[0], &contact.numbers[1],  &contact.numbers[2],
        &contact.numbers[3], &contact.email
    };
    for (int i = 0; i < fieldCount; ++i) {
        stored.start[i] = quint32(stored.text.size());
        stored.text += *fields[i];
    }
    stored.start[fieldCount] = quint32(stored.text.size());
    return stored;
}

DuplicateFinder::Stored DuplicateFinder::Stored::from(const TextRow &row)
{
    Stored stored;
    stored.id = row.integer(0);
    qsizetype bytes = 0;
    for (int i = 0; i < fieldCount; ++i)
        bytes += row.text(1 + i).size();
    // UTF-8 never takes fewer code units than UTF-16, so the text fits without growing.
    stored.text.resize(bytes);
    QChar *end = stored.text.data();
    QStringDecoder decoder(QStringDecoder::Utf8);
    for (int i = 0; i < fieldCount; ++i) {
        stored.start[i] = quint32(end - stored.text.constData());
        end = decoder.appendToBuffer(end, row.text(1 + i));
    }
    stored.start[fieldCount] = quint32(end - stored.text.constData());
    stored.text.truncate(stored.start[fieldCount]);
    return stored;
}

QString DuplicateFinder::textKey(KeyKind kind, int slot, int contact) const
{
    const Stored &record = m_contacts.at(contact);
    const QString name
        = DuplicateKeys::name(record.field(Stored::FirstName), record.field(Stored::LastName));
    switch (kind) {
    case KeyKind::Number:
    case KeyKind::LongNumber:
        return DuplicateKeys::number(record.number(slot));
    case KeyKind::Email:
        return DuplicateKeys::email(record.field(Stored::Email));
    case KeyKind::NameAndCompany:
        return joined(name, DuplicateKeys::text(record.field(Stored::CompanyName)));
    case KeyKind::NameAndAddress:
        return joined(
            name,
            DuplicateKeys::text(record.field(Stored::Address1), record.field(Stored::Address2)));
    case KeyKind::SameName:
        break;
    }
    return name;
}

void DuplicateFinder::addText(KeyKind kind, int slot, const QString &text)
{
    m_keys.append(
        { kind, quint8(slot), int(m_contacts.size()) - 1, quint64(qHash(text, textHashSeed)) });
}

QString DuplicateFinder::reason(const Key &key, int earlier) const
{
    const Stored &current = m_contacts.at(key.contact);
    switch (key.kind) {
    case KeyKind::Number:
    case KeyKind::LongNumber: {
        const QString number = textKey(key.kind, key.slot, key.contact);
        return (DuplicateKeys::isMobile(number) ? QStringLiteral("手机号码相同: ")
                                                : QStringLiteral("电话号码相同: "))
            + number;
    }
    case KeyKind::Email:
        return QStringLiteral("电子邮件相同: ")
            + DuplicateKeys::email(current.field(Stored::Email));
    case KeyKind::NameAndCompany:
        return QStringLiteral("姓名和公司相同: %1, %2")
            .arg(nameOf(earlier), current.field(Stored::CompanyName).trimmed());
    case KeyKind::NameAndAddress:
        return QStringLiteral("姓名和地址相同: %1, %2")
            .arg(nameOf(earlier),
                 joinedAddress(current.field(Stored::Address1), current.field(Stored::Address2)));
    case KeyKind::SameName:
        break;
    }
    return QStringLiteral("同名，可能是不同的人");
}

QList<DuplicateFinder::Link> DuplicateFinder::links() const
{
    QList<Key> keys = m_keys;
    const auto byKey = [](const Key &a, const Key &b) {
        return std::tie(a.kind, a.value, a.contact) < std::tie(b.kind, b.value, b.contact);
    };
    std::sort(keys.begin(), keys.end(), byKey);
    // Each match with the earliest contact holding its key.
    QList<std::pair<Key, int>> matches;
    for (qsizetype first = 0, next = 1; first < keys.size(); first = next) {
        const Key &earliest = keys.at(first);
        for (next = first + 1; next < keys.size() && keys.at(next).kind == earliest.kind
             && keys.at(next).value == earliest.value;
             ++next) { }
        if (next - first == 1)
            continue;
        // Numbers of up to 18 digits are exact; a text hash is confirmed by the texts.
        const bool exact = earliest.kind == KeyKind::Number;
        const QString text
            = exact ? QString() : textKey(earliest.kind, earliest.slot, earliest.contact);
        for (qsizetype i = first + 1; i < next; ++i) {
            const Key &key = keys.at(i);
            // A contact that lists one number twice is no duplicate of itself.
            if (key.contact == earliest.contact)
                continue;
            if (!exact && textKey(key.kind, key.slot, key.contact) != text)
                continue;
            matches.append({ key, earliest.contact });
        }
    }
    // In the order the contacts were read, and a contact's reasons in the order of its fields.
    const auto rank = [](const Key &key) {
        return std::tuple(key.contact, key.kind == KeyKind::LongNumber ? KeyKind::Number : key.kind,
                          key.slot);
    };
    std::sort(matches.begin(), matches.end(),
              [&rank](const auto &a, const auto &b) { return rank(a.first) < rank(b.first); });
    QList<Link> links;
    links.reserve(matches.size());
    for (const auto &[key, earlier] : std::as_const(matches))
        links.append({ earlier, key.contact, levelOf(quint8(key.kind)), reason(key, earlier) });
    return links;
}

QString DuplicateFinder::nameOf(int contact) const
{
    const Stored &stored = m_contacts.at(contact);
    return ContactNames::displayName(stored.field(Stored::FirstName),
                                     stored.field(Stored::LastName));
}

void DuplicateFinder::reserve(int contacts)
{
    m_contacts.reserve(contacts);
    // Most contacts carry two or three numbers, an e-mail address and a name or two.
    m_keys.reserve(qsizetype(contacts) * 6);
}

void DuplicateFinder::add(const ContactRecord &contact)
{
    std::array<bool, 4> fax {};
    for (int i = 0; i < 4; ++i)
        fax[i] = isFaxLabel(contact.labels[i].toUtf8());
    add(Stored::from(contact), fax);
}

void DuplicateFinder::add(Stored contact, const std::array<bool, 4> &fax)
{
    m_contacts.append(std::move(contact));
    const Stored &stored = m_contacts.constLast();
    const int current = int(m_contacts.size()) - 1;
    for (int i = 0; i < 4; ++i) {
        if (stored.number(i).isEmpty() || fax[i])
            continue;
        const QString number = DuplicateKeys::number(stored.number(i));
        if (number.isEmpty())
            continue;
        if (number.size() <= longestNumberKey)
            m_keys.append({ KeyKind::Number, quint8(i), current, numberKey(number) });
        else
            addText(KeyKind::LongNumber, i, number);
    }
    if (const QString email = DuplicateKeys::email(stored.field(Stored::Email)); !email.isEmpty())
        addText(KeyKind::Email, 0, email);

    const QString name
        = DuplicateKeys::name(stored.field(Stored::FirstName), stored.field(Stored::LastName));
    if (name.isEmpty())
        return;
    if (const QString company = DuplicateKeys::text(stored.field(Stored::CompanyName));
        !company.isEmpty())
        addText(KeyKind::NameAndCompany, 0, joined(name, company));
    if (const QString address
        = DuplicateKeys::text(stored.field(Stored::Address1), stored.field(Stored::Address2));
        !address.isEmpty())
        addText(KeyKind::NameAndAddress, 0, joined(name, address));
    addText(KeyKind::SameName, 0, name);
}

DuplicateSet DuplicateFinder::makeSet(DuplicateLevel level, QList<int> members) const
{
    std::sort(members.begin(), members.end(),
              [this](int a, int b) { return m_contacts.at(a).id < m_contacts.at(b).id; });
    DuplicateSet set;
    set.level = level;
    for (int member : std::as_const(members)) {
        set.ids.append(m_contacts.at(member).id);
        set.names.append(nameOf(member));
    }
    return set;
}

QHash<int, QList<int>> DuplicateFinder::group(const QList<Link> &links, bool strong)
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
    for (const Link &link : links) {
        if ((link.level != DuplicateLevel::SameNameOnly) != strong)
            continue;
        const int from = root(link.from);
        const int to = root(link.to);
        if (from != to)
            parent.insert(to, from);
    }
    QHash<int, QList<int>> groups;
    for (const Link &link : links) {
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

QList<DuplicateSet> DuplicateFinder::strongSets(const QList<Link> &links,
                                                QHash<int, int> &strongGroupOf) const
{
    const QHash<int, QList<int>> groups = group(links, true);
    QHash<int, DuplicateSet> byGroup;
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        for (int member : it.value())
            strongGroupOf.insert(member, it.key());
        byGroup.insert(it.key(), makeSet(DuplicateLevel::SameNameOnly, it.value()));
    }
    for (const Link &link : links) {
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

QList<DuplicateSet> DuplicateFinder::sameNameSets(const QList<Link> &links,
                                                  const QHash<int, int> &strongGroupOf) const
{
    QList<DuplicateSet> sets;
    const QHash<int, QList<int>> groups = group(links, false);
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
    const QList<Link> found = links();
    QList<DuplicateSet> all = strongSets(found, strongGroupOf);
    all += sameNameSets(found, strongGroupOf);
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
        = QStringLiteral("SELECT ID, FirstName, LastName, CompanyName, Address1, Address2, Data1, "
                         "Data2, Data3, Data4, Email, Combo1, Combo2, Combo3, Combo4 "
                         "FROM Contacts WHERE ID > ? ORDER BY ID LIMIT %1")
              .arg(batchSize);
    DuplicateFinder finder;
    finder.reserve(int(count));
    qint64 lastId = std::numeric_limits<qint64>::min();
    qint64 read = 0;
    for (;;) {
        int inBatch = 0;
        const Status status = database.selectText(sql, { lastId }, [&](const TextRow &row) {
            Stored stored = Stored::from(row);
            lastId = stored.id;
            ++inBatch;
            if (ContactNames::isReserved(stored.field(Stored::FirstName),
                                         stored.field(Stored::LastName)))
                return;
            std::array<bool, 4> fax {};
            for (int i = 0; i < 4; ++i)
                fax[i] = isFaxLabel(row.text(1 + Stored::fieldCount + i));
            finder.add(std::move(stored), fax);
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
