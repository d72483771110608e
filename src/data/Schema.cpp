#include "Schema.h"

#include "Database.h"
#include "FileFormat.h"
#include "GroupCounts.h"
#include "Transaction.h"

namespace {

QString limitedText(const char *name, int limit)
{
    return QStringLiteral("TEXT COLLATE NOCASE CHECK (length(%1) <= %2)")
        .arg(QLatin1String(name))
        .arg(limit);
}

Schema::Table makeTable(const QString &name, const QList<QPair<QString, QString>> &fields)
{
    Schema::Table table;
    table.name = name;
    QStringList definitions;
    for (const auto &[field, definition] : fields) {
        table.columns << field;
        definitions << field + QLatin1Char(' ') + definition;
    }
    table.createStatement
        = QStringLiteral("CREATE TABLE %1 (%2)").arg(name, definitions.join(QStringLiteral(", ")));
    return table;
}

const QString identity = QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");

QList<Schema::Table> buildTables()
{
    // AUTOINCREMENT keeps IDs growing past deleted rows: the program reads ID order as the
    // order of creation. Text limits are the editor's input limits, enforced by the file.
    return {
        makeTable(QStringLiteral("Contacts"),
                  { { QStringLiteral("ID"), identity },
                    { QStringLiteral("FirstName"), limitedText("FirstName", 25) },
                    { QStringLiteral("LastName"), limitedText("LastName", 25) },
                    { QStringLiteral("Title"), limitedText("Title", 25) },
                    { QStringLiteral("Type"), limitedText("Type", 25) },
                    { QStringLiteral("CompanyName"), limitedText("CompanyName", 100) },
                    { QStringLiteral("Address1"), limitedText("Address1", 100) },
                    { QStringLiteral("Address2"), limitedText("Address2", 100) },
                    { QStringLiteral("Address3"), limitedText("Address3", 100) },
                    { QStringLiteral("Postcode"), limitedText("Postcode", 10) },
                    { QStringLiteral("Data1"), limitedText("Data1", 50) },
                    { QStringLiteral("Data2"), limitedText("Data2", 50) },
                    { QStringLiteral("Data3"), limitedText("Data3", 50) },
                    { QStringLiteral("Data4"), limitedText("Data4", 50) },
                    { QStringLiteral("Combo1"), limitedText("Combo1", 25) },
                    { QStringLiteral("Combo2"), limitedText("Combo2", 25) },
                    { QStringLiteral("Combo3"), limitedText("Combo3", 25) },
                    { QStringLiteral("Combo4"), limitedText("Combo4", 25) },
                    { QStringLiteral("Email"), limitedText("Email", 100) },
                    { QStringLiteral("Website"), limitedText("Website", 100) },
                    { QStringLiteral("Notes"), QStringLiteral("TEXT") } }),
        makeTable(QStringLiteral("ContactType"),
                  { { QStringLiteral("ID"), identity },
                    { QStringLiteral("Name"), limitedText("Name", 25) },
                    { QStringLiteral("Type"), QStringLiteral("INTEGER") },
                    { QStringLiteral("Number"), QStringLiteral("INTEGER") },
                    { QStringLiteral("Description"), limitedText("Description", 255) } }),
        makeTable(QStringLiteral("Reminders"),
                  { { QStringLiteral("ID"), identity },
                    { QStringLiteral("item"), limitedText("item", 100) },
                    { QStringLiteral("Done"), QStringLiteral("INTEGER NOT NULL DEFAULT 0") },
                    { QStringLiteral("Date"), QStringLiteral("DATE") } }),
        makeTable(
            QStringLiteral("Users"),
            { { QStringLiteral("ID"), identity },
              { QStringLiteral("UserName"), limitedText("UserName", 25) },
              { QStringLiteral("Password"),
                QStringLiteral("TEXT NOT NULL DEFAULT '' CHECK (length(Password) <= 255)") },
              { QStringLiteral("access"), QStringLiteral("INTEGER NOT NULL DEFAULT 1") },
              { QStringLiteral("Lastlogin"), QStringLiteral("INTEGER NOT NULL DEFAULT 1") } }),
    };
}

QList<Schema::Table> buildFeatureTables()
{
    // The undo record of a contact merge: each merged row in full (before and after for the kept
    // contact, the deleted ones as they were), copied value for value from Contacts.
    QList<QPair<QString, QString>> undoFields {
        { QStringLiteral("MergeID"), QStringLiteral("INTEGER NOT NULL") },
        { QStringLiteral("Role"), QStringLiteral("INTEGER NOT NULL") },
        { QStringLiteral("ContactID"), QStringLiteral("INTEGER NOT NULL") }
    };
    const QStringList contactFields = buildTables().first().columns.mid(1);
    for (const QString &field : contactFields)
        undoFields.append({ field, QStringLiteral("TEXT") });
    // The sync with a CardDAV address book: which contact is which card on the server (ETag
    // empty while the card is not there), the card as last synced, and the collection's token.
    const Schema::Table cards
        = makeTable(QStringLiteral("CardDavCards"),
                    { { QStringLiteral("ContactID"), QStringLiteral("INTEGER NOT NULL") },
                      { QStringLiteral("Href"), QStringLiteral("TEXT NOT NULL UNIQUE") },
                      { QStringLiteral("ETag"), QStringLiteral("TEXT NOT NULL DEFAULT ''") },
                      { QStringLiteral("UID"), QStringLiteral("TEXT NOT NULL DEFAULT ''") },
                      { QStringLiteral("Card"), QStringLiteral("BLOB") } });
    const Schema::Table state = makeTable(
        QStringLiteral("CardDavState"),
        { { QStringLiteral("AddressBook"), QStringLiteral("TEXT NOT NULL") },
          { QStringLiteral("SyncToken"), QStringLiteral("TEXT NOT NULL DEFAULT ''") } });
    // The highest change counter of the contacts the last sync compared with their cards: only
    // contacts counted higher can have changed since.
    const Schema::Table checked
        = makeTable(QStringLiteral("CardDavChecked"),
                    { { QStringLiteral("Change"), QStringLiteral("INTEGER NOT NULL") } });
    // Each contact's whole card as it came (from a file, the server or a merge), of which the
    // Contacts row is the view; a contact without one has its card made from the row.
    const Schema::Table keptCards
        = makeTable(QStringLiteral("ContactCards"),
                    { { QStringLiteral("ContactID"), QStringLiteral("INTEGER PRIMARY KEY") },
                      { QStringLiteral("Card"), QStringLiteral("BLOB NOT NULL") } });
    // The kept cards a merge replaced (the kept contact's and the deleted ones'; NULL for a
    // contact that had none), for its undo.
    const Schema::Table undoCards
        = makeTable(QStringLiteral("MergeUndoCards"),
                    { { QStringLiteral("MergeID"), QStringLiteral("INTEGER NOT NULL") },
                      { QStringLiteral("ContactID"), QStringLiteral("INTEGER NOT NULL") },
                      { QStringLiteral("Card"), QStringLiteral("BLOB") } });
    // The pictures of a contact's paper card, as scanned: side 0 the front, 1 the back.
    const Schema::Table cardImages
        = makeTable(QStringLiteral("CardImages"),
                    { { QStringLiteral("ContactID"), QStringLiteral("INTEGER NOT NULL") },
                      { QStringLiteral("Side"), QStringLiteral("INTEGER NOT NULL") },
                      { QStringLiteral("Format"), QStringLiteral("TEXT NOT NULL") },
                      { QStringLiteral("Image"), QStringLiteral("BLOB NOT NULL") } });
    return { makeTable(QStringLiteral("MergeUndo"), undoFields),
             cards,
             state,
             keptCards,
             undoCards,
             cardImages,
             checked };
}

const Schema::Table *findIn(const QList<Schema::Table> &list, const QString &name)
{
    for (const Schema::Table &table : list) {
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    }
    return nullptr;
}

struct Index
{
    QString name;
    QString columns;
    QString table = QStringLiteral("Contacts");
};

QList<Index> buildIndexes()
{
    // The import's duplicate test looks contacts up by name; the contact list counts and reads
    // one group at a time, in name order.
    return { { QStringLiteral("ContactsByName"), QStringLiteral("FirstName, LastName") },
             { QStringLiteral("ContactsByGroup"), QStringLiteral("Type, FirstName, LastName") } };
}

// Made with their feature table. The sync finds a contact's card by the contact.
const QList<Index> &featureIndexes()
{
    static const QList<Index> all { { QStringLiteral("CardDavCardsByContact"),
                                      QStringLiteral("ContactID"),
                                      QStringLiteral("CardDavCards") } };
    return all;
}

const QList<Index> &indexes()
{
    static const QList<Index> all = buildIndexes();
    return all;
}

// What a feature table needs from every write to Contacts, as the program creates it, and the
// statement that mends a file whose table went without it.
struct FeatureTrigger
{
    QString table;
    QString name;
    QString createStatement;
    QString mend;
};

QList<FeatureTrigger> buildFeatureTriggers()
{
    // A deleted contact takes its kept card and its paper card's pictures with it, in the
    // deleting transaction, whichever window or program deletes it.
    return { { QStringLiteral("ContactCards"), QStringLiteral("ContactCardsDelete"),
               QStringLiteral("CREATE TRIGGER ContactCardsDelete AFTER DELETE ON Contacts BEGIN "
                              "DELETE FROM ContactCards WHERE ContactID = OLD.ID; END"),
               QStringLiteral("DELETE FROM ContactCards WHERE ContactID NOT IN "
                              "(SELECT ID FROM Contacts)") },
             { QStringLiteral("CardImages"), QStringLiteral("CardImagesDelete"),
               QStringLiteral("CREATE TRIGGER CardImagesDelete AFTER DELETE ON Contacts BEGIN "
                              "DELETE FROM CardImages WHERE ContactID = OLD.ID; END"),
               QStringLiteral("DELETE FROM CardImages WHERE ContactID NOT IN "
                              "(SELECT ID FROM Contacts)") } };
}

const QList<FeatureTrigger> &featureTriggers()
{
    static const QList<FeatureTrigger> all = buildFeatureTriggers();
    return all;
}

Result<bool> objectExists(Database &database, const QString &type, const QString &name)
{
    const auto found = database.scalar(
        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = ? AND name = ?"),
        { type, name });
    if (!found)
        return found.status();
    return found.value().toInt() > 0;
}

// Creates the table's triggers a file lacks, then clears what went by without them.
Status ensureTriggersOf(Database &database, const QString &table)
{
    for (const FeatureTrigger &trigger : featureTriggers()) {
        if (trigger.table.compare(table, Qt::CaseInsensitive) != 0)
            continue;
        const auto present = objectExists(database, QStringLiteral("trigger"), trigger.name);
        if (!present)
            return present.status();
        if (present.value())
            continue;
        auto done = database.execute(trigger.createStatement);
        if (done)
            done = database.execute(trigger.mend);
        if (!done)
            return done.status();
    }
    return Status::success();
}

QString indexSql(const Index &index)
{
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(index.name, index.table, index.columns);
}

Status createIndexes(Database &database, const QList<Index> &wanted)
{
    for (const Index &index : wanted) {
        QString statement = indexSql(index);
        statement.insert(statement.indexOf(index.name), QLatin1String("IF NOT EXISTS "));
        const auto made = database.execute(statement);
        if (!made)
            return made.status();
    }
    return Status::success();
}

Status insertAll(Database &database, const QString &sql, const QList<QVariantList> &rows)
{
    for (const QVariantList &row : rows) {
        const auto inserted = database.insert(sql, row);
        if (!inserted)
            return inserted.status();
    }
    return Status::success();
}

QList<QVariantList> categoryRows(int kind, const QStringList &names)
{
    QList<QVariantList> rows;
    for (int i = 0; i < names.size(); ++i)
        rows << QVariantList { names.at(i), kind, i + 1, QStringLiteral("") };
    return rows;
}

} // namespace

