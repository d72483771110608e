#pragma once

#include <QStringList>
#include <QUrl>

// What one sync did.
struct SyncReport
{
    // A sync that stopped before changing anything, waiting for the user's word.
    enum class Question { None, Relink, MassDeletion };

    int uploaded = 0;
    int downloaded = 0;
    int merged = 0;
    int deletedHere = 0;
    int deletedThere = 0;
    int requests = 0;
    // Contacts read here to compare with their cards: those changed since the last sync.
    int compared = 0;
    // Cards on the server that could not be read: skipped, their contacts left as they were.
    QStringList unreadable;
    // First sync: names of server cards that fit more than one contact here, left unlinked.
    QStringList ambiguous;

    Question question = Question::None;
    // Relink: the address book the contacts are linked with now.
    QUrl linkedAddressBook;
    // MassDeletion: what would have been deleted, of how many on that side.
    int wouldDeleteHere = 0;
    int contactsHere = 0;
    int wouldDeleteThere = 0;
    int cardsThere = 0;
};
