#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One content line of a card, decoded to text. The value keeps its backslash escapes, because
// structured values (N, ADR) are split at unescaped separators before they are unescaped.
struct VCardProperty
{
    // Upper case, without its group prefix ("item1.TEL" is TEL).
    QString name;
    // Upper case; from TYPE= lists and from 2.1's bare parameters.
    QStringList types;
    // Our own X-ZORVANE-LABEL parameter: a number label no standard type names.
    QString label;
    QString value;

    bool hasType(const QString &type) const { return types.contains(type); }
};

struct VCard
{
    // The line of its BEGIN:VCARD, counting from 1.
    int line = 0;
    QList<VCardProperty> properties;
    // With VCardReader::KeepOthers: the content lines of the properties a contact row does not
    // take (PHOTO, BDAY, UID, X-…), unfolded, as they came.
    QList<QByteArray> otherLines;

    const VCardProperty *first(const QString &name) const
    {
        for (const VCardProperty &property : properties) {
            if (property.name == name)
                return &property;
        }
        return nullptr;
    }
};

// A card or line that could not be read, and why.
struct ReadProblem
{
    int line = 0;
    QString reason;
};
