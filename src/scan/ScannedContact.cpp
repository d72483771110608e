#include "ScannedContact.h"

#include "cards/CardProjection.h"
#include "cards/CardStore.h"
#include "cards/CardUnion.h"
#include "cards/CardWriter.h"
#include "contacts/ContactGroup.h"
#include "contacts/ContactStore.h"
#include "data/Database.h"
#include "data/Transaction.h"
#include "duplicates/DuplicateKeys.h"
#include "interchange/CardImport.h"

#include <QSqlQuery>
#include <algorithm>

namespace {

constexpr size_t rowNumbers = 4;
constexpr qsizetype addressLength = 100;

// "010-6552 8888 转 801" compares as the number before its extension.
QString numberKey(const QString &number)
{
    static const QStringList extensionMarks { QStringLiteral("转"), QStringLiteral("分机"),
                                              QStringLiteral("ext"), QStringLiteral("x") };
    QString main = number;
    for (const QString &mark : extensionMarks) {
        const qsizetype at = main.indexOf(mark, 0, Qt::CaseInsensitive);
        if (at > 0)
            main.truncate(at);
    }
    return DuplicateKeys::number(main);
}

QStringList keysOf(const ContactRecord &contact)
{
    QStringList keys;
    for (const QString &number : contact.numbers) {
        if (const QString key = numberKey(number); !key.isEmpty())
            keys << QStringLiteral("tel:") + key;
    }
    if (const QString key = DuplicateKeys::email(contact.email); !key.isEmpty())
        keys << QStringLiteral("mail:") + key;
    return keys;
}

bool samePerson(const ContactRecord &a, const ContactRecord &b)
{
    if (DuplicateKeys::name(a.firstName, a.lastName)
        != DuplicateKeys::name(b.firstName, b.lastName))
        return false;
    const QStringList keys = keysOf(b);
    const QStringList aKeys = keysOf(a);
    return std::any_of(aKeys.begin(), aKeys.end(),
                       [&keys](const QString &key) { return keys.contains(key); });
}

// Beside the property the row's field made, its English form: both get one ALTID, the English
// one LANGUAGE=en.
void addEnglish(Card &card, const QString &name, const QString &english)
{
    const qsizetype at = card.preferred(name);
    if (at < 0)
        return;
    int altId = 1;
    for (const CardProperty &property : std::as_const(card.properties)) {
        if (const CardParameter *used = property.parameter(QStringLiteral("ALTID")))
            altId = std::max(altId, used->values.value(0).toInt() + 1);
    }
    card.properties[at].setParameter(QStringLiteral("ALTID"), { QString::number(altId) });
    CardProperty alternate = card.properties.at(at);
    alternate.group.clear();
    alternate.removeParameter(QStringLiteral("PREF"));
    alternate.setParameter(QStringLiteral("LANGUAGE"), { QStringLiteral("en") });
    if (name == u"ORG")
        alternate.setComponents({ english });
    else if (name == u"ADR")
        alternate.setComponents(
            { QString(), QString(), english, QString(), QString(), QString(), QString() });
    else
        alternate.setText(english);
    card.properties.insert(at + 1, alternate);
}

void fillText(QString &field, const QString &scanned)
{
    if (field.isEmpty())
        field = scanned;
}

// The stored row with the scan's values in its empty fields: a number it lacks goes into a free
// slot; the group stays.
ContactRecord filled(ContactRecord stored, const ContactRecord &scanned)
{
    for (auto field :
         { &ContactRecord::title, &ContactRecord::companyName, &ContactRecord::postcode,
           &ContactRecord::email, &ContactRecord::website, &ContactRecord::notes })
        fillText(stored.*field, scanned.*field);
    // The two address lines are one address: a part of the scanned one never joins the stored one.
    if (stored.address1.isEmpty() && stored.address2.isEmpty()) {
        stored.address1 = scanned.address1;
        stored.address2 = scanned.address2;
    }
    QStringList known;
    for (const QString &number : stored.numbers)
        known << numberKey(number);
    for (size_t i = 0; i < rowNumbers; ++i) {
        const QString &number = scanned.numbers[i];
        if (number.isEmpty() || known.contains(numberKey(number)))
            continue;
        const auto free = std::find_if(stored.numbers.begin(), stored.numbers.end(),
                                       [](const QString &slot) { return slot.isEmpty(); });
        if (free == stored.numbers.end())
            break;
        *free = number;
        stored.labels[size_t(free - stored.numbers.begin())] = scanned.labels[i];
        known << numberKey(number);
    }
    return stored;
}

Result<qint64> addContact(Database &database, const ContactRecord &reviewed, const Card &card)
{
    const ContactStore::SaveResult added = ContactStore(database).add(reviewed);
    if (!added.ok())
        return Status::failure(added.message);
    if (Status kept = CardStore(database).keep(added.id, card); !kept)
        return kept;
    return added.id;
}

Result<qint64> updateContact(Database &database, qint64 id, const ContactRecord &reviewed,
                             const Card &card)
{
    ContactStore store(database);
    const auto before = store.load(id);
    if (!before)
        return before.status();
    const auto kept = CardStore(database).cardOf(before.value());
    if (!kept)
        return kept.status();
    const ContactStore::Edit edit { before.value(), filled(before.value(), reviewed), false };
    if (edit.hasChanges()) {
        if (const ContactStore::SaveResult saved = store.save(edit); !saved.ok())
            return Status::failure(saved.message);
    }
    // The contact keeps its own group; the group chosen for a new contact is no value of the card.
    Card scanned = card;
    scanned.properties.removeIf(
        [](const CardProperty &property) { return property.name == u"CATEGORIES"; });
    if (Status united
        = CardStore(database).keep(id, CardUnion::unite({ kept.value(), scanned }, edit.after));
        !united)
        return united;
    return id;
}

} // namespace

