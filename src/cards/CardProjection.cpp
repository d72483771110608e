#include "CardProjection.h"

#include "PersonName.h"
#include "contacts/ContactGroup.h"

#include <QSet>
#include <algorithm>

namespace {

struct LabelTypes
{
    QString label;
    QString type;
};

// In order of precedence: "WORK,FAX" is a fax, "HOME,CELL" a mobile.
const QList<LabelTypes> &labelTypes()
{
    static const QList<LabelTypes> table {
        { QStringLiteral("手机"), QStringLiteral("cell") },
        { QStringLiteral("传真"), QStringLiteral("fax") },
        { QStringLiteral("寻呼机"), QStringLiteral("pager") },
        { QStringLiteral("办公电话"), QStringLiteral("work") },
        { QStringLiteral("家庭电话"), QStringLiteral("home") },
        { QStringLiteral("电话"), QStringLiteral("voice") },
    };
    return table;
}

// The types that say which kind of number it is; a label change replaces them.
bool isLabelType(const QString &type)
{
    for (const LabelTypes &entry : labelTypes()) {
        if (entry.type.compare(type, Qt::CaseInsensitive) == 0)
            return true;
    }
    return type.compare(u"iphone", Qt::CaseInsensitive) == 0
        || type.compare(u"main", Qt::CaseInsensitive) == 0;
}

// Apple's own labels, written "_$!<Mobile>!$_" in an X-ABLabel beside the property.
QString appleLabel(const QString &text)
{
    static const QList<QPair<QString, QString>> labels {
        { QStringLiteral("Mobile"), QStringLiteral("手机") },
        { QStringLiteral("iPhone"), QStringLiteral("手机") },
        { QStringLiteral("WorkFAX"), QStringLiteral("传真") },
        { QStringLiteral("HomeFAX"), QStringLiteral("传真") },
        { QStringLiteral("OtherFAX"), QStringLiteral("传真") },
        { QStringLiteral("Pager"), QStringLiteral("寻呼机") },
        { QStringLiteral("Work"), QStringLiteral("办公电话") },
        { QStringLiteral("Home"), QStringLiteral("家庭电话") },
    };
    if (!text.startsWith(QStringLiteral("_$!<")) || !text.endsWith(QStringLiteral(">!$_")))
        return text;
    const QString name = text.mid(4, text.size() - 8);
    for (const auto &[apple, label] : labels) {
        if (apple.compare(name, Qt::CaseInsensitive) == 0)
            return label;
    }
    return QStringLiteral("电话");
}

// The file counts characters, not UTF-16 units.
QString firstCharacters(const QString &text, int limit)
{
    qsizetype units = 0;
    for (int characters = 0; units < text.size() && characters < limit; ++characters)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return text.left(units);
}

// One line within the field's limit, as the row stores it.
QString fitted(const QString &text, int limit)
{
    QString line = text;
    if (line.contains(u'\r') || line.contains(u'\n')) {
        line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    }
    return firstCharacters(line.trimmed(), limit);
}

QString joined(const QStringList &parts)
{
    QString out;
    for (const QString &part : parts) {
        const QString text = part.trimmed();
        if (text.isEmpty())
            continue;
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += text;
    }
    return out;
}

QString number(const CardProperty &property)
{
    QString text = property.text().trimmed();
    // vCard 4.0 may write the number as a URI.
    if (text.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive))
        text = text.mid(4);
    return text;
}

QString numberLabel(const Card &card, const CardProperty &property)
{
    if (const CardParameter *own = property.parameter(QStringLiteral("X-ZORVANE-LABEL")))
        return own->values.join(u',');
    const qsizetype label = card.inGroup(property.group, QStringLiteral("X-ABLABEL"));
    if (label >= 0)
        return appleLabel(card.properties.at(label).text().trimmed());
    return CardProjection::labelForTypes(property.types());
}

struct Name
{
    QString family;
    QString given;
};

