#include "ContactStore.h"

#include "ContactGroup.h"
#include "data/Database.h"
#include "data/ReservedRows.h"
#include "data/Transaction.h"
#include "shared/Blanks.h"

#include <QSqlQuery>
#include <QStringList>

namespace {

// The fields after ID, in the order every statement uses, and the captions a question names
// them by.
struct Field
{
    QString column;
    QString caption;
};

const QList<Field> &fields()
{
    static const QList<Field> all {
        { QStringLiteral("FirstName"), QStringLiteral("姓氏") },
        { QStringLiteral("LastName"), QStringLiteral("名字") },
        { QStringLiteral("Title"), QStringLiteral("职务") },
        { QStringLiteral("Type"), QStringLiteral("关系类别") },
        { QStringLiteral("CompanyName"), QStringLiteral("公司名称") },
        { QStringLiteral("Address1"), QStringLiteral("公司地址一") },
        { QStringLiteral("Address2"), QStringLiteral("公司地址二") },
        { QStringLiteral("Address3"), QStringLiteral("公司地址三") },
        { QStringLiteral("Postcode"), QStringLiteral("邮编") },
        { QStringLiteral("Data1"), QStringLiteral("联系方式一") },
        { QStringLiteral("Data2"), QStringLiteral("联系方式二") },
        { QStringLiteral("Data3"), QStringLiteral("联系方式三") },
        { QStringLiteral("Data4"), QStringLiteral("联系方式四") },
        { QStringLiteral("Combo1"), QStringLiteral("联系方式一的类别") },
        { QStringLiteral("Combo2"), QStringLiteral("联系方式二的类别") },
        { QStringLiteral("Combo3"), QStringLiteral("联系方式三的类别") },
        { QStringLiteral("Combo4"), QStringLiteral("联系方式四的类别") },
        { QStringLiteral("Email"), QStringLiteral("电子邮件") },
        { QStringLiteral("Website"), QStringLiteral("主页地址") },
        { QStringLiteral("Notes"), QStringLiteral("附加信息") },
    };
    return all;
}

const QStringList &fieldNames()
{
    static const QStringList names = [] {
        QStringList columns;
        for (const Field &field : fields())
            columns << field.column;
        return columns;
    }();
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

// The positions (in fieldNames()) where two records, as they would be stored, differ.
QList<int> differingFields(const ContactRecord &left, const ContactRecord &right)
{
    const ContactRecord one = asStored(left);
    const ContactRecord other = asStored(right);
    const auto old = fieldsOf(one);
    const auto now = fieldsOf(other);
    QList<int> differ;
    for (int i = 0; i < int(old.size()); ++i) {
        if (*old[i] != *now[i])
            differ << i;
    }
    return differ;
}

// The fields the edit changes.
QList<int> changedFields(const ContactStore::Edit &edit)
{
    return differingFields(edit.before, edit.after);
}

// Of the fields the edit changes, those another program has set to a third value since the
// editor loaded the row. A field both set to the same value is no conflict.
QList<int> conflictingFields(const ContactStore::Edit &edit, const QList<int> &changed,
                             const ContactRecord &current)
{
    const QList<int> sinceLoaded = differingFields(edit.before, current);
    const QList<int> fromMine = differingFields(edit.after, current);
    QList<int> conflicts;
    for (int i : changed) {
        if (sinceLoaded.contains(i) && fromMine.contains(i))
            conflicts << i;
    }
    return conflicts;
}

QString selectStatement()
{
    return QStringLiteral("SELECT ID, %1 FROM Contacts WHERE ID = ?")
        .arg(fieldNames().join(QStringLiteral(", ")));
}

// The file's own test for a group that is still empty (NULL or blanks).
const QString blankGroup
    = QStringLiteral("TRIM(COALESCE(Type, ''), '%1') = ''").arg(Blanks::sqlTrimSet());

ContactStore::SaveResult outcome(ContactStore::SaveOutcome outcome, const QString &message)
{
    return { outcome, message, 0, {} };
}

ContactStore::SaveResult saved(qint64 id)
{
    return { ContactStore::SaveOutcome::Saved, {}, id, {} };
}

ContactStore::SaveResult nameMissing()
{
    return outcome(ContactStore::SaveOutcome::NameMissing,
                   QStringLiteral("姓名为必填信息，请不要省略哦！"));
}

ContactStore::SaveResult rowMissing()
{
    return outcome(ContactStore::SaveOutcome::RowMissing,
                   QStringLiteral("该联系人已不在数据文件中（可能已被删除），修改无法保存。"));
}

ContactStore::SaveResult failed(const Status &status)
{
    return outcome(ContactStore::SaveOutcome::Failed, status.message());
}

Result<QVariant> firstNamed(Database &database, const ReservedRows::Name &name)
{
    return database.scalar(
        QStringLiteral(
            "SELECT ID FROM Contacts WHERE FirstName = ? AND LastName = ? ORDER BY ID LIMIT 1"),
        { name.firstName.toString(), name.lastName.toString() });
}

const ReservedRows::Name &placeholderName()
{
    return ReservedRows::names[0];
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

Result<ContactRecord> ContactStore::fresh()
{
    const auto placeholder = firstNamed(m_database, placeholderName());
    if (!placeholder)
        return placeholder.status();
    if (!placeholder.value().isNull()) {
        auto left = load(placeholder.value().toLongLong());
        if (left)
            left.value().id = 0;
        return left;
    }
    ContactRecord record;
    const auto templateId = firstNamed(m_database, ReservedRows::names[1]);
    if (!templateId)
        return templateId.status();
    if (templateId.value().isNull()) {
        record.labels = { QStringLiteral("电话"), QStringLiteral("手机"), QStringLiteral("传真"),
                          QStringLiteral("寻呼机") };
    } else {
        const auto model = load(templateId.value().toLongLong());
        if (!model)
            return model;
        record = model.value();
        record.id = 0;
        for (QString *field : fieldsOf(record))
            *field = ContactNames::trimBlanks(*field).toString();
    }
    record.firstName = placeholderName().firstName.toString();
    record.lastName = placeholderName().lastName.toString();
    return record;
}

bool ContactStore::Edit::hasChanges() const
{
    return !changedFields(*this).isEmpty();
}

ContactStore::SaveResult ContactStore::save(const Edit &edit, Conflicts conflicts)
{
    if (edit.namesRequired && !edit.after.hasName())
        return nameMissing();
    QList<int> changed = changedFields(edit);
    // Only the default group might go in, and a file that cannot be written keeps it shown.
    if (changed.isEmpty() && m_database.isReadOnly())
        return saved(edit.after.id);
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return failed(begun);
    if (!changed.isEmpty()) {
        const auto current = load(edit.after.id);
        if (!current)
            return rowMissing();
        const QList<int> conflicting = conflictingFields(edit, changed, current.value());
        if (!conflicting.isEmpty() && conflicts == Conflicts::Report) {
            SaveResult result = outcome(SaveOutcome::Conflict, {});
            for (int i : conflicting)
                result.conflicts << fields().at(i).caption;
            return result;
        }
        if (conflicts == Conflicts::KeepTheirs) {
            changed.removeIf([&](int i) { return conflicting.contains(i); });
            if (changed.isEmpty())
                return saved(edit.after.id);
        }
    }
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
        return failed(written.status());
    if (Status committed = transaction.commit(); !committed)
        return failed(committed);
    return saved(after.id);
}

ContactStore::SaveResult ContactStore::add(const ContactRecord &record)
{
    if (!record.hasName())
        return nameMissing();
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return failed(begun);
    // Claimed inside the write lock: a second program finds the row named already.
    const auto placeholder = firstNamed(m_database, placeholderName());
    if (!placeholder)
        return failed(placeholder.status());
    ContactRecord stored = asStored(record);
    QVariantList values;
    for (const QString *field : fieldsOf(stored))
        values << *field;
    Result<qint64> id = qint64(0);
    if (placeholder.value().isNull()) {
        id = m_database.insert(QStringLiteral("INSERT INTO Contacts (%1) VALUES (?%2)")
                                   .arg(fieldNames().join(QStringLiteral(", ")),
                                        QStringLiteral(", ?").repeated(fieldNames().size() - 1)),
                               values);
    } else {
        id = placeholder.value().toLongLong();
        values << id.value();
        const auto written
            = m_database.execute(QStringLiteral("UPDATE Contacts SET %1 = ? WHERE ID = ?")
                                     .arg(fieldNames().join(QStringLiteral(" = ?, "))),
                                 values);
        if (!written)
            id = written.status();
    }
    if (!id)
        return failed(id.status());
    if (Status committed = transaction.commit(); !committed)
        return failed(committed);
    return saved(id.value());
}
