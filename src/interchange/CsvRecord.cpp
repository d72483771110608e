#include "CsvRecord.h"

#include "ContactBuilder.h"
#include "CsvWriter.h"
#include "cards/PersonName.h"
#include "contacts/ContactGroup.h"

#include <QHash>
#include <QRegularExpression>

namespace {

using CsvHeaders::Column;
using CsvHeaders::Part;
using CsvHeaders::Role;

// One number, e-mail address or web address, with what the file says of its kind.
struct Entry
{
    QString text;
    QString head;
    QString label;
    QStringList types;
    QString customLabel;
};

struct Address
{
    QString entry;
    QStringList types;
    QString customLabel;
    QStringList heads;
    QStringList streets;
    QString poBox, extended, city, region, postcode, country, formatted;

    bool isEmpty() const
    {
        return ContactBuilder::joined({ streets.join(u' '), poBox, extended, city, region, postcode,
                                        country, formatted })
            .isEmpty();
    }
    QString street() const { return streets.isEmpty() ? formatted : streets.join(u'\n'); }
    // What the row's address fields cannot hold.
    bool hasMoreThanTheRow() const
    {
        return streets.size() > 1 || !poBox.isEmpty() || !extended.isEmpty() || !region.isEmpty()
            || !country.isEmpty() || !formatted.isEmpty();
    }
};

// The standard kinds Google writes in its type columns; any other text is the user's own
// label. A leading "* " marks the preferred value.
struct Kind
{
    QString label;
    QStringList types;
    QString customLabel;
};

Kind kindOf(const QString &entry, const QString &typeText, const Column &column)
{
    QString text = typeText.trimmed();
    const bool preferred = text.startsWith(QStringLiteral("* "));
    if (preferred)
        text = text.mid(2).trimmed();
    Kind kind { column.label, column.types, {} };
    static const QHash<QString, Kind> phones {
        { "mobile", { "手机", { "cell" }, {} } },
        { "work", { "办公电话", { "work", "voice" }, {} } },
        { "home", { "家庭电话", { "home", "voice" }, {} } },
        { "main", { "电话", { "voice" }, {} } },
        { "work fax", { "传真", { "work", "fax" }, {} } },
        { "home fax", { "传真", { "home", "fax" }, {} } },
        { "other fax", { "传真", { "fax" }, {} } },
        { "pager", { "寻呼机", { "pager" }, {} } },
        { "other", { "电话", { "voice" }, {} } },
    };
    static const QHash<QString, QStringList> others { { "home", { "home" } },
                                                      { "work", { "work" } },
                                                      { "other", {} } };
    const QString key = text.toLower();
    if (entry.startsWith(u"phone") && phones.contains(key))
        kind = phones.value(key);
    else if (!entry.startsWith(u"phone") && others.contains(key))
        kind.types = others.value(key);
    else if (!text.isEmpty())
        kind = { text, {}, text };
    if (preferred)
        kind.types << QStringLiteral("pref");
    return kind;
}

// Google joins several values of one entry with " ::: ".
QStringList valuesOf(const QString &cell)
{
    QStringList values;
    for (const QString &value : cell.split(QStringLiteral(" ::: "))) {
        if (!value.trimmed().isEmpty())
            values << value.trimmed();
    }
    return values;
}

CardExtra extra(const QString &property, const QStringList &columns, const QStringList &components)
{
    CardExtra value;
    value.property = property;
    value.columns = columns;
    value.components = components;
    return value;
}

void addTypes(CardExtra &value, const QStringList &types, const QString &customLabel)
{
    for (const QString &type : types)
        value.parameters.append({ QStringLiteral("TYPE"), type });
    if (!customLabel.isEmpty())
        value.parameters.append({ QStringLiteral("X-ZORVANE-LABEL"), customLabel });
}

// The labels a row's number takes that card types say on their own.
bool typesSayLabel(const QString &label)
{
    static const QStringList plain { "手机", "办公电话", "家庭电话", "传真", "寻呼机", "电话" };
    return plain.contains(label);
}

CardExtra entryExtra(const QString &property, const Entry &entry)
{
    CardExtra value = extra(property, { entry.head }, { entry.text });
    const bool unnamed
        = entry.customLabel.isEmpty() && property == u"TEL" && !typesSayLabel(entry.label);
    addTypes(value, entry.types, unnamed ? entry.label : entry.customLabel);
    return value;
}

CardExtra addressExtra(const Address &address, const QStringList &columns)
{
    CardExtra value = extra(QStringLiteral("ADR"), columns,
                            { address.poBox, address.extended, address.street(), address.city,
                              address.region, address.postcode, address.country });
    addTypes(value, address.types, address.customLabel);
    if (!address.formatted.isEmpty())
        value.parameters.append({ QStringLiteral("LABEL"), address.formatted });
    return value;
}

// Google's and Outlook's group columns; Google's own system groups ("* myContacts") are no
// relationship, and Outlook separates its categories with semicolons.
QStringList groupsOf(const Column &column, const QString &cell)
{
    QStringList groups;
    const bool outlook
        = column.head.compare(u"Categories", Qt::CaseInsensitive) == 0 || column.head == u"类别";
    for (const QString &part : valuesOf(cell)) {
        if (part.startsWith(u'*'))
            continue;
        groups += outlook ? part.split(u';', Qt::SkipEmptyParts) : QStringList { part };
    }
    for (QString &group : groups)
        group = group.trimmed();
    groups.removeAll(QString());
    return groups;
}

// Gathers one record column by column, then fills the row and keeps the rest as extras.
class RecordMapper
{
public:
    RecordMapper(const QList<Column> &columns, const QStringList &fields)
        : m_columns(columns)
        , m_fields(fields)
    {
        for (const Column &column : columns) {
            if (column.role == Role::EntryType)
                m_entryTypes.insert(column.entry, cell(column));
        }
    }

