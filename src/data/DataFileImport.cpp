#include "DataFileImport.h"

#include "Database.h"
#include "ReservedRows.h"
#include "Schema.h"
#include "SqlErrorText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <functional>
#include <limits>
#include <sqlite3.h>

namespace {

// Source rows read at a time: a large file never sits in memory as a whole. The rows of one
// batch are written in one transaction, so other programs wait for the file only briefly.
constexpr int batchSize = 1000;

QString quoted(QString identifier)
{
    return QLatin1Char('"') + identifier.replace(QLatin1Char('"'), QStringLiteral("\"\""))
        + QLatin1Char('"');
}

bool isId(const QString &column)
{
    return column.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0;
}

// How one table's rows travel: every target column but ID takes the source column of the same
// name, wherever either file keeps it.
struct CopyPlan
{
    QString table;
    QStringList targetColumns;
    QStringList sourceColumns;
    // The source keeps cards for its contacts: each is read with its row, as the last value.
    bool withCards = false;

    int indexOf(const QString &column) const
    {
        for (int i = 0; i < targetColumns.size(); ++i) {
            if (targetColumns.at(i).compare(column, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    // ID first, then the copied columns in the target's order.
    QString selectSql() const
    {
        QStringList columns { QStringLiteral("ID") };
        for (const QString &column : sourceColumns)
            columns << quoted(column);
        if (withCards)
            columns << QStringLiteral(
                           "(SELECT Card FROM ContactCards WHERE ContactCards.ContactID = %1.ID)")
                           .arg(quoted(table));
        return QStringLiteral("SELECT %1 FROM %2 WHERE ID > ? AND ID <= ? ORDER BY ID LIMIT %3")
            .arg(columns.join(QStringLiteral(", ")), quoted(table))
            .arg(batchSize);
    }

    QString insertSql() const
    {
        QStringList columns;
        for (const QString &column : targetColumns)
            columns << quoted(column);
        const QStringList marks(int(targetColumns.size()), QStringLiteral("?"));
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(quoted(table), columns.join(QStringLiteral(", ")),
                 marks.join(QStringLiteral(", ")));
    }
};

Result<CopyPlan> planCopy(Database &target, Database &source, const QString &table)
{
    const QSqlRecord targetRecord = target.connection().record(table);
    const QSqlRecord sourceRecord = source.connection().record(table);
    if (targetRecord.isEmpty() || sourceRecord.isEmpty())
        return Status::failure(QStringLiteral("缺少数据表“%1”").arg(table));
    CopyPlan plan;
    plan.table = table;
    for (int i = 0; i < targetRecord.count(); ++i) {
        const QString name = targetRecord.fieldName(i);
        if (isId(name))
            continue;
        for (int j = 0; j < sourceRecord.count(); ++j) {
            if (sourceRecord.fieldName(j).compare(name, Qt::CaseInsensitive) == 0) {
                plan.targetColumns << name;
                plan.sourceColumns << sourceRecord.fieldName(j);
                break;
            }
        }
    }
    return plan;
}

// A source row as read: its ID, then the values in the plan's order.
struct SourceRow
{
    qint64 id = 0;
    QVariantList values;
    QVariant card;

    QVariant value(int index) const { return index < 0 ? QVariant() : values.at(index); }
};

using Choice = DataFileImport::DuplicateChoice;

// One run of the import: reads the source in batches, outside any transaction (the source may be
// the target itself), and writes each batch in a transaction that is also committed before every
// question.
class ImportRun
{
public:
    ImportRun(DataFileImport &import, Database &target, Database &source)
        : m_import(import)
        , m_target(target)
        , m_source(source)
        , m_insert(target.connection())
        , m_lookup(target.connection())
        , m_lookupNullName(target.connection())
        , m_insertCard(target.connection())
    { }

    ~ImportRun()
    {
        m_insert.finish();
        m_lookup.finish();
        m_lookupNullName.finish();
        m_insertCard.finish();
        if (m_open)
            m_target.rollback();
    }

    ImportSummary run()
    {
        auto categories = planCopy(m_target, m_source, QStringLiteral("ContactType"));
        auto contacts = planCopy(m_target, m_source, QStringLiteral("Contacts"));
        if (!categories || !contacts) {
            stop((categories ? contacts : categories).message());
            return m_summary;
        }
        if (m_import.onStage)
            m_import.onStage(DataFileImport::Stage::Categories);
        if (importCategories(categories.value()) && commit()) {
            if (m_import.onStage)
                m_import.onStage(DataFileImport::Stage::Contacts);
            if (importContacts(contacts.value()))
                commit();
        }
        return m_summary;
    }

private:
    void stop(const QString &reason)
    {
        if (m_summary.stoppedBy.isEmpty())
            m_summary.stoppedBy = reason;
    }

    bool stopped() const { return !m_summary.stoppedBy.isEmpty() || m_summary.cancelled; }

    bool begin()
    {
        if (m_open)
            return true;
        Status begun = m_target.beginImmediate();
        if (!begun) {
            stop(begun.message());
            return false;
        }
        m_open = true;
        return true;
    }

    bool commit()
    {
        if (!m_open)
            return true;
        m_insert.finish();
        m_lookup.finish();
        m_lookupNullName.finish();
        m_insertCard.finish();
        Status committed = m_target.commit();
        if (!committed) {
            m_target.rollback();
            m_open = false;
            m_pendingCategories = m_pendingContacts = 0;
            stop(committed.message());
            return false;
        }
        m_open = false;
        m_summary.categoriesCopied += m_pendingCategories;
        m_summary.contactsCopied += m_pendingContacts;
        m_pendingCategories = m_pendingContacts = 0;
        return true;
    }

    // Hands every source row up to lastId to handle, in ID order and in batches; false when
    // handle or a read stopped the import.
    bool forEachSourceRow(const CopyPlan &plan, qint64 lastId,
                          const std::function<bool(const SourceRow &)> &handle)
    {
        qint64 afterId = std::numeric_limits<qint64>::min();
        for (;;) {
            const QList<SourceRow> rows = readBatch(plan, afterId, lastId);
            if (stopped())
                return false;
            if (rows.isEmpty())
                return true;
            for (const SourceRow &row : rows) {
                // An ID that does not grow would be read again and again.
                if (row.id <= afterId) {
                    stop(QStringLiteral("数据表“%1”的编号不对").arg(plan.table));
                    return false;
                }
                afterId = row.id;
                if (!handle(row))
                    return false;
            }
        }
    }

    // The highest source ID before the walk starts: rows this run adds (also into the source
    // itself, when it is the target) are never read again. An empty table gives 0.
    bool lastSourceId(const QString &table, qint64 &lastId)
    {
        const auto highest
            = m_source.scalar(QStringLiteral("SELECT MAX(ID) FROM %1").arg(quoted(table)));
        if (!highest) {
            stop(highest.message());
            return false;
        }
        lastId = highest.value().toLongLong();
        return true;
    }

    // Reads the next batch of source rows after afterId, up to lastId.
    QList<SourceRow> readBatch(const CopyPlan &plan, qint64 afterId, qint64 lastId)
    {
        QList<SourceRow> rows;
        if (!commit())
            return rows;
        const int columns = int(plan.sourceColumns.size());
        const bool withCards = plan.withCards;
        Status read = m_source.select(plan.selectSql(), { afterId, lastId },
                                      [&rows, columns, withCards](const QSqlQuery &query) {
                                          SourceRow row;
                                          row.id = query.value(0).toLongLong();
                                          row.values.reserve(columns);
                                          for (int i = 1; i <= columns; ++i)
                                              row.values << query.value(i);
                                          if (withCards)
                                              row.card = query.value(columns + 1);
                                          rows << row;
                                      });
        if (!read) {
            stop(read.message());
            rows.clear();
        }
        return rows;
    }

    bool prepare(QSqlQuery &query, const QString &sql)
    {
        query.setForwardOnly(true);
        if (query.prepare(sql))
            return true;
        stop(SqlErrorText::describe(query.lastError()));
        return false;
    }

    // True when the target holds a row the lookup finds for these values. A failing lookup
    // stops the import rather than letting a duplicate in unasked.
    bool found(QSqlQuery &lookup, const QVariantList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            lookup.bindValue(i, values.at(i));
        if (!lookup.exec()) {
            stop(SqlErrorText::describe(lookup.lastError()));
            return true;
        }
        const bool hit = lookup.next();
        lookup.finish();
        return hit;
    }

    // Writes one row; a row the target refuses is counted and the import goes on. False when
    // the import cannot go on.
    bool write(const SourceRow &row, int &pending)
    {
        if (!begin())
            return false;
        for (int i = 0; i < row.values.size(); ++i)
            m_insert.bindValue(i, row.values.at(i));
        if (m_insert.exec()) {
            ++pending;
            const qint64 newId = m_insert.lastInsertId().toLongLong();
            return copyCard(row) && copyImages(row.id, newId);
        }
        const QString reason = SqlErrorText::describe(m_insert.lastError());
        m_insert.finish();
        if (sqlite3_get_autocommit(m_target.sqliteHandle())) {
            // The engine gave up the whole transaction (disk full, I/O error): nothing of it stays.
            m_open = false;
            m_pendingCategories = m_pendingContacts = 0;
            stop(reason);
            return false;
        }
        ++m_summary.rowsFailed;
        if (m_summary.firstFailure.isEmpty())
            m_summary.firstFailure = reason;
        return true;
    }

    // The contact's kept card goes with its row, under the row's new ID: a card is part of the
    // contact, so a card that cannot be written stops the import with the batch undone.
    bool copyCard(const SourceRow &row)
    {
        if (row.card.isNull())
            return true;
        m_insertCard.bindValue(0, m_insert.lastInsertId());
        m_insertCard.bindValue(1, row.card);
        if (m_insertCard.exec())
            return true;
        stop(SqlErrorText::describe(m_insertCard.lastError()));
        return false;
    }

    // When the source has a feature table of the contacts' own (kept cards, card pictures), the
    // target gets it before the first contact; copied says whether the source has it.
    bool prepareFeatureTable(const QString &table, bool &copied)
    {
        const auto kept = m_source.scalar(
            QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
            { table });
        if (!kept) {
            stop(kept.message());
            return false;
        }
        copied = kept.value().toInt() > 0;
        if (!copied)
            return true;
        if (!begin())
            return false;
        if (Status made = Schema::ensureFeatureTable(m_target, table); !made) {
            stop(made.message());
            return false;
        }
        return commit();
    }

    bool prepareCards(CopyPlan &plan)
    {
        if (!prepareFeatureTable(QStringLiteral("ContactCards"), plan.withCards))
            return false;
        return !plan.withCards
            || prepare(m_insertCard,
                       QStringLiteral(
                           "INSERT OR REPLACE INTO ContactCards (ContactID, Card) VALUES (?, ?)"));
    }

    // The paper card's pictures go with their contact as well.
    bool copyImages(qint64 sourceId, qint64 newId)
    {
        if (!m_withImages)
            return true;
        const auto images = m_source.records(
            QStringLiteral("SELECT Side, Format, Image FROM CardImages WHERE ContactID = ?"),
            { sourceId });
        if (!images) {
            stop(images.message());
            return false;
        }
        for (const QSqlRecord &image : images.value()) {
            const auto copied = m_target.execute(
                QStringLiteral("INSERT INTO CardImages (ContactID, Side, Format, Image) "
                               "VALUES (?, ?, ?, ?)"),
                { newId, image.value(0), image.value(1), image.value(2) });
            if (!copied) {
                stop(copied.message());
                return false;
            }
        }
        return true;
    }

    bool importCategories(const CopyPlan &plan)
    {
        qint64 lastId = 0;
        if (!lastSourceId(plan.table, lastId) || !prepare(m_insert, plan.insertSql())
            || !prepare(m_lookup,
                        QStringLiteral("SELECT 1 FROM ContactType WHERE Name IS NOT DISTINCT FROM "
                                       "? AND Type IS NOT DISTINCT FROM ?")))
            return false;
        const int name = plan.indexOf(QStringLiteral("Name"));
        const int kind = plan.indexOf(QStringLiteral("Type"));
        return forEachSourceRow(plan, lastId, [&](const SourceRow &row) {
            if (row.value(name).isNull() || found(m_lookup, { row.value(name), row.value(kind) }))
                return !stopped();
            return write(row, m_pendingCategories);
        });
    }

    static bool isReservedRow(const QVariant &firstName, const QVariant &lastName)
    {
        return ReservedRows::matches(firstName.toString(), lastName.toString());
    }

    // A family name may be Null: it then matches only a Null family name.
    bool isDuplicate(const QVariant &firstName, const QVariant &lastName)
    {
        const QString last = lastName.isNull() ? QStringLiteral("") : lastName.toString();
        if (found(m_lookup, { firstName, last }))
            return true;
        // A given name left empty may be stored as empty text or as Null.
        return last.isEmpty() && found(m_lookupNullName, { firstName });
    }

    Choice askAboutDuplicate(const QVariant &firstName, const QVariant &lastName)
    {
        if (!m_import.onDuplicate || !commit())
            return stopped() ? Choice::Stop : Choice::Skip;
        const Choice choice = m_import.onDuplicate(firstName.toString(), lastName.toString());
        if (choice == Choice::Stop)
            m_summary.cancelled = true;
        return choice;
    }

    // Copies one source contact; false when the import ends here.
    bool importContact(const SourceRow &row, int firstName, int lastName)
    {
        const QVariant first = row.value(firstName);
        if (isReservedRow(first, row.value(lastName))) {
            ++m_summary.reservedSkipped;
            return true;
        }
        if (isDuplicate(first, row.value(lastName))) {
            if (stopped())
                return false;
            switch (askAboutDuplicate(first, row.value(lastName))) {
            case Choice::Skip:
                ++m_summary.duplicatesSkipped;
                return true;
            case Choice::Stop:
                return false;
            case Choice::Copy:
                break;
            }
        }
        return write(row, m_pendingContacts);
    }

    void reportProgress(qint64 handled, qint64 total, int &lastPercent)
    {
        const int percent = int(handled * 100 / total);
        if (percent == lastPercent || !m_import.onProgress)
            return;
        lastPercent = percent;
        m_import.onProgress(percent);
    }

    bool importContacts(CopyPlan plan)
    {
        // Counted once: contacts this run adds (also into the source itself) are not read again.
        const auto extent
            = m_source.records(QStringLiteral("SELECT COUNT(*), MAX(ID) FROM Contacts"));
        if (!extent) {
            stop(extent.message());
            return false;
        }
        const qint64 total = extent.value().value(0).value(0).toLongLong();
        const qint64 lastId = extent.value().value(0).value(1).toLongLong();
        if (total == 0)
            return true;
        if (!prepareCards(plan) || !prepareFeatureTable(QStringLiteral("CardImages"), m_withImages)
            || !prepare(m_insert, plan.insertSql())
            || !prepare(m_lookup,
                        QStringLiteral("SELECT 1 FROM Contacts WHERE FirstName IS NOT DISTINCT "
                                       "FROM ? AND LastName IS NOT DISTINCT FROM ? LIMIT 1")))
            return false;
        if (!prepare(m_lookupNullName,
                     QStringLiteral("SELECT 1 FROM Contacts WHERE FirstName IS NOT DISTINCT FROM "
                                    "? AND LastName IS NULL LIMIT 1")))
            return false;
        const int firstName = plan.indexOf(QStringLiteral("FirstName"));
        const int lastName = plan.indexOf(QStringLiteral("LastName"));
        qint64 handled = 0;
        int lastPercent = -1;
        return forEachSourceRow(plan, lastId, [&](const SourceRow &row) {
            if (!importContact(row, firstName, lastName))
                return false;
            reportProgress(++handled, total, lastPercent);
            return !stopped();
        });
    }

    DataFileImport &m_import;
    Database &m_target;
    Database &m_source;
    QSqlQuery m_insert;
    QSqlQuery m_lookup;
    QSqlQuery m_lookupNullName;
    QSqlQuery m_insertCard;
    ImportSummary m_summary;
    bool m_open = false;
    bool m_withImages = false;
    int m_pendingCategories = 0;
    int m_pendingContacts = 0;
};

} // namespace

DataFileImport::DataFileImport(Database &target)
    : m_target(target)
{ }

Result<ImportSummary> DataFileImport::importFile(const QString &sourcePath)
{
    auto source = Database::open(sourcePath);
    if (!source)
        return source.status();
    return importFrom(*source.value());
}

Result<ImportSummary> DataFileImport::importFrom(Database &source)
{
    return ImportRun(*this, m_target, source).run();
}
