#pragma once

#include "contacts/ContactRecord.h"

#include <QStringList>

// The fields of a row that hold text, as "field=value" under the file's column names, so a case
// lists only what it expects.
inline QStringList filledFields(const ContactRecord &c)
{
    QStringList fields;
    const auto add = [&fields](const QString &name, const QString &value) {
        if (!value.isEmpty())
            fields << name + u'=' + value;
    };
    add(QStringLiteral("FirstName"), c.firstName);
    add(QStringLiteral("LastName"), c.lastName);
    add(QStringLiteral("Title"), c.title);
    add(QStringLiteral("Type"), c.type);
    add(QStringLiteral("CompanyName"), c.companyName);
    add(QStringLiteral("Address1"), c.address1);
    add(QStringLiteral("Address2"), c.address2);
    add(QStringLiteral("Address3"), c.address3);
    add(QStringLiteral("Postcode"), c.postcode);
    for (int i = 0; i < 4; ++i) {
        add(QStringLiteral("Data%1").arg(i + 1), c.numbers[i]);
        add(QStringLiteral("Combo%1").arg(i + 1), c.labels[i]);
    }
    add(QStringLiteral("Email"), c.email);
    add(QStringLiteral("Website"), c.website);
    add(QStringLiteral("Notes"), c.notes);
    return fields;
}