    void gather()
    {
        for (const Column &column : m_columns)
            take(column, cell(column));
    }

    bool fill(CsvContact &contact, QString &reason)
    {
        fillNames();
        fillOrganisation();
        fillGroups();
        fillNumbers();
        fillEntries(m_emails, QStringLiteral("EMAIL"), &ContactBuilder::addEmail,
                    &ContactRecord::email);
        fillEntries(m_websites, QStringLiteral("URL"), &ContactBuilder::addWebsite,
                    &ContactRecord::website);
        fillAddress();
        if (!m_builder.hasName()) {
            reason = QStringLiteral("这一行没有姓名");
            return false;
        }
        contact.row = m_builder.record();
        if (contact.row.type.isEmpty())
            contact.row.type = ContactGroup::defaultName();
        contact.extras = std::move(m_extras);
        return true;
    }

private:
    QString cell(const Column &column) const
    {
        return column.index < m_fields.size()
            ? CsvWriter::unguarded(m_fields.at(column.index).trimmed())
            : QString();
    }

    void take(const Column &column, const QString &value)
    {
        switch (column.role) {
        case Role::Family:
        case Role::Given:
        case Role::Middle:
        case Role::FullName:
        case Role::Prefix:
        case Role::Suffix:
            if (!value.isEmpty()) {
                m_names[column.role] = value;
                m_nameHeads[column.role] = column.head;
            }
            break;
        case Role::Title:
        case Role::Company:
        case Role::Department:
            takeOrganisation(column, value);
            break;
        case Role::Group:
            for (const QString &group : groupsOf(column, value))
                m_groups << std::pair { group, column.head };
            break;
        case Role::OwnAddress1:
        case Role::OwnAddress2:
        case Role::OwnAddress3:
        case Role::OwnPostcode:
            m_own[column.role] = value;
            break;
        case Role::OwnNumber:
            m_slotNumbers[column.slot] = value;
            m_ownSlots = true;
            break;
        case Role::OwnNumberLabel:
            m_slotLabels[column.slot] = value;
            break;
        case Role::AddressPart:
            takeAddressPart(column, value);
            break;
        case Role::EntryType:
            break;
        case Role::Number:
            takeEntries(column, value, m_numbers);
            break;
        case Role::Email:
            takeEntries(column, value, m_emails);
            break;
        case Role::Website:
            takeEntries(column, value, m_websites);
            break;
        case Role::Notes:
            m_builder.addNotes(CsvWriter::unguarded(m_fields.value(column.index)));
            break;
        case Role::Extra:
            takeExtra(column, value);
            break;
        }
    }

    void takeOrganisation(const Column &column, const QString &value)
    {
        if (value.isEmpty())
            return;
        QString &kept = column.role == Role::Title ? m_title
            : column.role == Role::Company         ? m_company
                                                   : m_department;
        if (kept.isEmpty()) {
            kept = value;
            m_organisationHeads[column.role] = column.head;
            return;
        }
        if (column.role == Role::Title)
            m_extras << extra(QStringLiteral("TITLE"), { column.head }, { value });
        else
            m_extras << extra(QStringLiteral("ORG"), { column.head },
                              column.role == Role::Company ? QStringList { value, QString() }
                                                           : QStringList { QString(), value });
    }

    void takeEntries(const Column &column, const QString &cell, QList<Entry> &into)
    {
        const Kind kind = kindOf(column.entry, m_entryTypes.value(column.entry), column);
        for (const QString &value : valuesOf(cell))
            into << Entry { value, column.head, kind.label, kind.types, kind.customLabel };
    }

