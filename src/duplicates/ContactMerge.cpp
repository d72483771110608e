#include "ContactMerge.h"

#include "MergeFields.h"
#include "cards/CardProjection.h"
#include "cards/CardStore.h"
#include "cards/CardUnion.h"
#include "contacts/ContactStore.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/Transaction.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace {

const QString undoTable = QStringLiteral("MergeUndo");
const QString undoCardsTable = QStringLiteral("MergeUndoCards");

// What a row of the undo record was.
enum Role { KeptBefore = 0, KeptAfter = 1, Removed = 2 };

QString contactFields()
{
    return Schema::findTable(QStringLiteral("Contacts"))->columns.mid(1).join(QStringLiteral(", "));
}

Status snapshot(Database &database, qint64 mergeId, Role role, qint64 contactId)
{
    const QString fields = contactFields();
    const auto copied
        = database.execute(QStringLiteral("INSERT INTO MergeUndo (MergeID, Role, ContactID, %1) "
                                          "SELECT ?, ?, ID, %1 FROM Contacts WHERE ID = ?")
                               .arg(fields),
                           { mergeId, int(role), contactId });
    return copied ? Status::success() : copied.status();
}

// Every row must still be as the user saw it when choosing the values.
Status checkUnchanged(Database &database, const QList<ContactRecord> &contacts)
{
    ContactStore store(database);
    for (const ContactRecord &contact : contacts) {
        const auto now = store.load(contact.id);
        if (!now)
            return Status::failure(QStringLiteral("联系人[%1]已不在数据文件中，没有合并。")
                                       .arg(contact.displayName()));
        if (!MergeFields::sameRecord(now.value(), contact))
            return Status::failure(
                QStringLiteral("联系人[%1]在查找之后被修改过，没有合并。请重新查找后再合并。")
                    .arg(contact.displayName()));
    }
    return Status::success();
}

Result<QVariantList> rowValues(Database &database, const QString &sql, const QVariantList &keys)
{
    const auto rows = database.records(sql, keys);
    if (!rows)
        return rows.status();
    if (rows.value().isEmpty())
        return QVariantList();
    const QSqlRecord &row = rows.value().first();
    QVariantList values;
    for (int i = 0; i < row.count(); ++i)
        values << row.value(i);
    return values;
}

Result<QVariantList> undoRow(Database &database, qint64 mergeId, Role role)
{
    return rowValues(database,
                     QStringLiteral("SELECT ContactID, %1 FROM MergeUndo WHERE MergeID = ? AND "
                                    "Role = ?")
                         .arg(contactFields()),
                     { mergeId, int(role) });
}

// Nothing may have touched the merged rows since: the kept row as the merge left it, the deleted
// IDs still free.
Status checkUndoable(Database &database, qint64 mergeId, const QVariantList &after)
{
    const QString name = (after.value(1).toString().trimmed() + QLatin1Char(' ')
                          + after.value(2).toString().trimmed());
    const auto now = rowValues(
        database, QStringLiteral("SELECT ID, %1 FROM Contacts WHERE ID = ?").arg(contactFields()),
        { after.first() });
    if (!now)
        return now.status();
    if (now.value().isEmpty())
        return Status::failure(
            QStringLiteral("无法撤销上次合并：合并后的联系人[%1]已被删除。").arg(name));
    if (now.value() != after)
        return Status::failure(
            QStringLiteral("无法撤销上次合并：合并后联系人[%1]又被修改过，撤销会丢掉这些修改。")
                .arg(name));
    const auto taken = database.scalar(
        QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE ID IN "
                       "(SELECT ContactID FROM MergeUndo WHERE MergeID = ? AND Role = ?)"),
        { mergeId, int(Removed) });
    if (!taken)
        return taken.status();
    if (taken.value().toInt() > 0)
        return Status::failure(
            QStringLiteral("无法撤销上次合并：被合并的联系人的编号已被其他联系人使用。"));
    return Status::success();
}

// Each merged contact's kept card as it was before the merge.
Status recordCards(Database &database, qint64 mergeId, const QList<ContactRecord> &contacts)
{
    if (Status made = Schema::ensureFeatureTable(database, undoCardsTable); !made)
        return made;
    CardStore store(database);
    for (const ContactRecord &contact : contacts) {
        const auto kept = store.keptBytes(contact.id);
        if (!kept)
            return kept.status();
        const auto recorded = database.execute(
            QStringLiteral(
                "INSERT INTO MergeUndoCards (MergeID, ContactID, Card) VALUES (?, ?, ?)"),
            { mergeId, contact.id,
              kept.value().isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray))
                                     : QVariant(kept.value()) });
        if (!recorded)
            return recorded.status();
    }
    return Status::success();
}