Name nameOf(const Card &card, CardProjection::Sources &sources)
{
    sources.name = card.first(QStringLiteral("N"));
    sources.fullName = card.first(QStringLiteral("FN"));
    const QString fullName = card.firstText(QStringLiteral("FN"));
    Name name;
    if (sources.name >= 0) {
        const QStringList parts = card.properties.at(sources.name).components();
        name.family = parts.value(0).trimmed();
        name.given = joined({ parts.value(1), parts.value(2) });
    }
    // Some Chinese phones write the whole name as the family name (N:张三;;;;).
    const bool wholeNameAsFamily = name.given.isEmpty() && name.family == fullName
        && PersonName::isHan(fullName) && fullName.size() > 1;
    if ((name.family.isEmpty() && name.given.isEmpty()) || wholeNameAsFamily) {
        const PersonName::Parts parts = PersonName::split(fullName);
        name = { parts.family, parts.given };
    }
    // A card without a name (an e-mail-only card from Android) is named by what it has.
    for (const char *other : { "ORG", "EMAIL", "TEL" }) {
        if (!name.family.isEmpty() || !name.given.isEmpty())
            break;
        const qsizetype at = card.preferred(QString::fromLatin1(other));
        if (at >= 0)
            name.family = joined(card.properties.at(at).components());
    }
    return name;
}

qsizetype addressOf(const Card &card)
{
    qsizetype best = -1;
    for (const qsizetype at : card.all(QStringLiteral("ADR"))) {
        const CardProperty &adr = card.properties.at(at);
        if (!adr.hasType(QStringLiteral("work")))
            continue;
        if (best < 0 || adr.preference() < card.properties.at(best).preference())
            best = at;
    }
    return best >= 0 ? best : card.preferred(QStringLiteral("ADR"));
}

// The numbers in the order the row shows them: preferred ones first, then as the card has them.
QList<qsizetype> numbersOf(const Card &card)
{
    QList<qsizetype> numbers;
    for (const qsizetype at : card.all(QStringLiteral("TEL"))) {
        if (!number(card.properties.at(at)).isEmpty())
            numbers << at;
    }
    std::stable_sort(numbers.begin(), numbers.end(), [&card](qsizetype a, qsizetype b) {
        return card.properties.at(a).preference() < card.properties.at(b).preference();
    });
    return numbers.mid(0, 4);
}

QString firstCategory(const CardProperty &property)
{
    for (const QStringView part : CardText::splitEscaped(property.value, u',')) {
        const QString category = CardText::unescape(part).trimmed();
        if (!category.isEmpty())
            return category;
    }
    return {};
}

struct NumberSlot
{
    QString label;
    QString number;
    qsizetype source = -1;

    bool operator==(const NumberSlot &other) const
    {
        return label == other.label && number == other.number;
    }
};

// A card keeps no empty slots between numbers, so the row's numbers compare as a list.
QList<NumberSlot> numberSlots(const ContactRecord &row, const CardProjection::Sources *sources)
{
    QList<NumberSlot> list;
    for (int i = 0; i < 4; ++i) {
        if (!row.numbers[i].trimmed().isEmpty())
            list.append({ row.labels[i], row.numbers[i], sources ? sources->numbers[i] : -1 });
    }
    return list;
}

class Applier
{
public:
    // sources: where card's projection took each field from.
    Applier(Card &card, const ContactRecord &before, const ContactRecord &after,
            const CardProjection::Sources &sources)
        : m_card(card)
        , m_before(before)
        , m_after(after)
        , m_sources(sources)
    { }

    void run()
    {
        applyName();
        applyText(&ContactRecord::title, m_sources.title, QStringLiteral("TITLE"));
        applyGroup();
        applyText(&ContactRecord::companyName, m_sources.company, QStringLiteral("ORG"));
        applyAddress();
        applyNumbers();
        applyText(&ContactRecord::email, m_sources.email, QStringLiteral("EMAIL"));
        applyText(&ContactRecord::website, m_sources.website, QStringLiteral("URL"));
        applyText(&ContactRecord::notes, m_sources.notes, QStringLiteral("NOTE"));
        finish();
    }

private:
    bool changed(QString ContactRecord::*field) const { return m_before.*field != m_after.*field; }

