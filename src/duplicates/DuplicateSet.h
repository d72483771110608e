#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// How sure the finder is that the contacts of a set are one person; the strongest comes first.
enum class DuplicateLevel {
    // The same number or e-mail address.
    VeryLikely,
    // The same name and the same company or postal address.
    Likely,
    // Only the name is the same: often two people, so never offered for merging by default.
    SameNameOnly,
};

// Contacts the finder proposes as one person, with why.
struct DuplicateSet
{
    DuplicateLevel level = DuplicateLevel::SameNameOnly;
    // Ascending; the first is the oldest contact, the one a merge keeps.
    QList<qint64> ids;
    // Display names in the order of ids.
    QStringList names;
    // Such as "手机号码相同: 13800138000".
    QStringList reasons;
};
