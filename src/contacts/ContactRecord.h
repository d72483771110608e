#pragma once

#include "ContactNames.h"

#include <QString>
#include <array>

// Every field of one Contacts row, as the detail editor shows and stores it. A field that is
// NULL in the file is empty text here.
struct ContactRecord
{
    qint64 id = 0;
    // The family name.
    QString firstName;
    // The given name.
    QString lastName;
    QString title;
    // The relationship group, by name.
    QString type;
    QString companyName;
    QString address1;
    QString address2;
    QString address3;
    QString postcode;
    // Data1 … Data4 and their labels Combo1 … Combo4.
    std::array<QString, 4> numbers;
    std::array<QString, 4> labels;
    QString email;
    QString website;
    QString notes;

    QString displayName() const { return ContactNames::displayName(firstName, lastName); }
    // Both names hold more than blanks.
    bool hasName() const
    {
        return !ContactNames::trimBlanks(firstName).isEmpty()
            && !ContactNames::trimBlanks(lastName).isEmpty();
    }
};
