#include "CsvColumns.h"

#include "CsvRecord.h"
#include "CsvWriter.h"

QStringList CsvColumns::captions()
{
    return CsvHeaders::ownCaptions();
}

QStringList CsvColumns::fieldsOf(const ContactRecord &contact)
{
    QStringList fields { contact.firstName, contact.lastName,    contact.title,
                         contact.type,      contact.companyName, contact.address1,
                         contact.address2,  contact.address3,    contact.postcode };
    for (int slot = 0; slot < 4; ++slot)
        fields << contact.labels[slot] << contact.numbers[slot];
    fields << contact.email << contact.website << contact.notes;
    for (QString &field : fields)
        field = CsvWriter::guarded(field);
    return fields;
}

CsvColumns::CsvColumns(const QStringList &header)
    : m_columns(CsvHeaders::classify(header))
{ }

bool CsvColumns::hasNameColumn() const
{
    for (const CsvHeaders::Column &column : m_columns) {
        if (column.role == CsvHeaders::Role::Family || column.role == CsvHeaders::Role::Given
            || column.role == CsvHeaders::Role::FullName)
            return true;
    }
    return false;
}

bool CsvColumns::toContact(const QStringList &fields, CsvContact &contact, QString &reason) const
{
    return CsvRecord::toContact(m_columns, fields, contact, reason);
}
