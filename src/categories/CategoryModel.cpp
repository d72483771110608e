#include "CategoryModel.h"

#include "CategoryKind.h"
#include "CategoryName.h"
#include "data/Database.h"
#include "data/Transaction.h"

namespace {

const QString selectColumns
    = QStringLiteral("SELECT ID, Name, Type, Number, Description FROM ContactType ");

Category categoryFrom(const QSqlQuery &row)
{
    return { row.value(0).toLongLong(), row.value(1).toString(), row.value(2).toInt(),
             row.value(3).toLongLong(), row.value(4).toString() };
}

Status nameMissing()
{
    return Status::failure(QStringLiteral("请输入该类别的名称！"));
}

CategoryModel::SaveResult failed(const QString &error)
{
    return { CategoryModel::SaveOutcome::Failed, {}, error };
}

bool isDense(const QList<Category> &rows)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).number != i + 1)
            return false;
    }
    return true;
}

} // namespace

CategoryModel::CategoryModel(Database &database)
    : m_database(database)
{ }

Result<QList<Category>> CategoryModel::categories(int kind)
{
    QList<Category> rows;
    const Status read
        = m_database.select(selectColumns + QStringLiteral("WHERE Type = ? ORDER BY Number, ID"),
                            { kind }, [&rows](const QSqlQuery &row) { rows << categoryFrom(row); });
    if (!read)
        return read;
    return rows;
}

Result<QList<Category>> CategoryModel::list(int kind)
{
    auto listed = categories(kind);
    if (!listed || isDense(listed.value()))
        return listed;
    // Only a list with gaps or ties is written, so a read-only file with a tidy list still lists.
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    listed = categories(kind);
    if (!listed)
        return listed;
    QList<Category> &rows = listed.value();
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).number == i + 1)
            continue;
        const auto written
            = m_database.execute(QStringLiteral("UPDATE ContactType SET Number = ? WHERE ID = ?"),
                                 { i + 1, rows.at(i).id });
        if (!written)
            return written.status();
        rows[i].number = i + 1;
    }
    if (Status committed = transaction.commit(); !committed)
        return committed;
    return listed;
}

Result<std::optional<Category>> CategoryModel::find(int kind, const QString &name)
{
    std::optional<Category> found;
    const Status read = m_database.select(
        selectColumns + QStringLiteral("WHERE Type = ? AND Name = ? ORDER BY ID"), { kind, name },
        [&found](const QSqlQuery &row) {
            if (!found)
                found = categoryFrom(row);
        });
    if (!read)
        return read;
    return found;
}

Result<bool> CategoryModel::isNameTaken(int kind, const QString &name, qint64 exceptId)
{
    const auto count = m_database.scalar(
        QStringLiteral("SELECT COUNT(*) FROM ContactType WHERE Type = ? AND Name = ? AND ID <> ?"),
        { kind, name, exceptId });
    if (!count)
        return count.status();
    return count.value().toLongLong() > 0;
}

Result<qint64> CategoryModel::add(int kind, const QString &name, const QString &description,
                                  qint64 number)
{
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    const auto existing = find(kind, CategoryName::clean(name));
    if (!existing)
        return existing.status();
    if (existing.value())
        return Status::failure(QStringLiteral("该类别已经存在，请重新输入！"));
    const auto added = insertRow(kind, name, description, number);
    if (!added)
        return added;
    if (Status committed = transaction.commit(); !committed)
        return committed;
    return added;
}

Status CategoryModel::update(qint64 id, const QString &name, const QString &description)
{
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    const auto kind
        = m_database.scalar(QStringLiteral("SELECT Type FROM ContactType WHERE ID = ?"), { id });
    if (!kind)
        return kind.status();
    const auto taken = isNameTaken(kind.value().toInt(), CategoryName::clean(name), id);
    if (!taken)
        return taken.status();
    if (taken.value())
        return Status::failure(QStringLiteral("该类别名称已经存在，请重新输入！"));
    if (Status updated = updateRow(id, name, description); !updated)
        return updated;
    return transaction.commit();
}

Status CategoryModel::remove(qint64 id)
{
    return m_database.execute(QStringLiteral("DELETE FROM ContactType WHERE ID = ?"), { id })
        .status();
}

