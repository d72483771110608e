#pragma once

#include "Card.h"

#include <QList>
#include <QString>
#include <optional>

// The values of a kept card that its Contacts row cannot hold (a second number, a home address,
// a birthday), by kind, as the editor lists them, and the user's changes to them written back
// property by property: a changed value changes that property's value and nothing else.
namespace CardOtherValues {

// The kinds in the order they are listed.
enum class Kind { Phone, Email, Address, Website, Birthday, Nickname, Messaging, Photo, Other };

struct Value
{
    Kind kind = Kind::Other;
    // The number's label, the X-ABLabel of its group, the types, or an unknown property's name.
    QString label;
    // As the user edits it; an address as its parts joined by ";".
    QString text;
    // The property as the card holds it.
    CardProperty property;
};

// What the user did to one listed value, or a value added (no before).
struct Change
{
    std::optional<CardProperty> before;
    Kind kind = Kind::Other;
    QString label;
    QString text;
    bool removed = false;
};

QString caption(Kind kind);
// The kinds a user can add a value of (a photo is not typed).
QList<Kind> addableKinds();
// Every value the row does not show, in card order within each kind.
QList<Value> of(const Card &card);
// The text a property is edited as.
QString textOf(Kind kind, const CardProperty &property);
// Each change to the property equal to its before; a changed value whose property has gone
// meanwhile is added, so what the user typed is never lost.
void apply(Card &card, const QList<Change> &changes);

} // namespace CardOtherValues
