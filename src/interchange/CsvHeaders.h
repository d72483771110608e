#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What each column of a CSV header holds: our own captions, and the column names of the
// common mail and contact programs' exports, in English and Chinese, as far as they are known;
// every other column is kept as a labelled value of its own.
namespace CsvHeaders {

enum class Role {
    Family,
    Given,
    Middle,
    FullName,
    Prefix,
    Suffix,
    Title,
    Group,
    Company,
    Department,
    // Our own address, post code and number columns, which fill the row as they are.
    OwnAddress1,
    OwnAddress2,
    OwnAddress3,
    OwnPostcode,
    OwnNumber,
    OwnNumberLabel,
    // One part of an address group ("Home City", "Address 1 - Region").
    AddressPart,
    // The type or label of a numbered entry ("Phone 1 - Type"), for the entry's values.
    EntryType,
    Number,
    Email,
    Website,
    Notes,
    // A value the row has no field for, as a card property.
    Extra
};

enum class Part { PoBox, Extended, Street, City, Region, Postcode, Country, Formatted };

struct Column
{
    int index = 0;
    QString head;
    Role role = Role::Extra;
    // The numbered entry or address group the column belongs to ("Phone 1", "Home").
    QString entry;
    Part part = Part::Street;
    // Our own number columns' slot, 0 to 3.
    int slot = -1;
    // For numbers: the label the row gives the number.
    QString label;
    // Card types the column implies ("work", "cell"), lower case.
    QStringList types;
    // For an extra: the card property; X-ZORVANE-CSV when no property names the column.
    QString property;
};

QList<Column> classify(const QStringList &header);

// Our header row, in the order rows are written.
QStringList ownCaptions();

} // namespace CsvHeaders
