#include "HostileDataFiles.h"

#include "data/DataFileFactory.h"
#include "data/Database.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <functional>

namespace {

using Statement = QPair<QString, QVariantList>;

// Changes made through the program's own connection, on a file it has just written and accepts.
Status runStatements(const QString &path, const QList<Statement> &statements)
{
    auto opened = Database::open(path);
    if (!opened)
        return opened.status();
    for (const auto &[sql, values] : statements) {
        if (const auto ran = opened.value()->execute(sql, values); !ran)
            return Status::failure(sql + QLatin1Char('\n') + ran.message());
    }
    return Status::success();
}

Status writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return Status::failure(file.errorString());
    return Status::success();
}

Result<QByteArray> readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(file.errorString());
    return file.readAll();
}

// Text that is no valid UTF-8, the same on every run.
QByteArray noise(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 0x2545F491;
    for (char &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = char(state >> 24);
    }
    return bytes;
}

Status writeValid(const QString &path)
{
    if (Status made = DataFileFactory::createDataFile(path); !made)
        return made;
    return runStatements(
        path,
        { { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) "
                           "VALUES (?, ?, ?)"),
            { QStringLiteral("王"), QStringLiteral("五"), QStringLiteral("朋友") } },
          { QStringLiteral("INSERT INTO Reminders (item, Done, Date) VALUES (?, 0, ?)"),
            { QStringLiteral("2026-12-07： 开会"), QStringLiteral("2026-12-07") } } });
}

// A valid file changed by statements.
Status writeAltered(const QString &path, const QList<Statement> &changes)
{
    Status status = DataFileFactory::createDataFile(path);
    if (status)
        status = runStatements(path, changes);
    return status;
}

// The valid file's bytes changed by a function.
Status writeDamaged(const QString &valid, const QString &path,
                    const std::function<void(QByteArray &)> &change)
{
    auto bytes = readBytes(valid);
    if (!bytes)
        return bytes.status();
    QByteArray damaged = bytes.value();
    change(damaged);
    return writeBytes(path, damaged);
}

struct Recipe
{
    QString fileName;
    bool opens;
    std::function<Status(const QString &path)> write;
    bool damagedPages = false;
};

// A valid file whose deleted contacts left free pages, with its free list then damaged.
Status writeFreeListDamaged(const QString &path)
{
    const QString notes = QString(600, QChar(u'记'));
    QList<Statement> changes;
    for (int i = 0; i < 60; ++i)
        changes.append(
            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type, Notes) "
                             "VALUES (?, ?, ?, ?)"),
              { QStringLiteral("钱"), QString::number(i), QStringLiteral("朋友"), notes } });
    changes.append(
        { QStringLiteral("DELETE FROM Contacts WHERE CAST(LastName AS INTEGER) >= 10"), {} });
    Status status = writeAltered(path, changes);
    if (status)
        status = HostileDataFiles::pointFreeListAtContacts(path);
    return status;
}

Recipe altered(const QString &fileName, bool opens, const QList<Statement> &changes)
{
    return { fileName, opens,
             [changes](const QString &path) { return writeAltered(path, changes); } };
}

// The table made again with another ID definition: same name, same field names.
Recipe redefined(const QString &fileName, const QString &table, const QString &id,
                 const QStringList &inserts)
{
    QString create = Schema::findTable(table)->createStatement;
    create.replace(QStringLiteral("ID INTEGER PRIMARY KEY AUTOINCREMENT"),
                   (QStringLiteral("ID ") + id).trimmed());
    QList<Statement> changes { { QStringLiteral("DROP TABLE ") + table, {} }, { create, {} } };
    for (const QString &insert : inserts)
        changes.append({ QStringLiteral("INSERT INTO ") + table + insert, {} });
    return altered(fileName, false, changes);
}

