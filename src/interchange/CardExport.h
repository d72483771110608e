#pragma once

#include "CardFormat.h"
#include "shared/Status.h"

#include <QList>
#include <QString>
#include <functional>

class Database;
class QIODevice;

// Writes contacts to a card file: all of them, one relationship group, or chosen rows in the
// order given. The template and the placeholder are never written.
class CardExport
{
public:
    struct Scope
    {
        enum class Kind { All, Group, Rows };
        Kind kind = Kind::All;
        QString group;
        QList<qint64> ids;
    };

    // Handed the share done; returning false cancels the export.
    std::function<bool(int done, int total)> onProgress;

    CardExport(Database &database, Scope scope, CardFormat format);

    // Writes the file whole or not at all: an old file of that name stays unless the new one
    // was written completely.
    Result<int> writeFile(const QString &path);
    // Writes to an open device (standard output); the result is the number of contacts.
    Result<int> writeTo(QIODevice &device);

private:
    Result<int> count();

    Database &m_database;
    Scope m_scope;
    CardFormat m_format;
};
