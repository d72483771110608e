#include "ContactColumns.h"

#include "data/Database.h"

namespace ContactColumns {

QString list()
{
    return QStringLiteral("FirstName, LastName, Title, Type, CompanyName, Address1, Address2, "
                          "Address3, Postcode, Data1, Data2, Data3, Data4, Combo1, Combo2, "
                          "Combo3, Combo4, Email, Website, Notes");
}

QVariantList values(const ContactRecord &c)
{
    return { c.firstName,  c.lastName,   c.title,      c.type,      c.companyName,
             c.address1,   c.address2,   c.address3,   c.postcode,  c.numbers[0],
             c.numbers[1], c.numbers[2], c.numbers[3], c.labels[0], c.labels[1],
             c.labels[2],  c.labels[3],  c.email,      c.website,   c.notes };
}

namespace {

template<typename Next> ContactRecord readColumns(Next next)
{
    ContactRecord c;
    c.firstName = next();
    c.lastName = next();
    c.title = next();
    c.type = next();
    c.companyName = next();
    c.address1 = next();
    c.address2 = next();
    c.address3 = next();
    c.postcode = next();
    for (QString &number : c.numbers)
        number = next();
    for (QString &label : c.labels)
        label = next();
    c.email = next();
    c.website = next();
    c.notes = next();
    return c;
}

} // namespace

ContactRecord fromQuery(const QSqlQuery &query, int first)
{
    int at = first;
    return readColumns([&query, &at] { return query.value(at++).toString(); });
}

ContactRecord fromText(const TextRow &row, int first)
{
    int at = first;
    return readColumns([&row, &at] { return QString::fromUtf8(row.text(at++)); });
}

ContactRecord fromUtf8(const QByteArrayView *columns)
{
    return readColumns([&columns] { return QString::fromUtf8(*columns++); });
}

} // namespace ContactColumns
