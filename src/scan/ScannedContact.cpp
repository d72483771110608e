#include "ScannedContact.h"

#include "contacts/ContactGroup.h"
#include "data/Database.h"
#include "duplicates/DuplicateKeys.h"
#include "interchange/CardImport.h"

#include <QSqlQuery>

namespace {

constexpr size_t rowNumbers = 4;

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
    for (const QString &english : { scan.english.name, scan.english.title, scan.english.companyName,
                                    scan.english.address }) {
        if (!english.isEmpty())
            lines << english;
    }
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
    return contact;
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
            const QStringList storedKeys = keysOf(stored);
            if (std::any_of(keys.begin(), keys.end(),
                            [&storedKeys](const QString &key) { return storedKeys.contains(key); }))
                match = { row.value(0).toLongLong(), stored.displayName() };
        });
    if (!read)
        return read;
    return match;
}

Result<Saving> addNew(Database &database, const QList<ContactRecord> &contacts)
{
    Saving saving;
    for (const ContactRecord &contact : contacts) {
        if (!contact.hasName()) {
            saving.nameless << contact;
            continue;
        }
        const auto match = existing(database, contact);
        if (!match)
            return match.status();
        if (match.value().id != 0)
            saving.updates.append({ contact, match.value() });
        else
            saving.added << contact;
    }
    if (saving.added.isEmpty())
        return saving;
    const auto written = CardImport(database).write(saving.added);
    if (!written)
        return written.status();
    return saving;
}

} // namespace ScannedContact
