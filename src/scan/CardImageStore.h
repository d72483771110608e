#pragma once

#include "shared/Status.h"

#include <QByteArray>
#include <QList>
#include <QString>

class Database;

// The pictures of a contact's paper card, front and back, in a table of their own beside the
// contact, as the file they came in ("png", "jpeg", ...).
class CardImageStore
{
public:
    enum class Side { Front = 0, Back = 1 };

    struct Image
    {
        Side side = Side::Front;
        QString format;
        QByteArray bytes;
    };

    explicit CardImageStore(Database &database);

    // Replaces the picture of that side; call inside the caller's write transaction.
    Status keep(qint64 contactId, const Image &image);
    // The contact's pictures, front first; none when the file keeps none.
    Result<QList<Image>> images(qint64 contactId);

private:
    Database &m_database;
};
