#include "DataFileCheck.h"

#include "Database.h"
#include "Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

namespace {

constexpr int headerSize = 100;
constexpr int userVersionOffset = 60;
constexpr int applicationIdOffset = 68;

QString notADataFile(const QString &path, const QString &reason)
{
    return QStringLiteral("“%1”不是有效的Zorvane数据文件：%2").arg(path, reason);
}

qint32 readBigEndian(const QByteArray &header, int offset)
{
    return qFromBigEndian<qint32>(header.constData() + offset);
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

bool isAllowedObject(const QString &type, const QString &name)
{
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
    return Status::success();
}

Status checkContents(Database &database)
{
    if (Status intact = checkIntegrity(database); !intact)
        return intact;
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
        if (Status columns = checkDefinition(database, table); !columns)
            return columns;
    }
    return Status::success();
}

} // namespace DataFileCheck
