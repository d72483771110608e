#include "DataFileCheck.h"

#include "Database.h"
#include "GroupCounts.h"
#include "Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

namespace {

constexpr int headerSize = 100;
constexpr int pageSizeOffset = 16;
constexpr int changeCounterOffset = 24;
constexpr int pageCountOffset = 28;
constexpr int versionValidForOffset = 92;
constexpr int userVersionOffset = 60;
// PRAGMA quick_check reads every page. Up to this size (some 20,000 contacts) it takes a few
// milliseconds and runs at every opening; a larger file is checked where damage shows at
// once instead (header, length, schema, both ends of every table and index), so opening costs
// the same at any size. Damage deeper inside such a file is found when its page is read: SQLite
// (with cell_size_check) then fails the statement as corrupt, the program says the file is
// damaged, and nothing is written over it.
constexpr qint64 fullCheckLimit = 8 * 1024 * 1024;
constexpr int applicationIdOffset = 68;

QString notADataFile(const QString &path, const QString &reason)
{
    return QStringLiteral("“%1”不是有效的Zorvane数据文件：%2").arg(path, reason);
}

qint32 readBigEndian(const QByteArray &header, int offset)
{
    return qFromBigEndian<qint32>(header.constData() + offset);
}

// A file cut short, or a header whose page size is no page size, is damaged.
bool lengthFitsHeader(const QByteArray &header, qint64 fileSize)
{
    const quint16 stored = qFromBigEndian<quint16>(header.constData() + pageSizeOffset);
    const qint64 pageSize = stored == 1 ? 65536 : stored;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return false;
    // The page count is only kept by writers that also keep the counter it is valid for.
    const quint32 counter = qFromBigEndian<quint32>(header.constData() + changeCounterOffset);
    const quint32 validFor = qFromBigEndian<quint32>(header.constData() + versionValidForOffset);
    const quint32 pages = qFromBigEndian<quint32>(header.constData() + pageCountOffset);
    return counter != validFor || pages == 0 || qint64(pages) * pageSize <= fileSize;
}

// Reads the first and the last entry of each table and of each index the file holds: the pages
// from the root to both ends. Runs once the file holds only known tables and indexes, all of
// them indexes of Contacts.
Status checkEnds(Database &database)
{
    QStringList statements;
    for (const Schema::Table &table : Schema::tables()) {
        for (const char *order : { "ASC", "DESC" })
            statements << QStringLiteral("SELECT * FROM %1 ORDER BY rowid %2 LIMIT 1")
                              .arg(table.name, QLatin1String(order));
    }
    const auto present = database.records(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL"));
    if (!present)
        return Status::failure(notADataFile(database.path(), present.message()));
    for (const QSqlRecord &index : present.value()) {
        const QString columns = Schema::indexColumns(index.value(0).toString());
        for (const char *order : { " ASC", " DESC" }) {
            QStringList ordered = columns.split(QStringLiteral(", "));
            for (QString &column : ordered)
                column += QLatin1String(order);
            statements << QStringLiteral("SELECT %1 FROM Contacts ORDER BY %2 LIMIT 1")
                              .arg(columns, ordered.join(QStringLiteral(", ")));
        }
    }
    for (const QString &statement : std::as_const(statements)) {
        if (Status read = database.select(statement, {}, [](const QSqlQuery &) {}); !read)
            return Status::failure(notADataFile(database.path(), read.message()));
    }
    return Status::success();
}

bool checksEveryPage(const Database &database)
{
    return QFileInfo(database.path()).size() <= fullCheckLimit;
}

Status checkIntegrity(Database &database)
{
    const auto rows = database.records(QStringLiteral("PRAGMA quick_check"));
    if (!rows)
        return Status::failure(notADataFile(database.path(), rows.message()));
    if (rows.value().size() != 1 || rows.value().first().value(0).toString() != QLatin1String("ok"))
        return Status::failure(notADataFile(database.path(), QStringLiteral("文件已损坏")));
    return Status::success();
}

const GroupCounts::Definition *groupCountsObject(const QString &type, const QString &name)
{
    for (const GroupCounts::Definition &definition : GroupCounts::definitions()) {
        if (definition.type == type && definition.name.compare(name, Qt::CaseInsensitive) == 0)
            return &definition;
    }
    return nullptr;
}

bool isAllowedObject(const QString &type, const QString &name)
{
    if (groupCountsObject(type, name))
        return true;
    if (type == QLatin1String("table"))
        return Schema::findTable(name) || Schema::findFeatureTable(name)
            || name == QLatin1String("sqlite_sequence");
    if (type == QLatin1String("index")) {
        return name.startsWith(QLatin1String("sqlite_autoindex_"))
            || Schema::indexNames().contains(name, Qt::CaseInsensitive);
    }
    return false;
}

Status checkObjects(Database &database, QSet<QString> &tablesFound)
{
    QString stranger;
    Status listed = database.select(
        QStringLiteral("SELECT type, name FROM sqlite_master"), {}, [&](const QSqlQuery &row) {
            const QString type = row.value(0).toString();
            const QString name = row.value(1).toString();
            if (!isAllowedObject(type, name) && stranger.isEmpty())
                stranger = name;
            if (type != QLatin1String("table"))
                return;
            if (const Schema::Table *known = Schema::findTable(name))
                tablesFound.insert(known->name);
            else if (const Schema::Table *feature = Schema::findFeatureTable(name))
                tablesFound.insert(feature->name);
        });
    if (!listed)
        return Status::failure(notADataFile(database.path(), listed.message()));
    if (!stranger.isEmpty())
        return Status::failure(notADataFile(
            database.path(), QStringLiteral("含有本程序不认识的对象“%1”").arg(stranger)));
    return Status::success();
}

// The table as the program creates it: the same fields in the same order, of the same types, with
// the same key and limits. A look-alike with an untyped or text ID would let rows carry IDs that
// break the walks in ID order.
Status checkDefinition(Database &database, const Schema::Table &table)
{
    const auto stored = database.scalar(
        QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"),
        { table.name });
    if (!stored)
        return Status::failure(notADataFile(database.path(), stored.message()));
    if (stored.value().toString() != table.createStatement)
        return Status::failure(
            notADataFile(database.path(), QStringLiteral("数据表“%1”的字段不符").arg(table.name)));
    return Status::success();
}

// Triggers run with every write to Contacts, so a stored one must be exactly the program's own.
Status checkGroupCounts(Database &database)
{
    QString changed;
    const Status listed = database.select(
        QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE type IN ('table', "
                       "'trigger')"),
        {}, [&](const QSqlQuery &row) {
            const auto *known = groupCountsObject(row.value(0).toString(), row.value(1).toString());
            if (known && row.value(2).toString() != known->createStatement && changed.isEmpty())
                changed = known->name;
        });
    if (!listed)
        return Status::failure(notADataFile(database.path(), listed.message()));
    if (!changed.isEmpty())
        return Status::failure(
            notADataFile(database.path(), QStringLiteral("对象“%1”的定义不符").arg(changed)));
    return Status::success();
}

} // namespace

namespace DataFileCheck {

Status checkFile(const QString &path)
{
    const QFileInfo info(path);
    if (path.trimmed().isEmpty() || !info.exists() || !info.isFile())
        return Status::failure(QStringLiteral("数据文件“%1”不存在。").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(
            QStringLiteral("无法读取数据文件“%1”：%2").arg(path, file.errorString()));
    const QByteArray header = file.read(headerSize);
    if (header.size() < headerSize || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return Status::failure(notADataFile(path, QStringLiteral("文件格式不对")));
    if (readBigEndian(header, applicationIdOffset) != Schema::applicationId)
        return Status::failure(notADataFile(path, QStringLiteral("这是其他程序的数据库文件")));
    const qint32 version = readBigEndian(header, userVersionOffset);
    if (version > Schema::version)
        return Status::failure(
            notADataFile(path, QStringLiteral("它由更新版本的Zorvane创建，请先升级本程序")));
    if (version < 1)
        return Status::failure(notADataFile(path, QStringLiteral("文件格式版本不对")));
    if (!lengthFitsHeader(header, info.size()))
        return Status::failure(notADataFile(path, QStringLiteral("文件已损坏")));
    return Status::success();
}

Status checkContents(Database &database)
{
    if (checksEveryPage(database)) {
        if (Status intact = checkIntegrity(database); !intact)
            return intact;
    }
    QSet<QString> tablesFound;
    if (Status objects = checkObjects(database, tablesFound); !objects)
        return objects;
    for (const Schema::Table &table : Schema::tables()) {
        if (!tablesFound.contains(table.name))
            return Status::failure(
                notADataFile(database.path(), QStringLiteral("缺少数据表“%1”").arg(table.name)));
        if (Status defined = checkDefinition(database, table); !defined)
            return defined;
    }
    for (const Schema::Table &table : Schema::featureTables()) {
        if (!tablesFound.contains(table.name))
            continue;
        if (Status defined = checkDefinition(database, table); !defined)
            return defined;
    }
    if (Status counts = checkGroupCounts(database); !counts)
        return counts;
    return checksEveryPage(database) ? Status::success() : checkEnds(database);
}

} // namespace DataFileCheck
