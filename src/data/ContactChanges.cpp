#include "ContactChanges.h"

#include "Database.h"
#include "Schema.h"

namespace {

const QString table = QStringLiteral("ContactChanges");
const QString trigger = QStringLiteral("trigger");

// No conflict clause: a statement's own clause would override one inside a trigger.
QString raise(const QString &contactId)
{
    return QStringLiteral("INSERT INTO %1 (ContactID, Change) SELECT %2, 0 WHERE NOT EXISTS "
                          "(SELECT 1 FROM %1 WHERE ContactID = %2); "
                          "UPDATE %1 SET Change = (SELECT MAX(Change) FROM %1) + 1 "
                          "WHERE ContactID = %2; ")
        .arg(table, contactId);
}

GroupCounts::Definition makeTrigger(const QString &suffix, const QString &event,
                                    const QString &body)
{
    return {
        trigger, table + suffix,
        QStringLiteral("CREATE TRIGGER %1%2 AFTER %3 BEGIN %4END").arg(table, suffix, event, body)
    };
}

QList<GroupCounts::Definition> buildDefinitions()
{
    const QString oldId = QStringLiteral("OLD.ID");
    const QString newId = QStringLiteral("NEW.ID");
    const QString oldCard = QStringLiteral("OLD.ContactID");
    const QString newCard = QStringLiteral("NEW.ContactID");
    return {
        { QStringLiteral("table"), table,
          QStringLiteral("CREATE TABLE %1 (ContactID INTEGER PRIMARY KEY, "
                         "Change INTEGER NOT NULL)")
              .arg(table) },
        { QStringLiteral("index"), table + QStringLiteral("ByChange"),
          QStringLiteral("CREATE INDEX %1ByChange ON %1 (Change)").arg(table) },
        makeTrigger(QStringLiteral("Insert"), QStringLiteral("INSERT ON Contacts"), raise(newId)),
        makeTrigger(QStringLiteral("Update"), QStringLiteral("UPDATE ON Contacts"),
                    raise(oldId) + raise(newId)),
        makeTrigger(QStringLiteral("Delete"), QStringLiteral("DELETE ON Contacts"), raise(oldId)),
        makeTrigger(QStringLiteral("CardInsert"), QStringLiteral("INSERT ON ContactCards"),
                    raise(newCard)),
        makeTrigger(QStringLiteral("CardUpdate"), QStringLiteral("UPDATE ON ContactCards"),
                    raise(oldCard) + raise(newCard)),
        makeTrigger(QStringLiteral("CardDelete"), QStringLiteral("DELETE ON ContactCards"),
                    raise(oldCard)),
    };
}

Result<int> objectsPresent(Database &database)
{
    const auto present
        = database.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name LIKE ?"),
                          { table + QLatin1Char('%') });
    if (!present)
        return present.status();
    return present.value().toInt();
}

} // namespace

namespace ContactChanges {

const QList<GroupCounts::Definition> &definitions()
{
    static const QList<GroupCounts::Definition> all = buildDefinitions();
    return all;
}

Result<bool> ensure(Database &database)
{
    const auto present = objectsPresent(database);
    if (!present)
        return present.status();
    if (present.value() == definitions().size())
        return false;
    // The kept cards' triggers need their table.
    if (Status cards = Schema::ensureFeatureTable(database, QStringLiteral("ContactCards")); !cards)
        return cards;
    for (const GroupCounts::Definition &definition : definitions()) {
        const auto dropped = database.execute(
            QStringLiteral("DROP %1 IF EXISTS %2").arg(definition.type.toUpper(), definition.name));
        if (!dropped)
            return dropped.status();
    }
    for (const GroupCounts::Definition &definition : definitions()) {
        if (const auto made = database.execute(definition.createStatement); !made)
            return made.status();
    }
    const auto filled = database.execute(
        QStringLiteral("INSERT INTO %1 (ContactID, Change) SELECT ID, 1 FROM Contacts").arg(table));
    if (!filled)
        return filled.status();
    return true;
}

Result<qint64> latest(Database &database)
{
    const auto highest
        = database.scalar(QStringLiteral("SELECT COALESCE(MAX(Change), 0) FROM %1").arg(table));
    if (!highest)
        return highest.status();
    return highest.value().toLongLong();
}

Status touch(Database &database, qint64 contactId)
{
    for (const QString &statement :
         raise(QStringLiteral("?")).split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        const int marks = int(statement.count(u'?'));
        const auto raised = database.execute(statement, QVariantList(marks, contactId));
        if (!raised)
            return raised.status();
    }
    return Status::success();
}

} // namespace ContactChanges