    void takeAddressPart(const Column &column, const QString &value)
    {
        if (value.isEmpty())
            return;
        Address &address = addressFor(column);
        address.heads << column.head;
        switch (column.part) {
        case Part::Street:
            address.streets << value;
            break;
        case Part::PoBox:
            address.poBox = value;
            break;
        case Part::Extended:
            address.extended = value;
            break;
        case Part::City:
            address.city = value;
            break;
        case Part::Region:
            address.region = value;
            break;
        case Part::Postcode:
            address.postcode = value;
            break;
        case Part::Country:
            address.country = value;
            break;
        case Part::Formatted:
            address.formatted = value;
            break;
        }
    }

    Address &addressFor(const Column &column)
    {
        for (Address &address : m_addresses) {
            if (address.entry == column.entry)
                return address;
        }
        Address address;
        address.entry = column.entry;
        address.types = column.types;
        if (m_entryTypes.contains(column.entry)) {
            const Kind kind = kindOf(column.entry, m_entryTypes.value(column.entry), column);
            address.types = kind.types;
            address.customLabel = kind.customLabel;
        }
        m_addresses << address;
        return m_addresses.last();
    }

    void takeExtra(const Column &column, const QString &value)
    {
        if (value.isEmpty())
            return;
        CardExtra kept = extra(column.property, { column.head }, { value });
        if (column.property == u"X-ZORVANE-CSV")
            kept.parameters.append({ QStringLiteral("X-ZORVANE-LABEL"), column.head });
        m_extras << kept;
    }

    void fillNames()
    {
        QString family = m_names.value(Role::Family);
        QString given = m_names.value(Role::Given);
        const QString middle = m_names.value(Role::Middle);
        const QString fullName = m_names.value(Role::FullName);
        const QString named = family + given;
        QString rowGiven = given;
        if (!middle.isEmpty())
            rowGiven = given.isEmpty() ? middle : given + u' ' + middle;
        if (family.isEmpty() && rowGiven.isEmpty()) {
            const PersonName::Parts parts = PersonName::split(fullName);
            family = parts.family;
            rowGiven = parts.given;
        }
        m_builder.setNames(family, rowGiven);
        const ContactRecord &row = m_builder.record();
        const bool shortened = row.firstName != family || row.lastName != rowGiven;
        QStringList heads;
        for (const Role role : { Role::Middle, Role::Prefix, Role::Suffix }) {
            if (m_names.contains(role))
                heads << m_nameHeads.value(role);
        }
        if (shortened || m_names.contains(Role::Prefix) || m_names.contains(Role::Suffix)) {
            CardExtra name = extra(QStringLiteral("N"), heads,
                                   { family, given, middle, m_names.value(Role::Prefix),
                                     m_names.value(Role::Suffix) });
            name.replacesRowValue = true;
            m_extras << name;
        }
        if (!fullName.isEmpty() && !named.isEmpty()) {
            CardExtra shown
                = extra(QStringLiteral("FN"), { m_nameHeads.value(Role::FullName) }, { fullName });
            shown.replacesRowValue = true;
            m_extras << shown;
        }
    }

    void fillOrganisation()
    {
        m_builder.setTitle(m_title);
        m_builder.setCompany(m_company);
        const ContactRecord &row = m_builder.record();
        if (row.title != m_title) {
            CardExtra title = extra(QStringLiteral("TITLE"),
                                    { m_organisationHeads.value(Role::Title) }, { m_title });
            title.replacesRowValue = true;
            m_extras << title;
        }
        if (row.companyName != m_company || !m_department.isEmpty()) {
            QStringList heads;
            if (row.companyName != m_company)
                heads << m_organisationHeads.value(Role::Company);
            if (!m_department.isEmpty())
                heads << m_organisationHeads.value(Role::Department);
            CardExtra organisation
                = extra(QStringLiteral("ORG"), heads, { m_company, m_department });
            organisation.replacesRowValue = true;
            m_extras << organisation;
        }
    }

    void fillGroups()
    {
        for (qsizetype i = 0; i < m_groups.size(); ++i) {
            const auto &[group, head] = m_groups.at(i);
            if (i > 0) {
                m_extras << extra(QStringLiteral("CATEGORIES"), { head }, { group });
                continue;
            }
            m_builder.addGroup(group);
            if (m_builder.record().type != ContactGroup::clean(group)) {
                CardExtra whole = extra(QStringLiteral("CATEGORIES"), { head }, { group });
                whole.replacesRowValue = true;
                m_extras << whole;
            }
        }
    }

    // The whole form of a value the row holds; its column is one the row could not hold
    // only when the row shortened it.
    void keepWhole(CardExtra whole, bool shortened)
    {
        whole.replacesRowValue = true;
        if (!shortened)
            whole.columns.clear();
        m_extras << whole;
    }

