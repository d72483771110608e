#include "CardOtherValues.h"

#include "CardProjection.h"

#include <QSet>
#include <algorithm>

namespace CardOtherValues {

namespace {

const QString labelProperty = QStringLiteral("X-ABLABEL");

struct KindName
{
    Kind kind;
    const char *property;
    const char *caption;
};

constexpr KindName kindNames[] = {
    { Kind::Phone, "TEL", "电话" },
    { Kind::Email, "EMAIL", "电子邮件" },
    { Kind::Address, "ADR", "地址" },
    { Kind::Website, "URL", "网址" },
    { Kind::Birthday, "BDAY", "生日" },
    { Kind::Nickname, "NICKNAME", "昵称" },
    { Kind::Messaging, "IMPP", "即时通讯" },
    { Kind::Photo, "PHOTO", "照片" },
    { Kind::Other, "", "其他" },
};

// Instant messaging as older senders write it, one property per service.
bool isMessaging(const QString &name)
{
    static const QSet<QString> services { QStringLiteral("IMPP"),         QStringLiteral("X-QQ"),
                                          QStringLiteral("X-AIM"),        QStringLiteral("X-ICQ"),
                                          QStringLiteral("X-JABBER"),     QStringLiteral("X-MSN"),
                                          QStringLiteral("X-SKYPE"),      QStringLiteral("X-YAHOO"),
                                          QStringLiteral("X-WECHAT"),     QStringLiteral("X-GTALK"),
                                          QStringLiteral("X-GOOGLE-TALK") };
    return services.contains(name);
}

// What keeps the card in order rather than telling about the person.
bool isBookkeeping(const QString &name)
{
    static const QSet<QString> names {
        QStringLiteral("UID"),
        QStringLiteral("REV"),
        QStringLiteral("PRODID"),
        QStringLiteral("KIND"),
        labelProperty,
        QStringLiteral("CLIENTPIDMAP"),
        QStringLiteral("X-ADDRESSBOOKSERVER-KIND"),
    };
    return names.contains(name);
}

Kind kindOf(const QString &name)
{
    if (isMessaging(name))
        return Kind::Messaging;
    for (const KindName &entry : kindNames) {
        if (name == QLatin1String(entry.property))
            return entry.kind;
    }
    return Kind::Other;
}

QString propertyName(Kind kind)
{
    for (const KindName &entry : kindNames) {
        if (entry.kind == kind)
            return QString::fromLatin1(entry.property);
    }
    return {};
}

bool isStructured(const QString &name)
{
    return name == u"ADR" || name == u"N" || name == u"ORG";
}

// Apple writes its own labels as "_$!<Home>!$_".
QString readableLabel(const QString &text)
{
    if (text.startsWith(QStringLiteral("_$!<")) && text.endsWith(QStringLiteral(">!$_")))
        return text.mid(4, text.size() - 8);
    return text;
}

QString labelOf(const Card &card, Kind kind, const CardProperty &property)
{
    const qsizetype caption = card.inGroup(property.group, labelProperty);
    if (caption >= 0)
        return readableLabel(card.properties.at(caption).text());
    if (kind == Kind::Phone)
        return CardProjection::labelForTypes(property.types());
    if (kind == Kind::Other)
        return property.name;
    return property.types().join(u',');
}

// The properties behind the row's fields.
QSet<qsizetype> shownByRow(const Card &card)
{
    CardProjection::Sources sources;
    CardProjection::project(card, &sources);
    QSet<qsizetype> shown { sources.name,  sources.fullName, sources.title,
                            sources.group, sources.company,  sources.address,
                            sources.email, sources.website,  sources.notes };
    for (const qsizetype number : sources.numbers)
        shown.insert(number);
    return shown;
}

void setTextOf(Kind kind, CardProperty &property, const QString &text)
{
    if (!isStructured(property.name)) {
        property.setText(text);
        return;
    }
    QStringList parts;
    for (const QString &part : text.split(u';'))
        parts << part.trimmed();
    if (kind == Kind::Address && parts.size() <= 5) {
        // The post office box and extended address are not edited; they stay as they were.
        const QStringList kept = property.components();
        while (parts.size() < 5)
            parts << QString();
        parts.prepend(kept.value(1));
        parts.prepend(kept.value(0));
    }
    property.setComponents(parts);
}

// A value the user added: a number's label as its types where they name it, any other label in
// an X-ABLabel beside it, as Apple's programs keep labels.
QList<CardProperty> newProperties(const Card &card, const Change &change)
{
    if (change.kind == Kind::Other) {
        Card labelled;
        labelled.properties = card.properties;
        labelled.addLabelled(change.label.trimmed().isEmpty() ? caption(Kind::Other)
                                                              : change.label.trimmed(),
                             change.text);
        return labelled.properties.mid(card.properties.size());
    }
    CardProperty property { {}, propertyName(change.kind), {}, {} };
    setTextOf(change.kind, property, change.text);
    const QString label = change.label.trimmed();
    if (label.isEmpty())
        return { property };
    const QStringList types
        = change.kind == Kind::Phone ? CardProjection::typesForLabel(label) : QStringList();
    if (!types.isEmpty()) {
        property.parameters.append({ QStringLiteral("TYPE"), types });
        return { property };
    }
    property.group = card.newGroup();
    CardProperty caption { property.group, labelProperty, {}, {} };
    caption.setText(label);
    return { property, caption };
}

qsizetype findUnused(const Card &card, const CardProperty &wanted, const QSet<qsizetype> &used)
{
    for (qsizetype i = 0; i < card.properties.size(); ++i) {
        if (!used.contains(i) && card.properties.at(i) == wanted)
            return i;
    }
    return -1;
}

} // namespace

QString caption(Kind kind)
{
    for (const KindName &entry : kindNames) {
        if (entry.kind == kind)
            return QString::fromUtf8(entry.caption);
    }
    return {};
}

QList<Kind> addableKinds()
{
    return { Kind::Phone,    Kind::Email,    Kind::Address,   Kind::Website,
             Kind::Birthday, Kind::Nickname, Kind::Messaging, Kind::Other };
}

QString textOf(Kind kind, const CardProperty &property)
{
    if (!isStructured(property.name))
        return property.text();
    QStringList parts = property.components();
    if (kind == Kind::Address && parts.value(0).isEmpty() && parts.value(1).isEmpty())
        parts = parts.mid(2);
    return parts.join(u';');
}

QList<Value> of(const Card &card)
{
    const QSet<qsizetype> shown = shownByRow(card);
    QList<Value> values;
    for (qsizetype i = 0; i < card.properties.size(); ++i) {
        const CardProperty &property = card.properties.at(i);
        if (shown.contains(i) || isBookkeeping(property.name))
            continue;
        const Kind kind = kindOf(property.name);
        values.append({ kind, labelOf(card, kind, property), textOf(kind, property), property });
    }
    std::stable_sort(values.begin(), values.end(),
                     [](const Value &a, const Value &b) { return a.kind < b.kind; });
    return values;
}

void apply(Card &card, const QList<Change> &changes)
{
    QSet<qsizetype> used;
    QList<qsizetype> removed;
    QList<CardProperty> added;
    for (const Change &change : changes) {
        const qsizetype at = change.before ? findUnused(card, *change.before, used) : -1;
        if (at >= 0)
            used.insert(at);
        if (change.removed) {
            if (at >= 0)
                removed << at;
        } else if (at >= 0) {
            setTextOf(change.kind, card.properties[at], change.text);
        } else if (change.before) {
            // Its group's label may have gone with it; the value keeps its own parameters.
            CardProperty again = *change.before;
            again.group.clear();
            setTextOf(change.kind, again, change.text);
            added << again;
        } else if (!change.text.trimmed().isEmpty()) {
            Card withAdded = card;
            withAdded.properties += added;
            added += newProperties(withAdded, change);
        }
    }
    // A label whose property is gone would label nothing.
    QSet<QString> emptied;
    for (const qsizetype at : std::as_const(removed)) {
        if (!card.properties.at(at).group.isEmpty())
            emptied.insert(card.properties.at(at).group.toLower());
    }
    for (qsizetype i = 0; i < card.properties.size(); ++i) {
        const CardProperty &property = card.properties.at(i);
        if (!removed.contains(i) && property.name != labelProperty)
            emptied.remove(property.group.toLower());
    }
    QList<CardProperty> kept;
    for (qsizetype i = 0; i < card.properties.size(); ++i) {
        const CardProperty &property = card.properties.at(i);
        const bool orphan
            = property.name == labelProperty && emptied.contains(property.group.toLower());
        if (!removed.contains(i) && !orphan)
            kept << property;
    }
    card.properties = kept + added;
}

} // namespace CardOtherValues
