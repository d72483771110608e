#include "ContactStore.h"

#include "ContactGroup.h"
#include "data/Database.h"

#include <QSqlQuery>
#include <QStringList>

namespace {

// The fields after ID, in the order both statements use.
const QStringList &fieldNames()
{
    static const QStringList names {
        QStringLiteral("FirstName"), QStringLiteral("LastName"),    QStringLiteral("Title"),
        QStringLiteral("Type"),      QStringLiteral("CompanyName"), QStringLiteral("Address1"),
        QStringLiteral("Address2"),  QStringLiteral("Address3"),    QStringLiteral("Postcode"),
        QStringLiteral("Data1"),     QStringLiteral("Data2"),       QStringLiteral("Data3"),
        QStringLiteral("Data4"),     QStringLiteral("Combo1"),      QStringLiteral("Combo2"),
        QStringLiteral("Combo3"),    QStringLiteral("Combo4"),      QStringLiteral("Email"),
        QStringLiteral("Website"),   QStringLiteral("Notes"),
    };
    return names;
}

// The record's fields in the order of fieldNames().
template<typename Record> auto fieldsOf(Record &record)
{
    auto &n = record.numbers;
    auto &l = record.labels;
    return std::array { &record.firstName,
                        &record.lastName,
                        &record.title,
                        &record.type,
                        &record.companyName,
                        &record.address1,
                        &record.address2,
                        &record.address3,
                        &record.postcode,
                        &n[0],
                        &n[1],
                        &n[2],
                        &n[3],
                        &l[0],
                        &l[1],
                        &l[2],
                        &l[3],
                        &record.email,
                        &record.website,
                        &record.notes };
}

// As the row would be stored: names without outer blanks, the group by the group box's rule.
ContactRecord asStored(const ContactRecord &record)
{
    ContactRecord stored = record;
    stored.firstName = ContactNames::trimBlanks(record.firstName).toString();
    stored.lastName = ContactNames::trimBlanks(record.lastName).toString();
    stored.type = ContactGroup::clean(record.type);
    return stored;
}

// The positions (in fieldNames()) of the fields the edit changes.
QList<int> changedFields(const ContactStore::Edit &edit)
{
    const ContactRecord before = asStored(edit.before);
    const ContactRecord after = asStored(edit.after);
    const auto old = fieldsOf(before);
    const auto now = fieldsOf(after);
    QList<int> changed;
    for (int i = 0; i < int(old.size()); ++i) {
        if (*old[i] != *now[i])
            changed << i;
    }
    return changed;
}

QString selectStatement()
{
    return QStringLiteral("SELECT ID, %1 FROM Contacts WHERE ID = ?")
        .arg(fieldNames().join(QStringLiteral(", ")));
}

// The file's own test for a group that is still empty (NULL or blanks).
const QString blankGroup = QStringLiteral("TRIM(COALESCE(Type, ''), ' ') = ''");

ContactStore::SaveResult outcome(ContactStore::SaveOutcome outcome, const QString &message)
{
    return { outcome, message };
}

} // namespace

ContactStore::ContactStore(Database &database)
    : m_database(database)
{ }

Result<ContactRecord> ContactStore::load(qint64 id)
{
    ContactRecord record;
    bool found = false;
    const Status read = m_database.select(selectStatement(), { id }, [&](const QSqlQuery &row) {
        found = true;
        record.id = row.value(0).toLongLong();
        const auto fields = fieldsOf(record);
        for (int i = 0; i < int(fields.size()); ++i)
            *fields[i] = row.value(i + 1).toString();
    });
    if (!read)
        return read;
    if (!found)
        return Status::failure(
            QStringLiteral("没有找到该联系人的详细信息记录哦，请确认数据库是否被损坏！"));
    return record;
}

bool ContactStore::Edit::hasChanges() const
{
    return !changedFields(*this).isEmpty();
}

ContactStore::SaveResult ContactStore::save(const Edit &edit)
{
    if (!edit.after.hasName())
        return outcome(SaveOutcome::NameMissing, QStringLiteral("姓名为必填信息，请不要省略哦！"));
    const QList<int> changed = changedFields(edit);
    const ContactRecord after = asStored(edit.after);
    const auto now = fieldsOf(after);
    QStringList assignments;
    QVariantList values;
    for (int i : changed) {
        assignments << fieldNames().at(i) + QStringLiteral(" = ?");
        values << *now[i];
    }
    QString condition = QStringLiteral("ID = ?");
    const int typeField = int(fieldNames().indexOf(QStringLiteral("Type")));
    if (!changed.contains(typeField)) {
        // The group shown may be the default standing in for an empty one; it goes only where
        // the file's group is still empty, so a regrouping made meanwhile stays.
        if (changed.isEmpty()) {
            assignments << QStringLiteral("Type = ?");
            condition += QStringLiteral(" AND ") + blankGroup;
        } else {
            assignments
                << QStringLiteral("Type = CASE WHEN %1 THEN ? ELSE Type END").arg(blankGroup);
        }
        values << ContactGroup::defaultName();
    }
    values << after.id;
    const auto written
        = m_database.execute(QStringLiteral("UPDATE Contacts SET %1 WHERE %2")
                                 .arg(assignments.join(QStringLiteral(", ")), condition),
                             values);
    if (!written)
        return outcome(SaveOutcome::Failed, written.message());
    if (!changed.isEmpty() && written.value() == 0)
        return outcome(SaveOutcome::RowMissing,
                       QStringLiteral("该联系人已不在数据文件中（可能已被删除），修改无法保存。"));
    return outcome(SaveOutcome::Saved, {});
}
