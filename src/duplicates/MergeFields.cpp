#include "MergeFields.h"

#include "DuplicateKeys.h"

#include <array>

namespace {

enum Field {
    FirstName,
    LastName,
    Title,
    Group,
    Company,
    Address1,
    Address2,
    Address3,
    Postcode,
    Number1,
    Number2,
    Number3,
    Number4,
    Email,
    Website,
    Notes,
    FieldCount
};

const std::array<QString, FieldCount> &captions()
{
    static const std::array<QString, FieldCount> all {
        QStringLiteral("姓氏"),       QStringLiteral("名字"),       QStringLiteral("职务"),
        QStringLiteral("关系类别"),   QStringLiteral("公司名称"),   QStringLiteral("公司地址一"),
        QStringLiteral("公司地址二"), QStringLiteral("公司地址三"), QStringLiteral("邮政编码"),
        QStringLiteral("联系方式一"), QStringLiteral("联系方式二"), QStringLiteral("联系方式三"),
        QStringLiteral("联系方式四"), QStringLiteral("电子邮件"),   QStringLiteral("主页地址"),
        QStringLiteral("备注"),
    };
    return all;
}

bool isNumber(int field)
{
    return field >= Number1 && field <= Number4;
}

// The field's text; for a number the number alone.
const QString &text(const ContactRecord &contact, int field)
{
    switch (field) {
    case FirstName:
        return contact.firstName;
    case LastName:
        return contact.lastName;
    case Title:
        return contact.title;
    case Group:
        return contact.type;
    case Company:
        return contact.companyName;
    case Address1:
        return contact.address1;
    case Address2:
        return contact.address2;
    case Address3:
        return contact.address3;
    case Postcode:
        return contact.postcode;
    case Email:
        return contact.email;
    case Website:
        return contact.website;
    case Notes:
        return contact.notes;
    default:
        return contact.numbers[field - Number1];
    }
}

QString &text(ContactRecord &contact, int field)
{
    return const_cast<QString &>(text(std::as_const(contact), field));
}

} // namespace

namespace MergeFields {

int count()
{
    return FieldCount;
}

QString caption(int field)
{
    return captions().at(field);
}

QString shown(const ContactRecord &contact, int field)
{
    if (!isNumber(field) || isEmpty(contact, field))
        return text(contact, field);
    const QString &label = contact.labels[field - Number1];
    return label.trimmed().isEmpty()
        ? text(contact, field)
        : label.trimmed() + QStringLiteral(": ") + text(contact, field);
}

bool isEmpty(const ContactRecord &contact, int field)
{
    return text(contact, field).trimmed().isEmpty();
}

bool same(const ContactRecord &a, const ContactRecord &b, int field)
{
    const QString &left = text(a, field);
    const QString &right = text(b, field);
    if (isNumber(field)) {
        const QString key = DuplicateKeys::number(left);
        if (!key.isEmpty())
            return key == DuplicateKeys::number(right);
    }
    if (field == Email)
        return left.trimmed().compare(right.trimmed(), Qt::CaseInsensitive) == 0;
    return left.trimmed() == right.trimmed();
}

void copy(const ContactRecord &from, ContactRecord &to, int field)
{
    text(to, field) = text(from, field);
    if (isNumber(field))
        to.labels[field - Number1] = from.labels[field - Number1];
}

bool sameRecord(const ContactRecord &a, const ContactRecord &b)
{
    for (int field = 0; field < FieldCount; ++field) {
        if (text(a, field) != text(b, field))
            return false;
    }
    return a.id == b.id && a.labels == b.labels;
}

} // namespace MergeFields
