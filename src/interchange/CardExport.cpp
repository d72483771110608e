#include "CardExport.h"

#include "CardEncoder.h"
#include "ContactColumns.h"
#include "cards/CardStore.h"
#include "contacts/ContactNames.h"
#include "data/Database.h"
#include "data/ReservedRows.h"

#include <QDir>
#include <QSaveFile>

namespace {

constexpr int progressStep = 500;

QString reservedFilter()
{
    return QStringLiteral(" NOT (%1)").arg(ReservedRows::sqlTest());
}

} // namespace

CardExport::CardExport(Database &database, Scope scope, CardFormat format)
    : m_database(database)
    , m_scope(std::move(scope))
    , m_format(format)
{ }

Result<int> CardExport::count()
{
    if (m_scope.kind == Scope::Kind::Rows)
        return int(m_scope.ids.size());
    const bool group = m_scope.kind == Scope::Kind::Group;
    auto counted
        = m_database.scalar(QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE") + reservedFilter()
                                + (group ? QStringLiteral(" AND Type = ?") : QString()),
                            group ? QVariantList { m_scope.group } : QVariantList {});
    if (!counted)
        return counted.status();
    return counted.value().toInt();
}

Result<int> CardExport::writeTo(QIODevice &device)
{
    const auto total = count();
    if (!total)
        return total.status();
    const auto kept = CardStore::keptJoin(m_database);
    if (!kept)
        return kept.status();
    const QString select = QStringLiteral("SELECT %1, %2 FROM Contacts%3 WHERE")
                               .arg(ContactColumns::list(), kept.value().column, kept.value().join)
        + reservedFilter();
    CardEncoder encoder(m_format, device);
    int done = 0;
    bool going = true;
    bool cancelled = false;
    const auto take = [&](const TextRow &row) {
        if (!going)
            return;
        if (done % progressStep == 0 && onProgress && !onProgress(done, total.value())) {
            going = false;
            cancelled = true;
            return;
        }
        going = encoder.add(row);
        ++done;
    };
    Status read = Status::success();
    switch (m_scope.kind) {
    case Scope::Kind::All:
        read = m_database.selectText(select + QStringLiteral(" ORDER BY ID"), {}, take);
        break;
    case Scope::Kind::Group:
        read = m_database.selectText(select + QStringLiteral(" AND Type = ? ORDER BY ID"),
                                     { m_scope.group }, take);
        break;
    case Scope::Kind::Rows:
        for (const qint64 id : std::as_const(m_scope.ids)) {
            read = m_database.selectText(select + QStringLiteral(" AND ID = ?"), { id }, take);
            if (!read || !going)
                break;
        }
        break;
    }
    if (!read)
        return read;
    if (cancelled)
        return Status::failure(QStringLiteral("导出已取消。"));
    if (!going || !encoder.finish())
        return Status::failure(QStringLiteral("无法写入，联系人没有导出。\n")
                               + device.errorString());
    if (onProgress)
        onProgress(done, total.value());
    return done;
}

Result<int> CardExport::writeFile(const QString &path)
{
    const auto failed = [&path](const QString &reason) {
        return Status::failure(QStringLiteral("无法写入文件“%1”，联系人没有导出。\n%2")
                                   .arg(QDir::toNativeSeparators(path), reason));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    const auto written = writeTo(file);
    if (!written) {
        file.cancelWriting();
        return written;
    }
    if (!file.commit())
        return failed(file.errorString());
    return written;
}