namespace Schema {

const QList<Table> &tables()
{
    static const QList<Table> all = buildTables();
    return all;
}

const Table *findTable(const QString &name)
{
    return findIn(tables(), name);
}

const QList<Table> &featureTables()
{
    static const QList<Table> all = buildFeatureTables();
    return all;
}

const Table *findFeatureTable(const QString &name)
{
    return findIn(featureTables(), name);
}

Status ensureFeatureTable(Database &database, const QString &name)
{
    const Table *table = findFeatureTable(name);
    if (!table)
        return Status::failure(QStringLiteral("未知的数据表“%1”").arg(name));
    const auto present = objectExists(database, QStringLiteral("table"), table->name);
    if (!present)
        return present.status();
    if (!present.value()) {
        const auto made = database.execute(table->createStatement);
        if (!made)
            return made.status();
        if (Status recorded = FileFormat::record(database); !recorded)
            return recorded;
    }
    // A table made by an earlier build may lack its indexes or triggers.
    QList<Index> own;
    for (const Index &index : featureIndexes()) {
        if (index.table == table->name)
            own << index;
    }
    if (Status indexed = createIndexes(database, own); !indexed)
        return indexed;
    return ensureTriggersOf(database, table->name);
}

QString triggerStatement(const QString &name)
{
    for (const FeatureTrigger &trigger : featureTriggers()) {
        if (trigger.name.compare(name, Qt::CaseInsensitive) == 0)
            return trigger.createStatement;
    }
    return {};
}

Status addMissingTriggers(Database &database)
{
    for (const Table &table : featureTables()) {
        const auto present = objectExists(database, QStringLiteral("table"), table.name);
        if (!present)
            return present.status();
        if (!present.value())
            continue;
        for (const FeatureTrigger &trigger : featureTriggers()) {
            if (trigger.table != table.name)
                continue;
            // Looked up first, as the indexes are: the usual file has them.
            const auto made = objectExists(database, QStringLiteral("trigger"), trigger.name);
            if (!made)
                return made.status();
            if (made.value())
                continue;
            Transaction transaction(database);
            Status status = transaction.begin();
            if (status)
                status = ensureTriggersOf(database, table.name);
            if (status)
                status = transaction.commit();
            if (!status)
                return status;
        }
    }
    return Status::success();
}

QStringList indexNames()
{
    QStringList names;
    for (const Index &index : indexes())
        names << index.name;
    return names;
}

QString indexStatement(const QString &name)
{
    for (const auto *list : { &indexes(), &featureIndexes() }) {
        for (const Index &index : *list) {
            if (index.name.compare(name, Qt::CaseInsensitive) == 0)
                return indexSql(index);
        }
    }
    return {};
}

Status create(Database &database)
{
    Status marks = database.pragma(QStringLiteral("PRAGMA application_id = %1").arg(applicationId));
    if (marks)
        marks = database.pragma(QStringLiteral("PRAGMA user_version = %1").arg(version));
    if (!marks)
        return marks;

    Transaction transaction(database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    for (const Table &table : tables()) {
        if (const auto made = database.execute(table.createStatement); !made)
            return made.status();
    }
    if (Status indexed = createIndexes(database, indexes()); !indexed)
        return indexed;
    if (Status recorded = FileFormat::record(database); !recorded)
        return recorded;
    if (Status committed = transaction.commit(); !committed)
        return committed;
    return GroupCounts::ensure(database);
}

Status addMissingIndexes(Database &database)
{
    // Looked up first: the usual file has them all, and its opening should not wait for the
    // write lock another program may hold.
    const QStringList names = indexNames();
    const auto present = database.scalar(
        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name IN (%1)")
            .arg(QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", "))),
        QVariantList(names.cbegin(), names.cend()));
    if (!present)
        return present.status();
    if (present.value().toInt() == names.size())
        return Status::success();
    Transaction transaction(database);
    Status status = transaction.begin();
    if (status)
        status = createIndexes(database, indexes());
    if (status)
        status = transaction.commit();
    return status;
}

