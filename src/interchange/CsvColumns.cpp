#include "CsvColumns.h"

#include "ContactBuilder.h"
#include "cards/PersonName.h"

#include <QHash>

namespace {

using Role = CsvColumns::Role;

struct Known
{
    Role role;
    QString label;
};

QString keyOf(const QString &name)
{
    return name.trimmed().toLower();
}

// Column names as the common programs write them; matched without regard to letter case.
const QHash<QString, Known> &knownColumns()
{
    static const QHash<QString, Known> table = [] {
        QHash<QString, Known> known;
        const auto add = [&known](Role role, const QStringList &names, const QString &label = {}) {
            for (const QString &name : names)
                known.insert(keyOf(name), { role, label });
        };
        add(Role::Family,
            { QStringLiteral("姓氏"), QStringLiteral("姓"), QStringLiteral("Last Name"),
              QStringLiteral("Family Name"), QStringLiteral("Surname") });
        add(Role::Given,
            { QStringLiteral("名字"), QStringLiteral("名"), QStringLiteral("First Name"),
              QStringLiteral("Given Name") });
        add(Role::Middle,
            { QStringLiteral("Middle Name"), QStringLiteral("Additional Name"),
              QStringLiteral("中间名") });
        add(Role::FullName,
            { QStringLiteral("Name"), QStringLiteral("姓名"), QStringLiteral("Display Name"),
              QStringLiteral("显示名称"), QStringLiteral("Full Name"), QStringLiteral("全名") });
        add(Role::Title,
            { QStringLiteral("职务"), QStringLiteral("Job Title"), QStringLiteral("职位"),
              QStringLiteral("Organization 1 - Title") });
        add(Role::Group,
            { QStringLiteral("关系类别"), QStringLiteral("Group Membership"),
              QStringLiteral("Categories"), QStringLiteral("类别"), QStringLiteral("分组") });
        add(Role::Company,
            { QStringLiteral("公司名称"), QStringLiteral("公司"), QStringLiteral("Company"),
              QStringLiteral("Organization"), QStringLiteral("Organization 1 - Name"),
              QStringLiteral("单位") });
        add(Role::Address1,
            { QStringLiteral("公司地址一"), QStringLiteral("Business Street"),
              QStringLiteral("Home Street"), QStringLiteral("Address 1 - Street"),
              QStringLiteral("商务地址 街道"), QStringLiteral("地址") });
        add(Role::Address2,
            { QStringLiteral("公司地址二"), QStringLiteral("Business City"),
              QStringLiteral("Home City"), QStringLiteral("Address 1 - City"),
              QStringLiteral("商务地址 市/县") });
        add(Role::Address3, { QStringLiteral("公司地址三") });
        add(Role::Postcode,
            { QStringLiteral("邮编"), QStringLiteral("邮政编码"),
              QStringLiteral("Business Postal Code"), QStringLiteral("Home Postal Code"),
              QStringLiteral("Address 1 - Postal Code"), QStringLiteral("商务地址 邮政编码") });
        add(Role::Number,
            { QStringLiteral("Mobile Phone"), QStringLiteral("移动电话"), QStringLiteral("手机") },
            QStringLiteral("手机"));
        add(Role::Number,
            { QStringLiteral("Business Phone"), QStringLiteral("商务电话"),
              QStringLiteral("办公电话") },
            QStringLiteral("办公电话"));
        add(Role::Number,
            { QStringLiteral("Home Phone"), QStringLiteral("住宅电话"),
              QStringLiteral("家庭电话") },
            QStringLiteral("家庭电话"));
        add(Role::Number,
            { QStringLiteral("Business Fax"), QStringLiteral("Home Fax"),
              QStringLiteral("商务传真"), QStringLiteral("传真") },
            QStringLiteral("传真"));
        add(Role::Number, { QStringLiteral("Pager"), QStringLiteral("寻呼机") },
            QStringLiteral("寻呼机"));
        add(Role::Number,
            { QStringLiteral("Primary Phone"), QStringLiteral("Other Phone"),
              QStringLiteral("Phone"), QStringLiteral("Phone 1 - Value"),
              QStringLiteral("Phone 2 - Value"), QStringLiteral("Phone 3 - Value"),
              QStringLiteral("主要电话"), QStringLiteral("其他电话"), QStringLiteral("电话") },
            QStringLiteral("电话"));
        add(Role::Email,
            { QStringLiteral("电子邮件"), QStringLiteral("E-mail Address"),
              QStringLiteral("Email Address"), QStringLiteral("E-mail 1 - Value"),
              QStringLiteral("E-mail 2 - Value"), QStringLiteral("E-mail 2 Address"),
              QStringLiteral("Email"), QStringLiteral("电子邮件地址"),
              QStringLiteral("电子邮件 2 地址") });
        add(Role::Website,
            { QStringLiteral("主页"), QStringLiteral("Web Page"), QStringLiteral("Website"),
              QStringLiteral("Website 1 - Value"), QStringLiteral("网页"),
              QStringLiteral("网址") });
        add(Role::Notes,
            { QStringLiteral("附加信息"), QStringLiteral("Notes"), QStringLiteral("备注"),
              QStringLiteral("附注") });
        return known;
    }();
    return table;
}

QString numberCaption(int slot)
{
    return QStringLiteral("联系方式%1").arg(slot + 1);
}

QString labelCaption(int slot)
{
    return QStringLiteral("联系方式%1的类别").arg(slot + 1);
}

// A spreadsheet runs a field starting with one of these as a formula; a leading apostrophe
// makes it show the text instead.
bool looksLikeFormula(const QString &field)
{
    return !field.isEmpty()
        && (field.at(0) == u'=' || field.at(0) == u'+' || field.at(0) == u'-'
            || field.at(0) == u'@');
}

QString withoutFormulaGuard(const QString &field)
{
    if (field.size() > 1 && field.at(0) == u'\'' && looksLikeFormula(field.mid(1)))
        return field.mid(1);
    return field;
}

// Google writes "* myContacts ::: 朋友"; its own system groups are no relationship.
QStringList groupsOf(const QString &field)
{
    QStringList groups;
    for (const QString &part : field.split(QStringLiteral(" ::: "))) {
        if (!part.trimmed().startsWith(u'*'))
            groups << part;
    }
    return groups;
}

} // namespace

