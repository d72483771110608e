#include "DataFileCheck.h"

#include "ContactChanges.h"
#include "Database.h"
#include "FileFormat.h"
#include "GroupCounts.h"
#include "Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QtEndian>

namespace {

using DataFileCheck::notADataFile;

constexpr int headerSize = 100;
constexpr int pageSizeOffset = 16;
constexpr int changeCounterOffset = 24;
constexpr int pageCountOffset = 28;
constexpr int versionValidForOffset = 92;
constexpr int userVersionOffset = 60;
// PRAGMA quick_check reads every page: up to this size (some 20,000 contacts) in a few
// milliseconds, so it runs as the file opens. A larger file is checked on a connection of its own
// while the program starts, and no write reaches it before that check has passed.
constexpr qint64 fullCheckLimit = 8 * 1024 * 1024;
constexpr int applicationIdOffset = 68;

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

// The group counts and change counters: tables, indexes and triggers kept by the program.
const GroupCounts::Definition *groupCountsObject(const QString &type, const QString &name)
{
    for (const auto *list : { &GroupCounts::definitions(), &ContactChanges::definitions() }) {
        for (const GroupCounts::Definition &definition : *list) {
            if (definition.type == type && definition.name.compare(name, Qt::CaseInsensitive) == 0)
                return &definition;
        }
    }
    return nullptr;
}

// ANALYZE writes its statistics into these; they only guide SQLite's choice of plan.
const QHash<QString, QString> &statisticsTables()
{
    static const QHash<QString, QString> tables {
        { QStringLiteral("sqlite_stat1"),
          QStringLiteral("CREATE TABLE sqlite_stat1(tbl,idx,stat)") },
        { QStringLiteral("sqlite_stat4"),
          QStringLiteral("CREATE TABLE sqlite_stat4(tbl,idx,neq,nlt,ndlt,sample)") },
    };
    return tables;
}

bool isAllowedObject(const QString &type, const QString &name)
{
    if (groupCountsObject(type, name))
        return true;
    if (type == QLatin1String("table"))
        return Schema::findTable(name) || Schema::findFeatureTable(name)
            || name.compare(FileFormat::tableName(), Qt::CaseInsensitive) == 0
            || name == QLatin1String("sqlite_sequence") || statisticsTables().contains(name);
    if (type == QLatin1String("index")) {
        return name.startsWith(QLatin1String("sqlite_autoindex_"))
            || !Schema::indexStatement(name).isEmpty();
    }
    if (type == QLatin1String("trigger"))
        return !Schema::triggerStatement(name).isEmpty();
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

// The definition the program gives an object it allows; empty for the tables compared field by
// field elsewhere, and for an index or trigger the program does not make.
QString expectedDefinition(const QString &type, const QString &name)
{
    if (const auto *counts = groupCountsObject(type, name))
        return counts->createStatement;
    if (type == QLatin1String("index"))
        return Schema::indexStatement(name);
    if (type == QLatin1String("trigger"))
        return Schema::triggerStatement(name);
    if (type == QLatin1String("table") && statisticsTables().contains(name))
        return statisticsTables().value(name);
    if (type == QLatin1String("table")
        && name.compare(FileFormat::tableName(), Qt::CaseInsensitive) == 0)
        return FileFormat::createStatement();
    return {};
}

// Triggers run with every write to Contacts, and an index can forbid rows (UNIQUE) or leave some
// out (WHERE): a stored one must be exactly the program's own.
Status checkDefinitions(Database &database)
{
    QString changed;
    const Status listed = database.select(
        QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE type IN ('table', "
                       "'trigger', 'index') AND sql IS NOT NULL"),
        {}, [&](const QSqlQuery &row) {
            const QString type = row.value(0).toString();
            const QString name = row.value(1).toString();
            const QString expected = expectedDefinition(type, name);
            // An index or trigger the program does not make (under an automatic index's name)
            // matches nothing.
            const bool compared = type != QLatin1String("table") || !expected.isEmpty();
            if (compared && row.value(2).toString() != expected && changed.isEmpty())
                changed = name;
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
        return Status::failure(FileFormat::newerFileMessage());
    if (version < 1)
        return Status::failure(notADataFile(path, QStringLiteral("文件格式版本不对")));
    if (!lengthFitsHeader(header, info.size()))
        return Status::failure(notADataFile(path, QStringLiteral("文件已损坏")));
    return Status::success();
}

bool checkedAtOpening(const QString &path)
{
    return QFileInfo(path).size() <= fullCheckLimit;
}

QString notADataFile(const QString &path, const QString &reason)
{
    return QStringLiteral("“%1”不是有效的Zorvane数据文件：%2").arg(path, reason);
}

QString damagedFile(const QString &path, const QString &damage)
{
    return notADataFile(path, QStringLiteral("文件已损坏（%1）").arg(damage));
}

QString readOnlyNotice(const QString &path, const QString &damage)
{
    return QStringLiteral("数据文件“%1”已损坏：\n%2\n\n为免损坏扩大，本程序以只读方式打开它，"
                          "不会写入任何内容，其中的联系人仍可查看。请改用以前用“备份数据库文件”"
                          "保存的备份（“选择数据库文件”）。")
        .arg(QDir::toNativeSeparators(path), damage);
}

Status checkContents(Database &database)
{
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
    if (Status definitions = checkDefinitions(database); !definitions)
        return definitions;
    if (Status version = FileFormat::checkVersion(database); !version)
        return Status::failure(version.message());
    return Status::success();
}

} // namespace DataFileCheck