// Every file but the first is derived from the valid one, which is written first.
QList<Recipe> recipes(const QString &valid)
{
    auto damaged = [valid](const QString &fileName, std::function<void(QByteArray &)> change,
                           bool damagedPages = false) {
        return Recipe { fileName, false,
                        [valid, change](const QString &path) {
                            return writeDamaged(valid, path, change);
                        },
                        damagedPages };
    };
    auto bytes = [](const QString &fileName, const QByteArray &content) {
        return Recipe { fileName, false,
                        [content](const QString &path) { return writeBytes(path, content); } };
    };
    return {
        { QStringLiteral("valid.cot"), true, writeValid },
        altered(
            QStringLiteral("null-fields.cot"), true,
            { { QStringLiteral("INSERT INTO Contacts (ID) VALUES (NULL)"), {} },
              { QStringLiteral("INSERT INTO ContactType (ID) VALUES (NULL)"), {} },
              { QStringLiteral("INSERT INTO Reminders (item, Date) VALUES (NULL, NULL)"), {} } }),
        altered(QStringLiteral("blob-fields.cot"), true,
                { { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type, Notes) "
                                   "VALUES (?, ?, ?, ?)"),
                    { QByteArray("\x00\xff", 2), QByteArray("\xc3"), QByteArray("\xe4\xb8"),
                      noise(300) } } }),
        // A category without a kind and a contact without a group: an import into itself must
        // find both present.
        altered(
            QStringLiteral("null-kind.cot"), true,
            { { QStringLiteral("INSERT INTO ContactType (Name, Type) VALUES ('无类', NULL)"), {} },
              { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) "
                               "VALUES ('赵', '六', NULL)"),
                {} } }),
        // IDs the walks in ID order cannot step past: a fraction, text, a repeated one.
        redefined(QStringLiteral("untyped-id.cot"), QStringLiteral("Contacts"), QString(),
                  { QStringLiteral(" (ID, FirstName, LastName) VALUES (1.4, '甲', '一')"),
                    QStringLiteral(" (ID, FirstName, LastName) VALUES (2, '乙', '二')") }),
        redefined(QStringLiteral("real-id.cot"), QStringLiteral("ContactType"),
                  QStringLiteral("REAL PRIMARY KEY"),
                  { QStringLiteral(" (ID, Name, Type) VALUES (1.4, '甲类', 1)") }),
        redefined(QStringLiteral("text-id.cot"), QStringLiteral("Contacts"),
                  QStringLiteral("TEXT PRIMARY KEY"),
                  { QStringLiteral(" (ID, FirstName, LastName) VALUES ('a', '甲', '一')") }),
        redefined(QStringLiteral("no-primary-key.cot"), QStringLiteral("Contacts"),
                  QStringLiteral("INTEGER"),
                  { QStringLiteral(" (ID, FirstName, LastName) VALUES (1, '甲', '一')"),
                    QStringLiteral(" (ID, FirstName, LastName) VALUES (1, '乙', '二')") }),
        altered(QStringLiteral("future-version.cot"), false,
                { { QStringLiteral("PRAGMA user_version = 99"), {} } }),
        altered(QStringLiteral("missing-field.cot"), false,
                { { QStringLiteral("ALTER TABLE Contacts DROP COLUMN Notes"), {} } }),
        altered(QStringLiteral("extra-table.cot"), false,
                { { QStringLiteral("CREATE TABLE Extra (x)"), {} } }),
        altered(QStringLiteral("merge-undo.cot"), true,
                { { Schema::findFeatureTable(QStringLiteral("MergeUndo"))->createStatement, {} } }),
        altered(QStringLiteral("merge-undo-wrong-fields.cot"), false,
                { { QStringLiteral("CREATE TABLE MergeUndo (MergeID, Role)"), {} } }),
        altered(QStringLiteral("trigger.cot"), false,
                { { QStringLiteral("CREATE TRIGGER wipe AFTER INSERT ON Contacts "
                                   "BEGIN DELETE FROM Users; END"),
                    {} } }),
        // The program's own trigger name over a body of someone else's.
        altered(QStringLiteral("group-counts-trigger.cot"), false,
                { { QStringLiteral("DROP TRIGGER ContactGroupCountsInsert"), {} },
                  { QStringLiteral("CREATE TRIGGER ContactGroupCountsInsert AFTER INSERT ON "
                                   "Contacts BEGIN DELETE FROM Users; END"),
                    {} } }),
        altered(QStringLiteral("view.cot"), false,
                { { QStringLiteral("CREATE VIEW v AS SELECT * FROM Contacts"), {} } }),
        // The index under an allowed name that forbids namesakes.
        altered(QStringLiteral("unique-index.cot"), false,
                { { QStringLiteral("DROP INDEX ContactsByName"), {} },
                  { QStringLiteral("CREATE UNIQUE INDEX ContactsByName ON Contacts "
                                   "(FirstName, LastName)"),
                    {} } }),
        altered(QStringLiteral("partial-index.cot"), false,
                { { QStringLiteral("DROP INDEX ContactsByGroup"), {} },
                  { QStringLiteral("CREATE INDEX ContactsByGroup ON Contacts "
                                   "(Type, FirstName, LastName) WHERE Type <> '朋友'"),
                    {} } }),
        altered(QStringLiteral("analyzed.cot"), true, { { QStringLiteral("ANALYZE"), {} } }),
        { QStringLiteral("free-list-damaged.cot"), false, writeFreeListDamaged, true },
        damaged(QStringLiteral("truncated.cot"),
                [](QByteArray &file) { file.truncate(file.size() / 2); }),
        // The type byte of the second page.
        damaged(
            QStringLiteral("flipped-page.cot"),
            [](QByteArray &file) {
                if (file.size() > 4096)
                    file[4096] = char(~file.at(4096));
            },
            true),
        bytes(QStringLiteral("empty.cot"), {}),
        bytes(QStringLiteral("text.cot"), "not a data file\n"),
    };
}

} // namespace

namespace HostileDataFiles {

Result<QList<Sample>> write(const QString &folder)
{
    const QDir dir(folder);
    QList<Sample> samples;
    const auto all = recipes(dir.filePath(QStringLiteral("valid.cot")));
    for (const Recipe &recipe : all) {
        if (Status written = recipe.write(dir.filePath(recipe.fileName)); !written)
            return Status::failure(recipe.fileName + QStringLiteral(": ") + written.message());
        samples.append({ recipe.fileName, recipe.opens, recipe.damagedPages });
    }
    return samples;
}

Status pointFreeListAtContacts(const QString &path)
{
    qint64 contactsPage = 0;
    {
        auto opened = Database::open(path);
        if (!opened)
            return opened.status();
        const auto root = opened.value()->scalar(
            QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'Contacts'"));
        if (!root)
            return root.status();
        contactsPage = root.value().toLongLong();
    }
    auto bytes = readBytes(path);
    if (!bytes)
        return bytes.status();
    QByteArray file = bytes.value();
    const auto number
        = [&file](qint64 offset) { return qFromBigEndian<quint32>(file.constData() + offset); };
    const quint16 storedSize = qFromBigEndian<quint16>(file.constData() + 16);
    const qint64 pageSize = storedSize == 1 ? 65536 : storedSize;
    const quint32 trunk = number(32);
    const qint64 trunkAt = (qint64(trunk) - 1) * pageSize;
    if (trunk == 0 || trunkAt + 12 > file.size() || number(trunkAt + 4) == 0)
        return Status::failure(QStringLiteral("the file has no free pages"));
    qToBigEndian<quint32>(quint32(contactsPage), file.data() + trunkAt + 8);
    return writeBytes(path, file);
}

} // namespace HostileDataFiles
