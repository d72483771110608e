#pragma once

#include "ContactRow.h"

#include <QList>

// The rows one search listed, and how many contacts it looked at.
struct SearchResult
{
    QList<ContactRow> rows;
    // Every contact the file held, the template and the placeholder included.
    int contactsRead = 0;
};
