#include "ImportBatch.h"

#include "CardImport.h"
#include "ContactColumns.h"
#include "ImportMerge.h"
#include "cards/CardStore.h"
#include "data/Database.h"
#include "data/SqlErrorText.h"

#include <QSqlError>

namespace {

// Contacts between two reports of progress, and held before they are written.
constexpr int progressStep = 500;

} // namespace

ImportBatch::ImportBatch(Database &database, int total, const Progress &onProgress)
    : m_database(database)
    , m_total(total)
    , m_onProgress(onProgress)
{ }

Status ImportBatch::add(ContactRecord &&contact, QByteArray &&card)
{
    if (Status stepped = step(); !stepped)
        return stepped;
    m_contacts << std::move(contact);
    m_cards << std::move(card);
    return Status::success();
}

Status ImportBatch::merge(ContactRecord &&contact, QByteArray &&card)
{
    if (Status stepped = step(); !stepped)
        return stepped;
    m_merges << std::move(contact);
    m_mergeCards << std::move(card);
    return Status::success();
}

Result<int> ImportBatch::finish()
{
    if (Status flushed = flush(); !flushed)
        return flushed;
    return m_done;
}

// Reports progress and writes a full batch before the next contact joins.
Status ImportBatch::step()
{
    if (m_done % progressStep == 0) {
        if (m_onProgress && !m_onProgress(m_done, m_total))
            return Status::failure(QStringLiteral("导入已取消，数据库没有任何改变。"));
        if (Status flushed = flush(); !flushed)
            return flushed;
    }
    ++m_done;
    return Status::success();
}

Status ImportBatch::flush()
{
    if (Status inserted = insertAll(); !inserted)
        return inserted;
    return mergeAll();
}

Status ImportBatch::insertAll()
{
    if (m_contacts.isEmpty())
        return Status::success();
    if (Status groups = CardImport::addMissingGroups(m_database, m_contacts); !groups)
        return groups;
    if (!m_insert) {
        m_insert.emplace(m_database.connection());
        const QStringList marks(ContactColumns::count, QStringLiteral("?"));
        if (!m_insert->prepare(QStringLiteral("INSERT INTO Contacts (%1) VALUES (%2)")
                                   .arg(ContactColumns::list(), marks.join(QStringLiteral(", ")))))
            return Status::failure(SqlErrorText::describe(m_insert->lastError()));
    }
    QList<QPair<qint64, QByteArray>> kept;
    for (qsizetype i = 0; i < m_contacts.size(); ++i) {
        const QVariantList values = ContactColumns::values(m_contacts.at(i));
        for (int v = 0; v < values.size(); ++v)
            m_insert->bindValue(v, values.at(v));
        if (!m_insert->exec())
            return Status::failure(QStringLiteral("无法写入联系人“%1”，数据库没有任何改变。\n%2")
                                       .arg(m_contacts.at(i).displayName(),
                                            SqlErrorText::describe(m_insert->lastError())));
        if (!m_cards.at(i).isEmpty())
            kept.append({ m_insert->lastInsertId().toLongLong(), std::move(m_cards[i]) });
    }
    m_insert->finish();
    m_contacts.clear();
    m_cards.clear();
    return CardStore(m_database).keepAll(kept);
}

Status ImportBatch::mergeAll()
{
    if (m_merges.isEmpty())
        return Status::success();
    if (!m_byName) {
        auto byName = ImportMerge::contactsByName(m_database);
        if (!byName)
            return byName.status();
        m_byName = byName.takeValue();
    }
    for (qsizetype i = 0; i < m_merges.size(); ++i) {
        const ContactRecord &incoming = m_merges.at(i);
        const qint64 id
            = m_byName->value(ImportMerge::nameKey(incoming.firstName, incoming.lastName));
        if (id == 0)
            return Status::failure(
                QStringLiteral("数据文件中已没有联系人“%1”，数据库没有任何改变。")
                    .arg(incoming.displayName()));
        if (Status merged = ImportMerge::mergeInto(m_database, id, incoming, m_mergeCards.at(i));
            !merged)
            return merged;
    }
    m_merges.clear();
    m_mergeCards.clear();
    return Status::success();
}