    CardProperty newProperty(const QString &name, const QStringList &types = {})
    {
        CardProperty property { {}, name, {}, {} };
        if (!types.isEmpty())
            property.parameters.append({ QStringLiteral("TYPE"), types });
        return property;
    }

    void applyName()
    {
        if (!changed(&ContactRecord::firstName) && !changed(&ContactRecord::lastName))
            return;
        const bool givenChanged = changed(&ContactRecord::lastName);
        if (m_sources.name >= 0) {
            CardProperty &n = m_card.properties[m_sources.name];
            QStringList parts = n.components();
            while (parts.size() < 5)
                parts << QString();
            parts[0] = m_after.firstName;
            if (givenChanged) {
                parts[1] = m_after.lastName;
                parts[2].clear();
            }
            n.setComponents(parts);
        } else {
            CardProperty n = newProperty(QStringLiteral("N"));
            n.setComponents({ m_after.firstName, m_after.lastName, {}, {}, {} });
            m_prepended << n;
        }
        const QString fullName = PersonName::join(m_after.firstName, m_after.lastName);
        if (m_sources.fullName >= 0) {
            m_card.properties[m_sources.fullName].setText(fullName);
        } else {
            CardProperty fn = newProperty(QStringLiteral("FN"));
            fn.setText(fullName);
            m_prepended << fn;
        }
    }

    void applyText(QString ContactRecord::*field, qsizetype source, const QString &name)
    {
        if (!changed(field))
            return;
        const QString &value = m_after.*field;
        if (source < 0) {
            if (value.isEmpty())
                return;
            CardProperty property = newProperty(name);
            property.setText(value);
            m_added << property;
        } else if (value.isEmpty()) {
            m_removed << source;
        } else {
            m_card.properties[source].setText(value);
        }
    }

    void applyGroup()
    {
        if (!changed(&ContactRecord::type))
            return;
        const QString &group = m_after.type;
        if (m_sources.group < 0) {
            if (group == ContactGroup::defaultName() || group.isEmpty())
                return;
            CardProperty categories = newProperty(QStringLiteral("CATEGORIES"));
            categories.setText(group);
            m_added << categories;
            return;
        }
        CardProperty &categories = m_card.properties[m_sources.group];
        QList<QStringView> parts = CardText::splitEscaped(categories.value, u',');
        QStringList values;
        for (const QStringView part : parts)
            values << part.toString();
        values[0] = CardText::escape(group);
        categories.value = values.join(u',');
    }

    void applyAddress()
    {
        const bool line1 = changed(&ContactRecord::address1);
        const bool line2 = changed(&ContactRecord::address2);
        const bool postcode = changed(&ContactRecord::postcode);
        if (!line1 && !line2 && !postcode)
            return;
        const bool empty = m_after.address1.isEmpty() && m_after.address2.isEmpty()
            && m_after.postcode.isEmpty();
        if (m_sources.address >= 0 && empty) {
            m_removed << m_sources.address;
            return;
        }
        if (empty)
            return;
        CardProperty added = newProperty(QStringLiteral("ADR"), { QStringLiteral("work") });
        CardProperty &adr = m_sources.address >= 0 ? m_card.properties[m_sources.address] : added;
        QStringList parts = adr.components();
        while (parts.size() < 7)
            parts << QString();
        if (line1) {
            parts[0].clear();
            parts[1].clear();
            parts[2] = m_after.address1;
        }
        if (line2) {
            parts[3] = m_after.address2;
            parts[4].clear();
            parts[6].clear();
        }
        if (postcode)
            parts[5] = m_after.postcode;
        adr.setComponents(parts);
        if (m_sources.address < 0)
            m_added << added;
    }

