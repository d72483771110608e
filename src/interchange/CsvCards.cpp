#include "CsvCards.h"

#include "cards/CardProjection.h"

namespace {

const QString labelParameter = QStringLiteral("X-ZORVANE-LABEL");

CardProperty propertyOf(const CardExtra &extra)
{
    CardProperty property;
    property.name = extra.property;
    const QStringList types = extra.types();
    if (!types.isEmpty())
        property.setParameter(QStringLiteral("TYPE"), types);
    for (const auto &[name, value] : extra.parameters) {
        if (name != u"TYPE")
            property.setParameter(name, { value });
    }
    if (extra.components.size() > 1)
        property.setComponents(extra.components);
    else
        property.setText(extra.components.value(0));
    return property;
}

// A column no property names keeps its head as the label the user knows it by.
void addUnnamed(Card &card, const CardExtra &extra)
{
    QString label = extra.columns.join(QStringLiteral(" / "));
    for (const auto &[name, value] : extra.parameters) {
        if (name == labelParameter)
            label = value;
    }
    card.addLabelled(label, extra.components.join(u' '));
}

} // namespace

namespace CsvCards {

Card make(const ContactRecord &row, const QList<CardExtra> &extras)
{
    Card card = CardProjection::fromRow(row);
    for (const CardExtra &extra : extras) {
        if (extra.property == u"X-ZORVANE-CSV") {
            addUnnamed(card, extra);
            continue;
        }
        const CardProperty property = propertyOf(extra);
        const qsizetype replaced = extra.replacesRowValue ? card.first(extra.property) : -1;
        if (replaced >= 0)
            card.properties[replaced] = property;
        else
            card.properties << property;
    }
    return card;
}

ContactRecord view(const Card &card, const ContactRecord &row)
{
    ContactRecord shown = CardProjection::project(card);
    shown.id = row.id;
    shown.address3 = row.address3;
    return shown;
}

} // namespace CsvCards
