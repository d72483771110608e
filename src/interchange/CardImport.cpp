#include "CardImport.h"

#include "ImportBatch.h"
#include "ImportMerge.h"
#include "data/Database.h"
#include "data/Transaction.h"

#include <QDir>
#include <QIODevice>
#include <QSet>

namespace {

using Kind = CardImport::Kind;
using Choice = CardImport::Choice;

bool writes(Kind kind, Choice choice)
{
    return kind == Kind::Fresh || choice == Choice::All;
}

bool merges(Kind kind, Choice choice)
{
    return kind == Kind::SameName && choice == Choice::Merge;
}

Status changed(const CardFileReader::Source &source)
{
    return Status::failure(
        QStringLiteral("名片文件“%1”在读取之后被改动过，没有导入任何联系人。请重新导入这个文件。")
            .arg(QDir::toNativeSeparators(source.path)));
}

} // namespace

QString CardImport::Plan::summary() const
{
    QString text
        = QStringLiteral("新联系人：%1个\n与已有联系人同名：%2个\n").arg(fresh).arg(sameName);
    if (repeated > 0)
        text += QStringLiteral("在导入的文件中重复：%1个\n").arg(repeated);
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

qsizetype CardImport::Plan::count(Choice choice) const
{
    switch (choice) {
    case Choice::NewOnly:
        return fresh;
    case Choice::Merge:
        return fresh + sameName;
    case Choice::All:
        break;
    }
    return fresh + sameName + repeated;
}

CardImport::CardImport(Database &database)
    : m_database(database)
{ }

Result<CardImport::Plan> CardImport::plan(const CardFileReader::Source &source,
                                          const CardFileReader::Progress &onReading)
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
    plan.source = source;
    // Taken before the reading: a file changed while it is read is refused when written.
    const auto fingerprint = CardFileReader::fingerprint(source);
    if (!fingerprint)
        return fingerprint.status();
    plan.fingerprint = fingerprint.value();
    auto device = CardFileReader::open(source);
    if (!device)
        return device.status();
    // The names of this file, remembered by the import only once the whole file is read.
    QSet<QString> planned;
    const auto sink = [&](CardFileReader::Entry &&entry) {
        const QString key = ImportMerge::nameKey(entry.contact.firstName, entry.contact.lastName);
        const Kind kind = names.contains(key)                  ? Kind::SameName
            : m_planned.contains(key) || planned.contains(key) ? Kind::Repeated
                                                               : Kind::Fresh;
        plan.kinds << kind;
        ++(kind == Kind::Fresh          ? plan.fresh
               : kind == Kind::SameName ? plan.sameName
                                        : plan.repeated);
        planned.insert(key);
        return true;
    };
    auto outline
        = CardFileReader::stream(*device.value(), CardFileReader::Want::Rows, sink, onReading);
    if (!outline)
        return outline.status();
    plan.kinds.squeeze();
    plan.unreadable = std::move(outline.value().problems);
    plan.keptColumns = std::move(outline.value().keptColumns);
    plan.groups = std::move(outline.value().groups);
    if (m_planned.isEmpty())
        m_planned = std::move(planned);
    else
        m_planned.unite(planned);
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

Result<int> CardImport::write(const QList<Plan> &plans, Choice choice)
{
    qsizetype total = 0;
    for (const Plan &plan : plans)
        total += plan.count(choice);
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    ImportBatch batch(m_database, int(total), onProgress);
    for (const Plan &plan : plans) {
        if (Status written = writePlanned(plan, choice, batch); !written)
            return written;
    }
    return finished(batch, transaction);
}

Result<int> CardImport::write(const QList<ContactRecord> &contacts, const QList<QByteArray> &cards)
{
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    ImportBatch batch(m_database, int(contacts.size()), onProgress);
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        if (Status added = batch.add(ContactRecord(contacts.at(i)), cards.value(i)); !added)
            return added;
    }
    return finished(batch, transaction);
}

// The file read again: each contact takes the kind it was planned with, and one more or one
// fewer contact than planned means the file changed.
Status CardImport::writePlanned(const Plan &plan, Choice choice, ImportBatch &batch)
{
    if (plan.count(choice) == 0)
        return Status::success();
    const auto fingerprint = CardFileReader::fingerprint(plan.source);
    if (!fingerprint)
        return fingerprint.status();
    if (!(fingerprint.value() == plan.fingerprint))
        return changed(plan.source);
    auto device = CardFileReader::open(plan.source);
    if (!device)
        return device.status();
    Status written = Status::success();
    qsizetype at = 0;
    const auto sink = [&](CardFileReader::Entry &&entry) {
        if (at == plan.kinds.size()) {
            written = changed(plan.source);
            return false;
        }
        const Kind kind = plan.kinds.at(at++);
        if (writes(kind, choice))
            written = batch.add(std::move(entry.contact), std::move(entry.card));
        else if (merges(kind, choice))
            written = batch.merge(std::move(entry.contact), std::move(entry.card));
        return written.ok();
    };
    const auto read = CardFileReader::stream(*device.value(), CardFileReader::Want::RowsAndCards,
                                             sink, {}, plan.groups);
    if (!written)
        return written;
    if (!read)
        return read.status();
    return at == plan.kinds.size() ? Status::success() : changed(plan.source);
}

Result<int> CardImport::finished(ImportBatch &batch, Transaction &transaction)
{
    const auto done = batch.finish();
    if (!done)
        return done;
    if (Status committed = transaction.commit(); !committed)
        return committed;
    if (onProgress)
        onProgress(done.value(), done.value());
    return done;
}
