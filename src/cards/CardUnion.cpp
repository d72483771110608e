#include "CardUnion.h"

#include "CardProjection.h"

#include <QHash>
#include <QSet>

namespace {

// What a card has once whoever else has it too: the kept card's are kept.
bool isSingle(const QString &name)
{
    return name == u"N" || name == u"FN" || name == u"UID" || name == u"REV" || name == u"PRODID"
        || name == u"KIND";
}

QString valueKey(const CardProperty &property)
{
    return property.name + QChar(0x1F) + property.text().simplified().toLower();
}

QSet<QString> keysOf(const Card &card)
{
    QSet<QString> keys;
    for (const CardProperty &property : card.properties)
        keys.insert(valueKey(property));
    return keys;
}

// Adds each property of from whose value into lacks, with its label, in groups new to into.
void addMissing(Card &into, const Card &from)
{
    QSet<QString> seen = keysOf(into);
    QHash<QString, QString> groups;
    for (const CardProperty &property : from.properties) {
        if (isSingle(property.name) || property.name == u"X-ABLABEL")
            continue;
        const QString key = valueKey(property);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        CardProperty added = property;
        added.removeParameter(QStringLiteral("PREF"));
        if (!property.group.isEmpty()) {
            QString &group = groups[property.group.toLower()];
            if (group.isEmpty()) {
                group = into.newGroup();
                const qsizetype label = from.inGroup(property.group, QStringLiteral("X-ABLABEL"));
                if (label >= 0) {
                    CardProperty caption = from.properties.at(label);
                    caption.group = group;
                    into.properties << caption;
                }
            }
            added.group = group;
        }
        into.properties << added;
    }
}

// The text a row field shows of the property: an ORG's parts joined by blanks.
QString shownText(const CardProperty &property)
{
    if (property.name != u"ORG")
        return property.text().trimmed();
    QStringList parts;
    for (const QString &part : property.components()) {
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    }
    return parts.join(u' ');
}

// The property holding the row's value comes first of its name, so the card shows it.
void promote(Card &card, const QString &name, const QString &value)
{
    if (value.isEmpty())
        return;
    const QList<qsizetype> same = card.all(name);
    for (const qsizetype at : same) {
        if (shownText(card.properties.at(at)) != value)
            continue;
        bool siblingPreferred = false;
        for (const qsizetype other : same)
            siblingPreferred |= other != at && card.properties.at(other).preference() <= 100;
        CardProperty chosen = card.properties.takeAt(at);
        if (siblingPreferred)
            chosen.setParameter(QStringLiteral("PREF"), { QStringLiteral("1") });
        card.properties.insert(same.first(), chosen);
        return;
    }
}

} // namespace

namespace CardUnion {

Card unite(const QList<Card> &cards, const ContactRecord &row)
{
    if (cards.isEmpty())
        return CardProjection::fromRow(row);
    Card united = cards.first();
    for (qsizetype i = 1; i < cards.size(); ++i)
        addMissing(united, cards.at(i));
    promote(united, QStringLiteral("TITLE"), row.title);
    promote(united, QStringLiteral("ORG"), row.companyName);
    promote(united, QStringLiteral("EMAIL"), row.email);
    promote(united, QStringLiteral("URL"), row.website);
    promote(united, QStringLiteral("NOTE"), row.notes);
    Card result = CardProjection::reconciled(united, row);
    // Values the row replaced come back as properties of their own.
    for (const Card &card : cards)
        addMissing(result, card);
    return result;
}

} // namespace CardUnion