QStringList CsvColumns::captions()
{
    QStringList captions { QStringLiteral("姓氏"),       QStringLiteral("名字"),
                           QStringLiteral("职务"),       QStringLiteral("关系类别"),
                           QStringLiteral("公司名称"),   QStringLiteral("公司地址一"),
                           QStringLiteral("公司地址二"), QStringLiteral("公司地址三"),
                           QStringLiteral("邮编") };
    for (int slot = 0; slot < 4; ++slot)
        captions << labelCaption(slot) << numberCaption(slot);
    captions << QStringLiteral("电子邮件") << QStringLiteral("主页") << QStringLiteral("附加信息");
    return captions;
}

QStringList CsvColumns::fieldsOf(const ContactRecord &contact)
{
    QStringList fields { contact.firstName, contact.lastName,    contact.title,
                         contact.type,      contact.companyName, contact.address1,
                         contact.address2,  contact.address3,    contact.postcode };
    for (int slot = 0; slot < 4; ++slot)
        fields << contact.labels[slot] << contact.numbers[slot];
    fields << contact.email << contact.website << contact.notes;
    for (QString &field : fields) {
        if (looksLikeFormula(field))
            field.prepend(u'\'');
    }
    return fields;
}

CsvColumns::CsvColumns(const QStringList &header)
{
    for (int i = 0; i < header.size(); ++i) {
        const QString key = keyOf(header.at(i));
        Column column;
        column.index = i;
        bool matched = false;
        for (int slot = 0; slot < 4 && !matched; ++slot) {
            column.slot = slot;
            if (key == numberCaption(slot)) {
                column.role = Role::Number;
                matched = true;
            } else if (key == labelCaption(slot)) {
                column.role = Role::NumberLabel;
                matched = true;
            }
        }
        if (!matched) {
            column.slot = -1;
            const auto known = knownColumns().constFind(key);
            if (known == knownColumns().constEnd())
                continue;
            column.role = known->role;
            column.label = known->label;
        }
        m_columns << column;
    }
}

bool CsvColumns::hasNameColumn() const
{
    for (const Column &column : m_columns) {
        if (column.role == Role::Family || column.role == Role::Given
            || column.role == Role::FullName)
            return true;
    }
    return false;
}

bool CsvColumns::toContact(const QStringList &fields, ContactRecord &contact, QString &reason) const
{
    ContactBuilder builder;
    QString family, given, middle, fullName, address1, address2, postcode;
    std::array<QString, 4> slotLabels;
    std::array<QString, 4> slotNumbers;
    bool ownSlots = false;
    const auto field = [&fields](const Column &column) {
        return column.index < fields.size() ? withoutFormulaGuard(fields.at(column.index).trimmed())
                                            : QString();
    };
    for (const Column &column : m_columns) {
        const QString value = field(column);
        switch (column.role) {
        case Role::Family:
            family = value;
            break;
        case Role::Given:
            given = value;
            break;
        case Role::Middle:
            middle = value;
            break;
        case Role::FullName:
            fullName = value;
            break;
        case Role::Title:
            builder.setTitle(value);
            break;
        case Role::Group:
            for (const QString &group : groupsOf(value))
                builder.addGroup(group);
            break;
        case Role::Company:
            builder.setCompany(value);
            break;
        case Role::Address1:
            address1 = value;
            break;
        case Role::Address2:
            address2 = value;
            break;
        case Role::Address3:
            builder.setAddress3(value);
            break;
        case Role::Postcode:
            postcode = value;
            break;
        case Role::Number:
            if (column.slot >= 0) {
                slotNumbers[column.slot] = value;
                ownSlots = true;
            } else {
                builder.addNumber(column.label, value);
            }
            break;
        case Role::NumberLabel:
            slotLabels[column.slot] = value;
            break;
        case Role::Email:
            builder.addEmail(value);
            break;
        case Role::Website:
            builder.addWebsite(value);
            break;
        case Role::Notes:
            builder.addNotes(withoutFormulaGuard(fields.value(column.index)));
            break;
        }
    }
    if (ownSlots) {
        for (int slot = 0; slot < 4; ++slot)
            builder.setNumberAt(slot, slotLabels[slot], slotNumbers[slot]);
    }
    if (!middle.isEmpty())
        given = given.isEmpty() ? middle : given + u' ' + middle;
    if (family.isEmpty() && given.isEmpty()) {
        const PersonName::Parts parts = PersonName::split(fullName);
        family = parts.family;
        given = parts.given;
    }
    builder.setNames(family, given);
    builder.addAddress(address1, address2, postcode);
    if (!builder.hasName()) {
        reason = QStringLiteral("这一行没有姓名");
        return false;
    }
    contact = builder.take();
    return true;
}
