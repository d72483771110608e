#pragma once

#include <QtGlobal>
#include <vector>

// The contacts one search listed, as numbers the search index gives them, and how many contacts
// it looked at. The numbers stay good until the index's next search.
struct SearchResult
{
    // Highest ID first.
    std::vector<quint32> contacts;
    // Every contact the file held, the template and the placeholder included.
    int contactsRead = 0;
};