Status restoreCards(Database &database, qint64 mergeId)
{
    if (Status made = Schema::ensureFeatureTable(database, undoCardsTable); !made)
        return made;
    const auto rows = database.records(
        QStringLiteral("SELECT ContactID, Card FROM MergeUndoCards WHERE MergeID = ?"),
        { mergeId });
    if (!rows)
        return rows.status();
    CardStore store(database);
    for (const QSqlRecord &row : rows.value()) {
        const qint64 contactId = row.value(0).toLongLong();
        const QByteArray card = row.value(1).toByteArray();
        const Status put
            = card.isEmpty() ? store.forget(contactId) : store.keepBytes(contactId, card);
        if (!put)
            return put;
    }
    const auto removed = database.execute(
        QStringLiteral("DELETE FROM MergeUndoCards WHERE MergeID = ?"), { mergeId });
    return removed ? Status::success() : removed.status();
}

Status restore(Database &database, qint64 mergeId, const QVariantList &before)
{
    const QStringList fields = Schema::findTable(QStringLiteral("Contacts"))->columns.mid(1);
    QVariantList values = before.mid(1);
    values << before.first();
    auto written = database.execute(QStringLiteral("UPDATE Contacts SET %1 = ? WHERE ID = ?")
                                        .arg(fields.join(QStringLiteral(" = ?, "))),
                                    values);
    if (written)
        written = database.execute(
            QStringLiteral("INSERT INTO Contacts (ID, %1) SELECT ContactID, %1 FROM MergeUndo "
                           "WHERE MergeID = ? AND Role = ?")
                .arg(fields.join(QStringLiteral(", "))),
            { mergeId, int(Removed) });
    if (written)
        written = database.execute(QStringLiteral("DELETE FROM MergeUndo WHERE MergeID = ?"),
                                   { mergeId });
    if (!written)
        return written.status();
    return restoreCards(database, mergeId);
}

// A merge that can no longer be taken back is forgotten, so the one before it can be: the
// refusal says so.
Status forget(Database &database, Transaction &transaction, qint64 mergeId, const Status &refusal)
{
    const auto dropped
        = database.execute(QStringLiteral("DELETE FROM MergeUndo WHERE MergeID = ?"), { mergeId });
    if (!dropped)
        return refusal;
    if (Status committed = transaction.commit(); !committed)
        return refusal;
    return Status::failure(refusal.message()
                           + QStringLiteral("\n这次合并已不能撤销，它的撤销记录已删除；"
                                            "更早的合并仍可撤销。"));
}

Result<QVariant> lastMergeId(Database &database)
{
    const auto present = database.scalar(
        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
        { undoTable });
    if (!present)
        return present.status();
    if (present.value().toInt() == 0)
        return QVariant();
    return database.scalar(QStringLiteral("SELECT MAX(MergeID) FROM MergeUndo"));
}

// The kept contact's card becomes the union of all the merged cards; its row shows it.
Result<Card> unitedCard(Database &database, const QList<ContactRecord> &contacts,
                        const ContactRecord &kept)
{
    CardStore store(database);
    QList<Card> cards;
    for (const ContactRecord &contact : contacts) {
        auto card = store.cardOf(contact);
        if (!card)
            return card.status();
        cards << card.takeValue();
    }
    return CardUnion::unite(cards, kept);
}

// The row of the united card, its numbers in the boxes the chosen ones were in and the others
// in the empty boxes after them, so the order of the numbers stays the card's.
ContactRecord shownRow(const Card &united, const ContactRecord &chosen)
{
    ContactRecord row = CardProjection::project(united);
    row.id = chosen.id;
    QList<int> boxes;
    for (int i = 0; i < 4; ++i) {
        if (!chosen.numbers[i].trimmed().isEmpty())
            boxes << i;
    }
    for (int i = boxes.isEmpty() ? 0 : boxes.last() + 1; i < 4; ++i)
        boxes << i;
    int filled = 0;
    while (filled < 4 && !row.numbers[filled].isEmpty())
        ++filled;
    if (boxes.size() < filled)
        return row;
    const auto numbers = row.numbers;
    const auto labels = row.labels;
    row.numbers = {};
    row.labels = {};
    for (int i = 0; i < filled; ++i) {
        row.numbers[boxes.at(i)] = numbers[i];
        row.labels[boxes.at(i)] = labels[i];
    }
    return row;
}

