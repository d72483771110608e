#pragma once

#include "shared/Status.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;

// The tables of a data file, their fields in file order, and the marks that tell a Zorvane file
// from any other SQLite file.
namespace Schema {

// "ZORV" as the SQLite application_id.
constexpr qint32 applicationId = 0x5A4F5256;
// 2: the file records its version and feature tables in a table of its own.
constexpr int version = 2;

struct Table
{
    QString name;
    QStringList columns;
    QString createStatement;
};

const QList<Table> &tables();
// Case-insensitive lookup; nullptr for a table the program does not know.
const Table *findTable(const QString &name);
// Tables a feature creates on first use: a file may lack them, and a file made before the
// feature existed opens as before.
const QList<Table> &featureTables();
const Table *findFeatureTable(const QString &name);
// Creates a feature table when the file lacks it; call inside the feature's write transaction.
Status ensureFeatureTable(Database &database, const QString &name);
// The definition of a feature table's trigger as the program makes it; empty for any other name.
QString triggerStatement(const QString &name);
// Adds the triggers a file made by an earlier build lacks for the feature tables it holds, and
// clears what went by without them.
Status addMissingTriggers(Database &database);
// Indexes the program creates; a file may hold them or not.
QStringList indexNames();
// The statement that makes it, as the file keeps it; empty for an index the program does not make.
QString indexStatement(const QString &name);

// Creates the tables, indexes and group counts and writes the marks.
Status create(Database &database);
// Adds the indexes a file made by an earlier build lacks; they only make reading faster.
Status addMissingIndexes(Database &database);
// Writes the two starting accounts and the starting categories of all three kinds.
Status seedStartingData(Database &database);

} // namespace Schema
