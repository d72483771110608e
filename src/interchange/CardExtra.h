#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// A value from a file that the contact row has no field for (a birthday, a third e-mail, the
// home address beside the business one), or the whole form of a value the row holds only in
// part, labelled the way a card property is, so the contact's kept card carries it.
struct CardExtra
{
    // The heads of the columns the value came from, as the file writes them.
    QStringList columns;
    // The card property: BDAY, NICKNAME, TEL, EMAIL, URL, ADR, ORG, N, FN, CATEGORIES, ROLE,
    // PHOTO, ANNIVERSARY, or X-ZORVANE-CSV for a column no property names.
    QString property;
    // Upper-case names in order: TYPE (one entry per type, the value lower case), LABEL (the
    // formatted address), X-ZORVANE-LABEL (a label no type names, or an unnamed column's head).
    QList<std::pair<QString, QString>> parameters;
    // The value by component: ADR has seven (post office box, extended, street, city, region,
    // postal code, country), N five (family, given, additional, prefix, suffix), ORG two
    // (name, unit); every other property one.
    QStringList components;
    // True when the row holds this value shortened or in part (the business address without its
    // region, a company name longer than its field): the card takes it in place of the
    // property the row gives.
    bool replacesRowValue = false;

    QStringList types() const
    {
        QStringList found;
        for (const auto &[name, value] : parameters) {
            if (name == u"TYPE")
                found << value;
        }
        return found;
    }
};
