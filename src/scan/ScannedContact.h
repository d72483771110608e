#pragma once

#include "ScanResult.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

class Database;

// A scanned card as a contact row, and saving such rows with the duplicate finder's rule: a card
// whose person is already in the file (a shared number or e-mail and the same name) is offered as
// an update of that contact instead of becoming a second one.
namespace ScannedContact {

// The row fields of the scan; numbers beyond the row's four, the lines no field took and the
// English forms of a bilingual card go into the notes, so nothing read is lost.
ContactRecord toContact(const ScanResult &scan, const QString &group);

// The notes the row gets: other lines, then the English forms, one a line.
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
    // The cards of people already in the file, with the contact each would update.
    QList<QPair<ContactRecord, Match>> updates;
    // Cards with no name read, which cannot be saved as a contact.
    QList<ContactRecord> nameless;
};

// Writes the new contacts in one transaction; the rest are reported, nothing is overwritten.
Result<Saving> addNew(Database &database, const QList<ContactRecord> &contacts);

} // namespace ScannedContact