    void fillNumbers()
    {
        if (m_ownSlots) {
            for (int slot = 0; slot < 4; ++slot)
                m_builder.setNumberAt(slot, m_slotLabels[slot], m_slotNumbers[slot]);
        }
        int slot = m_ownSlots ? 4 : 0;
        for (const Entry &number : std::as_const(m_numbers)) {
            if (slot == 4) {
                m_extras << entryExtra(QStringLiteral("TEL"), number);
                continue;
            }
            m_builder.addNumber(number.label, number.text);
            const ContactRecord &row = m_builder.record();
            const bool shortened
                = row.numbers[slot] != number.text || row.labels[slot] != number.label;
            if (shortened || number.types.contains(u"pref"))
                keepWhole(entryExtra(QStringLiteral("TEL"), number), shortened);
            ++slot;
        }
    }

    void fillEntries(const QList<Entry> &entries, const QString &property,
                     void (ContactBuilder::*add)(const QString &), QString ContactRecord::*field)
    {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (i > 0) {
                m_extras << entryExtra(property, entries.at(i));
                continue;
            }
            (m_builder.*add)(entries.at(i).text);
            const bool shortened = m_builder.record().*field != entries.at(i).text;
            if (shortened || !entries.at(i).types.isEmpty() || !entries.at(i).customLabel.isEmpty())
                keepWhole(entryExtra(property, entries.at(i)), shortened);
        }
    }

    // Our own columns fill the row as they are; else the business address, else the first.
    void fillAddress()
    {
        QList<Address> addresses;
        for (const Address &address : std::as_const(m_addresses)) {
            if (!address.isEmpty())
                addresses << address;
        }
        const QString own1 = m_own.value(Role::OwnAddress1);
        const QString own2 = m_own.value(Role::OwnAddress2);
        const QString ownPostcode = m_own.value(Role::OwnPostcode);
        m_builder.setAddress3(m_own.value(Role::OwnAddress3));
        qsizetype inRow = -1;
        if (!ContactBuilder::joined({ own1, own2, ownPostcode }).isEmpty()) {
            m_builder.addAddress(own1, own2, ownPostcode);
        } else if (!addresses.isEmpty()) {
            inRow = 0;
            for (qsizetype i = 0; i < addresses.size() && inRow == 0; ++i) {
                if (addresses.at(i).types.contains(u"work"))
                    inRow = i;
            }
            fillRowAddress(addresses.at(inRow));
        }
        for (qsizetype i = 0; i < addresses.size(); ++i) {
            if (i != inRow)
                m_extras << addressExtra(addresses.at(i), addresses.at(i).heads);
        }
    }

    void fillRowAddress(const Address &address)
    {
        const QString street
            = address.streets.isEmpty() ? address.formatted : address.streets.join(u' ');
        m_builder.addAddress(street, address.city, address.postcode);
        const ContactRecord &row = m_builder.record();
        const bool shortened = row.address1 != street || row.address2 != address.city
            || row.postcode != address.postcode;
        if (!shortened && !address.hasMoreThanTheRow())
            return;
        // The heads of the street's first line, the city and the post code name what the row
        // holds.
        static const QRegularExpression rowPart(
            QStringLiteral("(street|街道|city|市/县|postal code|邮政编码)$"),
            QRegularExpression::CaseInsensitiveOption);
        QStringList heads;
        for (const QString &head : address.heads) {
            if (shortened || !rowPart.match(head).hasMatch())
                heads << head;
        }
        CardExtra whole = addressExtra(address, heads);
        whole.replacesRowValue = true;
        m_extras << whole;
    }

    const QList<Column> &m_columns;
    const QStringList &m_fields;
    QHash<QString, QString> m_entryTypes;
    ContactBuilder m_builder;
    QList<CardExtra> m_extras;
    QHash<Role, QString> m_names;
    QHash<Role, QString> m_nameHeads;
    QString m_title, m_company, m_department;
    QHash<Role, QString> m_organisationHeads;
    QList<std::pair<QString, QString>> m_groups;
    QHash<Role, QString> m_own;
    std::array<QString, 4> m_slotLabels;
    std::array<QString, 4> m_slotNumbers;
    bool m_ownSlots = false;
    QList<Address> m_addresses;
    QList<Entry> m_numbers;
    QList<Entry> m_emails;
    QList<Entry> m_websites;
};

} // namespace

namespace CsvRecord {

bool toContact(const QList<Column> &columns, const QStringList &fields, CsvContact &contact,
               QString &reason)
{
    RecordMapper mapper(columns, fields);
    mapper.gather();
    return mapper.fill(contact, reason);
}

} // namespace CsvRecord
