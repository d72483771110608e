#pragma once

#include "Card.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArrayView>

class Database;

// Each contact's kept card, in a table of its own beside Contacts. The row stays the card's
// view: whatever changed the row since the card was kept (the editor, a regrouping, another
// program) is written into the card when it is next read, property by property, so every write
// path keeps the card without knowing of it.
class CardStore
{
public:
    explicit CardStore(Database &database);

    // The contact's card as its row now stands; made from the row when the file keeps none.
    Result<Card> cardOf(const ContactRecord &row);
    // The kept form of the contact's card; empty when the file keeps none.
    Result<QByteArray> keptBytes(qint64 contactId);
    // Call inside the caller's write transaction.
    Status keep(qint64 contactId, const Card &card);
    Status keepBytes(qint64 contactId, const QByteArray &kept);
    // Many at once (an import), as contact ID and kept form.
    Status keepAll(const QList<QPair<qint64, QByteArray>> &cards);
    Status forget(qint64 contactId);

    // What adds the kept card to a read of Contacts: a column for the select list and the join
    // (none, and an empty column, while the file has no kept cards).
    struct KeptJoin
    {
        QString column;
        QString join;
    };
    static Result<KeptJoin> keptJoin(Database &database);
    // The card of a row read with its kept form (empty for none).
    static Card cardFor(const ContactRecord &row, QByteArrayView kept);

private:
    Result<bool> hasTable();

    Database &m_database;
};
