#include "CardImport.h"

#include "ContactColumns.h"
#include "ImportMerge.h"
#include "cards/CardStore.h"
#include "data/Database.h"
#include "data/SqlErrorText.h"
#include "data/Transaction.h"

#include <QSet>
#include <QSqlError>

namespace {

constexpr int progressStep = 500;

} // namespace

QString CardImport::Plan::summary() const
{
    QString text = QStringLiteral("新联系人：%1个\n与已有联系人同名：%2个\n")
                       .arg(fresh.size())
                       .arg(sameName.size());
    if (!repeated.isEmpty())
        text += QStringLiteral("在导入的文件中重复：%1个\n").arg(repeated.size());
    text += QStringLiteral("无法读取：%1处").arg(unreadable.size());
    if (!keptColumns.isEmpty())
        text += QStringLiteral("\n另存在名片中的列：") + keptColumns.join(QStringLiteral("、"));
    if (unreadable.isEmpty())
        return text;
    QStringList lines;
    for (const ReadProblem &problem : unreadable) {
        if (lines.size() == 20) {
            lines << QStringLiteral("……");
            break;
        }
        lines << QStringLiteral("第%1行：%2").arg(problem.line).arg(problem.reason);
    }
    return text + u'\n' + lines.join(u'\n');
}

namespace {

// The lists one after another; a list alone is shared, not copied (a large file's contacts).
template<typename T>
QList<T> joined(const QList<T> &first, const QList<T> &second, const QList<T> &third)
{
    if (second.isEmpty() && third.isEmpty())
        return first;
    return first + second + third;
}

} // namespace

QList<ContactRecord> CardImport::Plan::chosen(Choice choice) const
{
    return choice == Choice::All ? joined(fresh, sameName, repeated) : fresh;
}

QList<QByteArray> CardImport::Plan::chosenCards(Choice choice) const
{
    return choice == Choice::All ? joined(freshCards, sameNameCards, repeatedCards) : freshCards;
}

QList<ContactRecord> CardImport::Plan::merged(Choice choice) const
{
    return choice == Choice::Merge ? sameName : QList<ContactRecord>();
}

QList<QByteArray> CardImport::Plan::mergedCards(Choice choice) const
{
    return choice == Choice::Merge ? sameNameCards : QList<QByteArray>();
}

CardImport::CardImport(Database &database)
    : m_database(database)
{ }

Result<CardImport::Plan> CardImport::plan(const CardFileReader::Contents &contents)
{
    return plan(CardFileReader::Contents(contents));
}

Result<CardImport::Plan> CardImport::plan(CardFileReader::Contents &&contents)
{
    QSet<QString> names;
    const Status read = m_database.select(
        QStringLiteral("SELECT FirstName, LastName FROM Contacts"), {},
        [&names](const QSqlQuery &row) {
            names.insert(ImportMerge::nameKey(row.value(0).toString(), row.value(1).toString()));
        });
    if (!read)
        return read;
    Plan plan;
    plan.unreadable = contents.problems;
    plan.keptColumns = contents.keptColumns;
    QList<ContactRecord> contacts = std::move(contents.contacts);
    QList<QByteArray> cards = std::move(contents.cards);
    cards.resize(contacts.size());
    // Each contact's kind first, so the usual file, all of it new, passes into the plan whole.
    enum Kind : quint8 { Fresh, SameName, Repeated };
    QList<Kind> kinds;
    kinds.reserve(contacts.size());
    for (const ContactRecord &contact : std::as_const(contacts)) {
        const QString key = ImportMerge::nameKey(contact.firstName, contact.lastName);
        kinds << (names.contains(key) ? SameName : m_planned.contains(key) ? Repeated : Fresh);
        m_planned.insert(key);
    }
    if (!kinds.contains(SameName) && !kinds.contains(Repeated)) {
        plan.fresh = std::move(contacts);
        plan.freshCards = std::move(cards);
        return plan;
    }
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        switch (kinds.at(i)) {
        case Fresh:
            plan.fresh << std::move(contacts[i]);
            plan.freshCards << std::move(cards[i]);
            break;
        case SameName:
            plan.sameName << std::move(contacts[i]);
            plan.sameNameCards << std::move(cards[i]);
            break;
        case Repeated:
            plan.repeated << std::move(contacts[i]);
            plan.repeatedCards << std::move(cards[i]);
            break;
        }
    }
    return plan;
}

Status CardImport::addMissingGroups(Database &database, const QList<ContactRecord> &contacts)
{
    QSet<QString> known;
    const Status read = database.select(
        QStringLiteral("SELECT Name FROM ContactType WHERE Type = 3"), {},
        [&known](const QSqlQuery &row) { known.insert(row.value(0).toString().toLower()); });
    if (!read)
        return read;
    auto last
        = database.scalar(QStringLiteral("SELECT MAX(Number) FROM ContactType WHERE Type = 3"));
    if (!last)
        return last.status();
    qint64 number = last.value().toLongLong();
    for (const ContactRecord &contact : contacts) {
        if (known.contains(contact.type.toLower()))
            continue;
        known.insert(contact.type.toLower());
        const auto added = database.insert(
            QStringLiteral("INSERT INTO ContactType (Name, Type, Number, Description) "
                           "VALUES (?, 3, ?, '')"),
            { contact.type, ++number });
        if (!added)
            return added.status();
    }
    return Status::success();
}

Result<int> CardImport::write(const QList<ContactRecord> &contacts, const QList<QByteArray> &cards,
                              const QList<ContactRecord> &merges,
                              const QList<QByteArray> &mergeCards)
{
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    if (Status groups = addMissingGroups(m_database, contacts); !groups)
        return groups;
    QSqlQuery insert(m_database.connection());
    QList<QPair<qint64, QByteArray>> kept;
    const QStringList marks(20, QStringLiteral("?"));
    if (!insert.prepare(QStringLiteral("INSERT INTO Contacts (%1) VALUES (%2)")
                            .arg(ContactColumns::list(), marks.join(QStringLiteral(", ")))))
        return Status::failure(SqlErrorText::describe(insert.lastError()));
    const int total = int(contacts.size());
    for (int i = 0; i < total; ++i) {
        if (i % progressStep == 0 && onProgress && !onProgress(i, total))
            return Status::failure(QStringLiteral("导入已取消，数据库没有任何改变。"));
        const QVariantList values = ContactColumns::values(contacts.at(i));
        for (int v = 0; v < values.size(); ++v)
            insert.bindValue(v, values.at(v));
        if (!insert.exec())
            return Status::failure(
                QStringLiteral("无法写入联系人“%1”，数据库没有任何改变。\n%2")
                    .arg(contacts.at(i).displayName(), SqlErrorText::describe(insert.lastError())));
        if (i < cards.size() && !cards.at(i).isEmpty())
            kept.append({ insert.lastInsertId().toLongLong(), cards.at(i) });
    }
    insert.finish();
    if (Status cardsKept = CardStore(m_database).keepAll(kept); !cardsKept)
        return cardsKept;
    const auto merged = ImportMerge::mergeAll(m_database, merges, mergeCards);
    if (!merged)
        return merged.status();
    if (Status committed = transaction.commit(); !committed)
        return committed;
    if (onProgress)
        onProgress(total, total);
    return total + merged.value();
}