    void applyNumbers()
    {
        const QList<NumberSlot> before = numberSlots(m_before, &m_sources);
        const QList<NumberSlot> after = numberSlots(m_after, nullptr);
        if (before == after)
            return;
        for (qsizetype i = 0; i < qMax(before.size(), after.size()); ++i) {
            if (i >= after.size()) {
                if (before.at(i).source >= 0)
                    m_removed << before.at(i).source;
                continue;
            }
            const NumberSlot &now = after.at(i);
            if (i >= before.size() || before.at(i).source < 0) {
                CardProperty tel = newProperty(QStringLiteral("TEL"));
                tel.setText(now.number);
                m_added << tel;
                setLabel(m_added.size() - 1, true, now.label);
                continue;
            }
            if (before.at(i) == now)
                continue;
            CardProperty &tel = m_card.properties[before.at(i).source];
            if (before.at(i).number != now.number) {
                const bool uri = tel.value.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive);
                tel.setText(uri ? QStringLiteral("tel:") + now.number : now.number);
            }
            if (before.at(i).label != now.label)
                setLabel(before.at(i).source, false, now.label);
        }
    }

    // A label the standard types name becomes those types; any other goes into an X-ABLabel
    // beside the number, in a group of its own.
    void setLabel(qsizetype index, bool added, const QString &label)
    {
        CardProperty &tel = added ? m_added[index] : m_card.properties[index];
        tel.removeParameter(QStringLiteral("X-ZORVANE-LABEL"));
        QStringList types;
        for (const QString &type : tel.types()) {
            if (!isLabelType(type))
                types << type;
        }
        const QStringList labelled = CardProjection::typesForLabel(label);
        types += labelled;
        tel.removeParameter(QStringLiteral("TYPE"));
        if (!types.isEmpty())
            tel.parameters.prepend({ QStringLiteral("TYPE"), types });
        const qsizetype caption
            = added ? -1 : m_card.inGroup(tel.group, QStringLiteral("X-ABLABEL"));
        if (!labelled.isEmpty()) {
            if (caption >= 0)
                m_removed << caption;
            return;
        }
        if (caption >= 0) {
            m_card.properties[caption].setText(label);
            return;
        }
        if (tel.group.isEmpty())
            tel.group = freshGroup();
        CardProperty text { tel.group, QStringLiteral("X-ABLABEL"), {}, {} };
        text.setText(label);
        m_added << text;
    }

    QString freshGroup()
    {
        Card all = m_card;
        all.properties += m_added;
        return all.newGroup();
    }

    void finish()
    {
        if (m_removed.isEmpty() && m_prepended.isEmpty() && m_added.isEmpty())
            return;
        QList<bool> gone(m_card.properties.size(), false);
        QSet<QString> emptiedGroups;
        for (const qsizetype at : std::as_const(m_removed)) {
            gone[at] = true;
            emptiedGroups.insert(m_card.properties.at(at).group.toLower());
        }
        emptiedGroups.remove(QString());
        QList<CardProperty> kept = m_prepended;
        for (qsizetype i = 0; i < m_card.properties.size(); ++i) {
            const CardProperty &property = m_card.properties.at(i);
            // A label whose property is gone would label nothing.
            const bool orphan = property.name == u"X-ABLABEL"
                && emptiedGroups.contains(property.group.toLower())
                && !hasMember(property.group, gone);
            if (!gone.at(i) && !orphan)
                kept << property;
        }
        m_card.properties = kept + m_added;
    }

    bool hasMember(const QString &group, const QList<bool> &gone) const
    {
        for (qsizetype i = 0; i < m_card.properties.size(); ++i) {
            const CardProperty &property = m_card.properties.at(i);
            if (!gone.at(i) && property.name != u"X-ABLABEL"
                && property.group.compare(group, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

    Card &m_card;
    const ContactRecord &m_before;
    const ContactRecord &m_after;
    CardProjection::Sources m_sources;
    QList<CardProperty> m_prepended;
    QList<CardProperty> m_added;
    QList<qsizetype> m_removed;
};

QString withoutUrn(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QStringLiteral("urn:uuid:"), Qt::CaseInsensitive))
        text = text.mid(9);
    return text;
}

} // namespace

