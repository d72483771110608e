#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The versions a card is read and written in.
enum class CardVersion { V21, V30, V40 };

// One parameter of a property, its values unquoted and decoded ("TYPE=work,voice" is TYPE with
// two values). Names are upper case; values keep the case the sender wrote.
struct CardParameter
{
    QString name;
    QStringList values;

    bool operator==(const CardParameter &other) const
    {
        return name == other.name && values == other.values;
    }
};

// One property of a card, kept whole: its group ("item1" of "item1.TEL"), name, every parameter
// in the order it came, and the value as vCard 4.0 text (backslash escapes kept, so structured
// values split at their unescaped separators).
struct CardProperty
{
    QString group;
    // Upper case.
    QString name;
    QList<CardParameter> parameters;
    QString value;
    // The name as the sender wrote it, where that differs in letter case only (Apple's
    // "X-ABLabel"), so the line goes back as it came; empty otherwise.
    QString spelling = {};

    bool operator==(const CardProperty &other) const
    {
        return group == other.group && name == other.name && spelling == other.spelling
            && parameters == other.parameters && value == other.value;
    }

    const CardParameter *parameter(const QString &parameterName) const;
    void setParameter(const QString &parameterName, const QStringList &values);
    void removeParameter(const QString &parameterName);
    // A TYPE value, in any letter case.
    bool hasType(const QString &type) const;
    QStringList types() const;
    // The PREF rank (1 is most preferred); 101 for a property without one.
    int preference() const;

    // The value unescaped, for a property holding one text.
    QString text() const;
    void setText(const QString &text);
    // The components of a structured value (N, ADR, ORG), unescaped.
    QStringList components() const;
    void setComponents(const QStringList &components);
};

// A whole card in its kept form: vCard 4.0 semantics, UTF-8 text, every property of the sender
// kept. VERSION is not a property here; the version the card came in is remembered beside it.
struct Card
{
    CardVersion sourceVersion = CardVersion::V40;
    QList<CardProperty> properties;

    bool operator==(const Card &other) const
    {
        return sourceVersion == other.sourceVersion && properties == other.properties;
    }

    // The index of the first property of that name, the most preferred first; -1 when none.
    qsizetype preferred(const QString &name) const;
    qsizetype first(const QString &name) const;
    QString firstText(const QString &name) const;
    // The other properties of the same group ("item1.X-ABLabel" beside "item1.TEL").
    qsizetype inGroup(const QString &group, const QString &name) const;
    // An "itemN" group no property of the card uses yet.
    QString newGroup() const;
    // A value the program has no field for, kept under its label (a CSV column's caption): an
    // X-ZORVANE-FIELD property in a group of its own, its label in an X-ABLabel beside it.
    void addLabelled(const QString &label, const QString &value);
    // Properties whose name is given, in card order.
    QList<qsizetype> all(const QString &name) const;
};

namespace CardText {

// Backslash escapes of 4.0 text: "\n" and "\N" are a line break, any other escaped character is
// itself.
QString unescape(QStringView text);
// Escapes backslash, comma, semicolon and line breaks.
QString escape(const QString &text);
// Splits at each unescaped separator; the parts keep their escapes.
QList<QStringView> splitEscaped(QStringView text, QChar separator);
// Properties whose value is a comma-separated list, and those whose value has parts separated
// by semicolons: 2.1 writes the separators of other values unescaped.
bool isList(const QString &name);
bool isStructured(const QString &name);

} // namespace CardText
