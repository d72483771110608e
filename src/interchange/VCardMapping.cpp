#include "VCardMapping.h"

#include "ContactBuilder.h"
#include "PersonName.h"
#include "VCardReader.h"

namespace {

struct LabelTypes
{
    QString label;
    QStringList types;
};

// In order of precedence: "WORK,FAX" is a fax, "HOME,CELL" a mobile.
const QList<LabelTypes> &labelTypes()
{
    static const QList<LabelTypes> table {
        { QStringLiteral("手机"), { QStringLiteral("CELL") } },
        { QStringLiteral("传真"), { QStringLiteral("FAX") } },
        { QStringLiteral("寻呼机"), { QStringLiteral("PAGER") } },
        { QStringLiteral("办公电话"), { QStringLiteral("WORK") } },
        { QStringLiteral("家庭电话"), { QStringLiteral("HOME") } },
        { QStringLiteral("电话"), { QStringLiteral("VOICE") } },
    };
    return table;
}

QString text(const VCardProperty *property)
{
    return property ? VCardReader::unescape(property->value).trimmed() : QString();
}

QString component(const QStringList &parts, int index)
{
    return index < parts.size() ? parts.at(index).trimmed() : QString();
}

PersonName::Parts nameOf(const VCard &card)
{
    const QString fullName = text(card.first(QStringLiteral("FN")));
    PersonName::Parts name;
    if (const VCardProperty *n = card.first(QStringLiteral("N"))) {
        const QStringList parts = VCardReader::splitUnescaped(n->value, u';');
        name.family = component(parts, 0);
        name.given = ContactBuilder::joined({ component(parts, 1), component(parts, 2) });
    }
    // Some Chinese phones write the whole name as the family name (N:张三;;;;).
    const bool wholeNameAsFamily = name.given.isEmpty() && name.family == fullName
        && PersonName::isHan(fullName) && fullName.size() > 1;
    if ((name.family.isEmpty() && name.given.isEmpty()) || wholeNameAsFamily)
        name = PersonName::split(fullName);
    if (name.family.isEmpty() && name.given.isEmpty()) {
        const QStringList org = VCardReader::splitUnescaped(
            card.first(QStringLiteral("ORG")) ? card.first(QStringLiteral("ORG"))->value
                                              : QString(),
            u';');
        name.family = ContactBuilder::joined(org);
    }
    return name;
}

QString telephone(const VCardProperty &property)
{
    QString number = VCardReader::unescape(property.value).trimmed();
    // vCard 4.0 may write the number as a URI.
    if (number.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive))
        number = number.mid(4);
    return number;
}

} // namespace

namespace VCardMapping {

QString labelForTypes(const QStringList &types)
{
    for (const LabelTypes &entry : labelTypes()) {
        for (const QString &type : entry.types) {
            if (types.contains(type, Qt::CaseInsensitive))
                return entry.label;
        }
    }
    // Apple writes its own type for the phone itself.
    if (types.contains(QStringLiteral("IPHONE"), Qt::CaseInsensitive))
        return QStringLiteral("手机");
    return QStringLiteral("电话");
}

QStringList typesForLabel(const QString &label)
{
    for (const LabelTypes &entry : labelTypes()) {
        if (entry.label == label)
            return entry.types;
    }
    return {};
}

bool toContact(const VCard &card, ContactRecord &contact, QString &reason)
{
    ContactBuilder builder;
    const PersonName::Parts name = nameOf(card);
    builder.setNames(name.family, name.given);
    if (!builder.hasName()) {
        reason = QStringLiteral("名片没有姓名");
        return false;
    }
    for (const VCardProperty &property : card.properties) {
        const QString &key = property.name;
        if (key == u"ORG") {
            builder.setCompany(
                ContactBuilder::joined(VCardReader::splitUnescaped(property.value, u';')));
        } else if (key == u"TITLE") {
            builder.setTitle(text(&property));
        } else if (key == u"ADR") {
            const QStringList parts = VCardReader::splitUnescaped(property.value, u';');
            builder.addAddress(ContactBuilder::joined({ component(parts, 0), component(parts, 1),
                                                        component(parts, 2) }),
                               ContactBuilder::joined({ component(parts, 3), component(parts, 4),
                                                        component(parts, 6) }),
                               component(parts, 5));
        } else if (key == u"TEL") {
            builder.addNumber(property.label.isEmpty() ? labelForTypes(property.types)
                                                       : property.label,
                              telephone(property));
        } else if (key == u"EMAIL") {
            builder.addEmail(text(&property));
        } else if (key == u"URL") {
            builder.addWebsite(text(&property));
        } else if (key == u"NOTE") {
            builder.addNotes(VCardReader::unescape(property.value));
        } else if (key == u"CATEGORIES") {
            for (const QString &group : VCardReader::splitUnescaped(property.value, u','))
                builder.addGroup(group);
        }
    }
    contact = builder.take();
    return true;
}

} // namespace VCardMapping