namespace CardProjection {

ContactRecord project(const Card &card, Sources *sources)
{
    Sources found;
    ContactRecord row;
    const Name name = nameOf(card, found);
    row.firstName = fitted(name.family, 25);
    row.lastName = fitted(name.given, 25);
    found.title = card.preferred(QStringLiteral("TITLE"));
    if (found.title >= 0)
        row.title = fitted(card.properties.at(found.title).text(), 25);
    found.group = card.first(QStringLiteral("CATEGORIES"));
    const QString category
        = found.group >= 0 ? firstCategory(card.properties.at(found.group)) : QString();
    row.type = category.isEmpty() ? ContactGroup::defaultName()
                                  : fitted(ContactGroup::clean(category), 25);
    found.company = card.preferred(QStringLiteral("ORG"));
    if (found.company >= 0)
        row.companyName = fitted(joined(card.properties.at(found.company).components()), 100);
    found.address = addressOf(card);
    if (found.address >= 0) {
        const QStringList parts = card.properties.at(found.address).components();
        row.address1 = fitted(joined(parts.mid(0, 3)), 100);
        row.address2 = fitted(joined({ parts.value(3), parts.value(4), parts.value(6) }), 100);
        row.postcode = fitted(parts.value(5), 10);
    }
    const QList<qsizetype> numbers = numbersOf(card);
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        const CardProperty &tel = card.properties.at(numbers.at(i));
        found.numbers[i] = numbers.at(i);
        row.numbers[i] = fitted(number(tel), 50);
        row.labels[i] = fitted(numberLabel(card, tel), 25);
    }
    found.email = card.preferred(QStringLiteral("EMAIL"));
    if (found.email >= 0)
        row.email = fitted(card.properties.at(found.email).text(), 100);
    found.website = card.preferred(QStringLiteral("URL"));
    if (found.website >= 0)
        row.website = fitted(card.properties.at(found.website).text(), 100);
    found.notes = card.first(QStringLiteral("NOTE"));
    if (found.notes >= 0) {
        row.notes = card.properties.at(found.notes).text();
        if (row.notes.contains(u'\r'))
            row.notes.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    if (sources)
        *sources = found;
    return row;
}

void apply(Card &card, const ContactRecord &before, const ContactRecord &after)
{
    Sources sources;
    project(card, &sources);
    Applier(card, before, after, sources).run();
}

Card reconciled(Card card, const ContactRecord &row)
{
    Sources sources;
    const ContactRecord view = project(card, &sources);
    Applier(card, view, row, sources).run();
    return card;
}

Card fromRow(const ContactRecord &row)
{
    Card card;
    // What the program wrote before it kept cards, and what every server takes.
    card.sourceVersion = CardVersion::V30;
    return reconciled(card, row);
}

QString labelForTypes(const QStringList &types)
{
    for (const LabelTypes &entry : labelTypes()) {
        if (types.contains(entry.type, Qt::CaseInsensitive))
            return entry.label;
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
            return { entry.type };
    }
    return {};
}

bool isGroupCard(const Card &card)
{
    for (const char *name : { "KIND", "X-ADDRESSBOOKSERVER-KIND" }) {
        if (card.firstText(QString::fromLatin1(name)).compare(u"group", Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QStringList memberUids(const Card &card)
{
    QStringList uids;
    for (const CardProperty &property : card.properties) {
        if (property.name == u"MEMBER" || property.name == u"X-ADDRESSBOOKSERVER-MEMBER")
            uids << withoutUrn(property.text());
    }
    return uids;
}

QString uid(const Card &card)
{
    return withoutUrn(card.firstText(QStringLiteral("UID")));
}

} // namespace CardProjection