Status seedStartingData(Database &database)
{
    Transaction transaction(database);
    if (Status begun = transaction.begin(); !begun)
        return begun;

    // Administrator first so it is the account offered at the first login; both passwords empty.
    Status seeded
        = insertAll(database,
                    QStringLiteral("INSERT INTO Users (UserName, Password, access, Lastlogin) "
                                   "VALUES (?, ?, ?, ?)"),
                    { { QStringLiteral("管理员"), QStringLiteral(""), 0, 0 },
                      { QStringLiteral("普通用户"), QStringLiteral(""), 1, 1 } });
    const QString categorySql = QStringLiteral(
        "INSERT INTO ContactType (Name, Type, Number, Description) VALUES (?, ?, ?, ?)");
    const QList<QPair<int, QStringList>> categories {
        { 1,
          { QStringLiteral("总经理"), QStringLiteral("经理"), QStringLiteral("主管"),
            QStringLiteral("工程师"), QStringLiteral("销售代表"), QStringLiteral("秘书") } },
        { 2,
          { QStringLiteral("电话"), QStringLiteral("手机"), QStringLiteral("传真"),
            QStringLiteral("寻呼机"), QStringLiteral("办公电话"), QStringLiteral("家庭电话") } },
        { 3,
          { QStringLiteral("同事"), QStringLiteral("朋友"), QStringLiteral("家人"),
            QStringLiteral("客户"), QStringLiteral("同学"), QStringLiteral("其他方面") } },
    };
    for (const auto &[kind, names] : categories) {
        if (seeded)
            seeded = insertAll(database, categorySql, categoryRows(kind, names));
    }
    if (!seeded)
        return seeded;
    return transaction.commit();
}

} // namespace Schema