Status writeMerge(Database &database, const QList<ContactRecord> &contacts,
                  const ContactRecord &chosen)
{
    if (Status made = Schema::ensureFeatureTable(database, undoTable); !made)
        return made;
    const auto last = database.scalar(QStringLiteral("SELECT MAX(MergeID) FROM MergeUndo"));
    if (!last)
        return last.status();
    const qint64 mergeId = last.value().toLongLong() + 1;
    const auto united = unitedCard(database, contacts, chosen);
    if (!united)
        return united.status();
    const ContactRecord kept = shownRow(united.value(), chosen);
    Status status = recordCards(database, mergeId, contacts);
    if (status)
        status = snapshot(database, mergeId, KeptBefore, kept.id);
    for (int i = 1; status && i < contacts.size(); ++i)
        status = snapshot(database, mergeId, Removed, contacts.at(i).id);
    if (!status)
        return status;
    // The view read the rows it shows; only the fields the merge chose differently are written.
    const auto saved = ContactStore(database).save({ contacts.first(), kept, false });
    if (!saved.ok())
        return Status::failure(saved.message);
    CardStore store(database);
    for (int i = 1; status && i < contacts.size(); ++i) {
        const auto removed = database.execute(QStringLiteral("DELETE FROM Contacts WHERE ID = ?"),
                                              { contacts.at(i).id });
        status = removed ? store.forget(contacts.at(i).id) : removed.status();
    }
    if (status)
        status = store.keep(kept.id, united.value());
    if (status)
        status = snapshot(database, mergeId, KeptAfter, kept.id);
    return status;
}

} // namespace

namespace ContactMerge {

QList<int> defaultChoices(const QList<ContactRecord> &contacts)
{
    QList<int> choices;
    for (int field = 0; field < MergeFields::count(); ++field) {
        int chosen = 0;
        while (chosen < contacts.size() && MergeFields::isEmpty(contacts.at(chosen), field))
            ++chosen;
        choices << (chosen < contacts.size() ? chosen : 0);
    }
    return choices;
}

ContactRecord combine(const QList<ContactRecord> &contacts, const QList<int> &choices)
{
    ContactRecord kept = contacts.first();
    for (int field = 0; field < MergeFields::count(); ++field)
        MergeFields::copy(contacts.at(choices.value(field)), kept, field);
    return kept;
}

Result<qint64> merge(Database &database, const QList<ContactRecord> &contacts,
                     const QList<int> &choices)
{
    if (contacts.size() < 2)
        return Status::failure(QStringLiteral("请至少选择两个联系人进行合并。"));
    Transaction transaction(database);
    Status status = transaction.begin();
    if (status)
        status = checkUnchanged(database, contacts);
    const ContactRecord kept = combine(contacts, choices);
    if (status)
        status = writeMerge(database, contacts, kept);
    if (status)
        status = transaction.commit();
    if (!status)
        return status;
    return kept.id;
}

Result<QList<qint64>> lastMergeContacts(Database &database)
{
    const auto last = lastMergeId(database);
    if (!last)
        return last.status();
    QList<qint64> ids;
    if (last.value().isNull())
        return ids;
    const Status read = database.select(
        QStringLiteral("SELECT ContactID FROM MergeUndo WHERE MergeID = ? AND Role <> ? "
                       "ORDER BY Role, ContactID"),
        { last.value(), int(KeptAfter) },
        [&ids](const QSqlQuery &row) { ids << row.value(0).toLongLong(); });
    if (!read)
        return read;
    return ids;
}

Result<bool> canUndo(Database &database)
{
    const auto last = lastMergeId(database);
    if (!last)
        return last.status();
    return !last.value().isNull();
}

Result<qint64> undoLast(Database &database)
{
    Transaction transaction(database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    const auto last = lastMergeId(database);
    if (!last)
        return last.status();
    if (last.value().isNull())
        return Status::failure(QStringLiteral("没有可以撤销的合并。"));
    const qint64 mergeId = last.value().toLongLong();
    const auto before = undoRow(database, mergeId, KeptBefore);
    const auto after = undoRow(database, mergeId, KeptAfter);
    if (!before || !after)
        return !before ? before.status() : after.status();
    Status status = before.value().isEmpty() || after.value().isEmpty()
        ? Status::failure(QStringLiteral("合并记录不完整，无法撤销。"))
        : checkUndoable(database, mergeId, after.value());
    if (!status)
        return forget(database, transaction, mergeId, status);
    status = restore(database, mergeId, before.value());
    if (status)
        status = transaction.commit();
    if (!status)
        return status;
    return before.value().first().toLongLong();
}

} // namespace ContactMerge