namespace ScannedContact {

QString notes(const ScanResult &scan)
{
    QStringList lines;
    for (size_t i = rowNumbers; i < size_t(scan.numbers.size()); ++i)
        lines << scan.numbers.at(qsizetype(i)).label + QStringLiteral("：")
                + scan.numbers.at(qsizetype(i)).number.text;
    for (const ScannedText &line : scan.otherLines)
        lines << line.text;
    return lines.join(u'\n');
}

ContactRecord toContact(const ScanResult &scan, const QString &group)
{
    ContactRecord contact;
    contact.firstName = scan.familyName.text;
    contact.lastName = scan.givenName.text;
    contact.title = scan.title.text;
    contact.type = ContactGroup::withDefault(group);
    contact.companyName = scan.companyName.text;
    contact.address1 = scan.address1.text;
    contact.address2 = scan.address2.text;
    contact.postcode = scan.postcode.text;
    for (size_t i = 0; i < rowNumbers && i < size_t(scan.numbers.size()); ++i) {
        contact.labels[i] = scan.numbers.at(qsizetype(i)).label;
        contact.numbers[i] = scan.numbers.at(qsizetype(i)).number.text;
    }
    contact.email = scan.email.text;
    contact.website = scan.website.text;
    contact.notes = notes(scan);
    // An English form with no Chinese one beside it is the field itself.
    fillText(contact.title, scan.english.title);
    fillText(contact.companyName, scan.english.companyName);
    if (contact.address1.isEmpty()) {
        contact.address1 = scan.english.address.left(addressLength);
        contact.address2 = scan.english.address.mid(addressLength, addressLength);
    }
    return contact;
}

Card toCard(const ScanResult &scan, const ContactRecord &row)
{
    Card card = CardProjection::fromRow(row);
    card.sourceVersion = CardVersion::V40;
    const auto alternate
        = [&card](const QString &name, const QString &field, const QString &english) {
              // Filled from the English form itself when the card had no Chinese one.
              if (!english.isEmpty() && !english.startsWith(field))
                  addEnglish(card, name, english);
          };
    alternate(QStringLiteral("FN"), row.displayName(), scan.english.name);
    alternate(QStringLiteral("TITLE"), row.title, scan.english.title);
    alternate(QStringLiteral("ORG"), row.companyName, scan.english.companyName);
    alternate(QStringLiteral("ADR"), row.address1, scan.english.address);
    return card;
}

Result<Match> existing(Database &database, const ContactRecord &contact)
{
    const QString name = DuplicateKeys::name(contact.firstName, contact.lastName);
    const QStringList keys = keysOf(contact);
    Match match;
    if (name.isEmpty() || keys.isEmpty())
        return match;
    const Status read = database.select(
        QStringLiteral("SELECT ID, FirstName, LastName, Data1, Data2, Data3, Data4, Email "
                       "FROM Contacts"),
        {}, [&](const QSqlQuery &row) {
            if (match.id != 0)
                return;
            ContactRecord stored;
            stored.firstName = row.value(1).toString();
            stored.lastName = row.value(2).toString();
            if (DuplicateKeys::name(stored.firstName, stored.lastName) != name)
                return;
            for (size_t i = 0; i < rowNumbers; ++i)
                stored.numbers[i] = row.value(int(3 + i)).toString();
            stored.email = row.value(7).toString();
            if (samePerson(stored, contact))
                match = { row.value(0).toLongLong(), stored.displayName() };
        });
    if (!read)
        return read;
    return match;
}

Result<Saving> addNew(Database &database, const QList<ContactRecord> &contacts,
                      const QList<Card> &cards)
{
    Saving saving;
    QList<QByteArray> keptCards;
    QList<ContactRecord> repeated;
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        const ContactRecord &contact = contacts.at(i);
        if (!contact.hasName()) {
            saving.nameless << contact;
            continue;
        }
        if (std::any_of(saving.added.begin(), saving.added.end(),
                        [&contact](const ContactRecord &earlier) {
                            return samePerson(earlier, contact);
                        })) {
            repeated << contact;
            continue;
        }
        const auto match = existing(database, contact);
        if (!match)
            return match.status();
        if (match.value().id != 0) {
            saving.updates.append({ contact, match.value() });
        } else {
            saving.added << contact;
            keptCards << (i < cards.size() ? CardWriter::keep(cards.at(i)) : QByteArray());
        }
    }
    if (saving.added.isEmpty())
        return saving;
    const auto written = CardImport(database).write(saving.added, keptCards);
    if (!written)
        return written.status();
    // A person twice in the batch is now in the file: the second card is reported as the first
    // one's update.
    for (const ContactRecord &contact : std::as_const(repeated)) {
        const auto match = existing(database, contact);
        if (!match)
            return match.status();
        saving.updates.append({ contact, match.value() });
    }
    return saving;
}

Result<qint64> save(Database &database, const ContactRecord &reviewed, const Card &card,
                    qint64 updateOf, const QList<CardImageStore::Image> &pictures)
{
    Transaction transaction(database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    const auto saved = updateOf == 0 ? addContact(database, reviewed, card)
                                     : updateContact(database, updateOf, reviewed, card);
    if (!saved)
        return saved;
    for (const CardImageStore::Image &picture : pictures) {
        if (Status kept = CardImageStore(database).keep(saved.value(), picture); !kept)
            return kept;
    }
    if (Status committed = transaction.commit(); !committed)
        return committed;
    return saved;
}

} // namespace ScannedContact
