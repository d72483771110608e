#pragma once

#include "contacts/ContactRecord.h"

#include <QList>
#include <QStringList>

// What each CSV column holds: our own captions when we write, and when we read, our captions
// and the column names of the common mail and contact programs' exports, in English and Chinese.
class CsvColumns
{
public:
    // Our header row, in the order rows are written.
    static QStringList captions();
    static QStringList fieldsOf(const ContactRecord &contact);

    // Matches a header row; holds no name column when the row is no contact header.
    explicit CsvColumns(const QStringList &header);
    bool hasNameColumn() const;
    // False, with a reason, for a line that names nobody.
    bool toContact(const QStringList &fields, ContactRecord &contact, QString &reason) const;

    enum class Role {
        Family,
        Given,
        Middle,
        FullName,
        Title,
        Group,
        Company,
        Address1,
        Address2,
        Address3,
        Postcode,
        Number,
        NumberLabel,
        Email,
        Website,
        Notes
    };

private:
    struct Column
    {
        int index = 0;
        Role role = Role::Notes;
        // For numbers: the label the column gives, or the slot of our own columns.
        QString label;
        int slot = -1;
    };

    QList<Column> m_columns;
};