Status CategoryModel::setNumber(int kind, const QString &name, qint64 number)
{
    return setNumbers(kind, { { name, number } });
}

Status CategoryModel::setNumbers(int kind, const QList<QPair<QString, qint64>> &numbers)
{
    QList<QVariantList> rows;
    for (const auto &[name, number] : numbers)
        rows << QVariantList { number, kind, name };
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    // Names are unique within a kind only, so the kind picks the row.
    const Status written = m_database.executeEach(
        QStringLiteral("UPDATE ContactType SET Number = ? WHERE ID = "
                       "(SELECT MIN(ID) FROM ContactType WHERE Type = ? AND Name = ?)"),
        rows);
    if (!written)
        return written;
    return transaction.commit();
}

CategoryModel::SaveResult CategoryModel::save(const SaveRequest &request)
{
    const QString name = CategoryName::clean(request.typedName);
    if (!CategoryName::isEntered(name))
        return { SaveOutcome::NameMissing, {}, {} };
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return failed(begun.message());
    SaveResult result = saveWithin(request, name);
    if (result.outcome == SaveOutcome::Saved) {
        if (Status committed = transaction.commit(); !committed)
            return failed(committed.message());
    }
    return result;
}

CategoryModel::SaveResult CategoryModel::saveWithin(const SaveRequest &request, const QString &name)
{
    if (!request.editing)
        return saveAsNew(request, name);
    const auto current = find(request.kind, request.currentName);
    if (!current)
        return failed(current.message());
    if (!current.value())
        return saveAsNew(request, name);
    const qint64 id = current.value()->id;
    const auto taken = isNameTaken(request.kind, name, id);
    if (!taken)
        return failed(taken.message());
    if (taken.value())
        return { SaveOutcome::NameTaken, {}, {} };
    if (Status updated = updateRow(id, name, request.description); !updated)
        return failed(updated.message());
    return { SaveOutcome::Saved, name, {} };
}

CategoryModel::SaveResult CategoryModel::saveAsNew(const SaveRequest &request, const QString &name)
{
    const auto existing = find(request.kind, name);
    if (!existing)
        return failed(existing.message());
    if (existing.value())
        return { SaveOutcome::AlreadyExists, {}, {} };
    const auto added = insertRow(request.kind, name, request.description, request.listedCount + 1);
    if (!added)
        return failed(added.message());
    return { SaveOutcome::Saved, name, {} };
}

Result<qint64> CategoryModel::insertRow(int kind, const QString &name, const QString &description,
                                        qint64 number)
{
    const QString stored = CategoryName::clean(name);
    if (!CategoryName::isEntered(stored))
        return nameMissing();
    return m_database.insert(
        QStringLiteral(
            "INSERT INTO ContactType (Name, Type, Number, Description) VALUES (?, ?, ?, ?)"),
        { stored, kind, number, description });
}

Status CategoryModel::updateRow(qint64 id, const QString &name, const QString &description)
{
    const QString stored = CategoryName::clean(name);
    if (!CategoryName::isEntered(stored))
        return nameMissing();
    const auto rows = m_database.records(
        QStringLiteral("SELECT Name, Type FROM ContactType WHERE ID = ?"), { id });
    if (!rows)
        return rows.status();
    if (rows.value().isEmpty())
        return Status::failure(QStringLiteral("未找到您所编辑的类别哦！"));
    const QString oldName = rows.value().first().value(0).toString().trimmed();
    const int kind = rows.value().first().value(1).toInt();
    const auto written = m_database.execute(
        QStringLiteral("UPDATE ContactType SET Name = ?, Description = ? WHERE ID = ?"),
        { stored, description, id });
    if (!written)
        return written.status();
    // Only a contact's Type field names a category, and it names a relationship group; titles and
    // number labels are copies that a rename leaves alone.
    if (kind != CategoryKind::RelationshipGroup || oldName == stored)
        return Status::success();
    return m_database
        .execute(QStringLiteral("UPDATE Contacts SET Type = ? WHERE Type = ?"), { stored, oldName })
        .status();
}
