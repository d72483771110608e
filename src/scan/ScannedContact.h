#pragma once

#include "CardImageStore.h"
#include "ScanResult.h"
#include "cards/Card.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

class Database;

// A scanned card as a contact row and its kept card, and saving them with the duplicate finder's
// rule: a card whose person is already in the file (a shared number or e-mail and the same name)
// is offered as an update of that contact instead of becoming a second one.
namespace ScannedContact {

// The row fields of the scan; numbers beyond the row's four and the lines no field took go into
// the notes, so nothing read is lost.
ContactRecord toContact(const ScanResult &scan, const QString &group);

// The card kept with the row: the row's card, and on a bilingual card the English name, title,
// company and address as alternates of the same properties (ALTID, LANGUAGE=en).
Card toCard(const ScanResult &scan, const ContactRecord &row);

// The notes the row gets: the numbers beyond four, then the other lines, one a line.
QString notes(const ScanResult &scan);

struct Match
{
    qint64 id = 0;
    QString displayName;
};

// The contact already in the file that the card describes, if any.
Result<Match> existing(Database &database, const ContactRecord &contact);

struct Saving
{
    QList<ContactRecord> added;
    // The cards of people already in the file (or earlier in the same batch), with the contact
    // each would update.
    QList<QPair<ContactRecord, Match>> updates;
    // Cards with no name read, which cannot be saved as a contact.
    QList<ContactRecord> nameless;
};

// Writes the new contacts with their cards (cards[i] belongs to contacts[i]) in one transaction;
// a person twice in the batch is added once. The rest are reported, nothing is overwritten.
Result<Saving> addNew(Database &database, const QList<ContactRecord> &contacts,
                      const QList<Card> &cards);

// Saves one reviewed card with the pictures of its sides: as a new contact when updateOf is 0,
// else into that contact, filling only its empty fields and adding every other value to its
// kept card. The result is the contact's ID.
Result<qint64> save(Database &database, const ContactRecord &reviewed, const Card &card,
                    qint64 updateOf, const QList<CardImageStore::Image> &pictures);

} // namespace ScannedContact
