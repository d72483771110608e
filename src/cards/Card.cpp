#include "Card.h"

#include <QRegularExpression>

namespace {

constexpr int noPreference = 101;

} // namespace

const CardParameter *CardProperty::parameter(const QString &parameterName) const
{
    for (const CardParameter &p : parameters) {
        if (p.name == parameterName)
            return &p;
    }
    return nullptr;
}

void CardProperty::setParameter(const QString &parameterName, const QStringList &values)
{
    for (CardParameter &p : parameters) {
        if (p.name == parameterName) {
            p.values = values;
            return;
        }
    }
    parameters.append({ parameterName, values });
}

void CardProperty::removeParameter(const QString &parameterName)
{
    parameters.removeIf([&](const CardParameter &p) { return p.name == parameterName; });
}

bool CardProperty::hasType(const QString &type) const
{
    return types().contains(type, Qt::CaseInsensitive);
}

QStringList CardProperty::types() const
{
    QStringList out;
    for (const CardParameter &p : parameters) {
        if (p.name == u"TYPE")
            out += p.values;
    }
    return out;
}

int CardProperty::preference() const
{
    const CardParameter *pref = parameter(QStringLiteral("PREF"));
    if (!pref || pref->values.isEmpty())
        return noPreference;
    bool ok = false;
    const int rank = pref->values.first().toInt(&ok);
    return ok && rank >= 1 && rank < noPreference ? rank : noPreference;
}

QString CardProperty::text() const
{
    // Most values escape nothing, and are then their own text, shared rather than copied.
    return value.contains(u'\\') ? CardText::unescape(value) : value;
}

void CardProperty::setText(const QString &text)
{
    value = CardText::escape(text);
}

QStringList CardProperty::components() const
{
    const QList<QStringView> parts = CardText::splitEscaped(value, u';');
    QStringList out;
    out.reserve(parts.size());
    for (const QStringView part : parts)
        out << CardText::unescape(part);
    return out;
}

void CardProperty::setComponents(const QStringList &components)
{
    QStringList escaped;
    for (const QString &component : components)
        escaped << CardText::escape(component);
    value = escaped.join(u';');
}

qsizetype Card::preferred(const QString &name) const
{
    qsizetype best = -1;
    for (qsizetype i = 0; i < properties.size(); ++i) {
        if (properties.at(i).name != name)
            continue;
        if (best < 0 || properties.at(i).preference() < properties.at(best).preference())
            best = i;
    }
    return best;
}

qsizetype Card::first(const QString &name) const
{
    for (qsizetype i = 0; i < properties.size(); ++i) {
        if (properties.at(i).name == name)
            return i;
    }
    return -1;
}

QString Card::firstText(const QString &name) const
{
    const qsizetype at = preferred(name);
    return at < 0 ? QString() : properties.at(at).text().trimmed();
}

qsizetype Card::inGroup(const QString &group, const QString &name) const
{
    if (group.isEmpty())
        return -1;
    for (qsizetype i = 0; i < properties.size(); ++i) {
        const CardProperty &p = properties.at(i);
        if (p.name == name && p.group.compare(group, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString Card::newGroup() const
{
    static const QRegularExpression itemGroup(QStringLiteral("^item(\\d+)$"),
                                              QRegularExpression::CaseInsensitiveOption);
    qint64 highest = 0;
    for (const CardProperty &p : properties) {
        const QRegularExpressionMatch match = itemGroup.match(p.group);
        if (match.hasMatch())
            highest = qMax(highest, match.captured(1).toLongLong());
    }
    return QStringLiteral("item%1").arg(highest + 1);
}

void Card::addLabelled(const QString &label, const QString &value)
{
    const QString group = newGroup();
    CardProperty field { group, QStringLiteral("X-ZORVANE-FIELD"), {}, {} };
    field.setText(value);
    CardProperty caption { group, QStringLiteral("X-ABLABEL"), {}, {} };
    caption.setText(label);
    properties << field << caption;
}

QList<qsizetype> Card::all(const QString &name) const
{
    QList<qsizetype> out;
    for (qsizetype i = 0; i < properties.size(); ++i) {
        if (properties.at(i).name == name)
            out << i;
    }
    return out;
}

namespace CardText {

QString unescape(QStringView text)
{
    if (!text.contains(u'\\'))
        return text.toString();
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 == text.size()) {
            plain += c;
            continue;
        }
        const QChar next = text.at(++i);
        plain += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
    }
    return plain;
}

QString escape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += QStringLiteral("\\n");
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\\' || c == u',' || c == u';') {
            out += u'\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

QList<QStringView> splitEscaped(QStringView text, QChar separator)
{
    QList<QStringView> parts;
    // An address has seven parts; most structured values fewer.
    parts.reserve(8);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\\')
            ++i;
        else if (text.at(i) == separator) {
            parts << text.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << text.mid(start);
    return parts;
}

bool isList(const QString &name)
{
    return name == u"CATEGORIES" || name == u"NICKNAME";
}

bool isStructured(const QString &name)
{
    return name == u"N" || name == u"ADR" || name == u"ORG" || name == u"GENDER"
        || name == u"CLIENTPIDMAP";
}

} // namespace CardText
