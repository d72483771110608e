#include "CardExport.h"

#include "ContactColumns.h"
#include "CsvColumns.h"
#include "CsvWriter.h"
#include "cards/CardStore.h"
#include "cards/CardWriter.h"
#include "contacts/ContactNames.h"
#include "data/Database.h"
#include "data/ReservedRows.h"

#include <QDir>
#include <QSaveFile>
#include <QStringEncoder>

namespace {

constexpr int progressStep = 500;
// Bytes gathered before they are handed to the device.
constexpr qsizetype pieceSize = 256 * 1024;

class Encoder
{
public:
    Encoder(CardFormat format, QIODevice &device)
        : m_format(format)
        , m_device(device)
        , m_gb18030("GB18030")
    { }

    bool start()
    {
        if (m_format == CardFormat::CsvUtf8)
            m_buffer += "\xEF\xBB\xBF"; // Excel reads UTF-8 only after a byte-order mark.
        if (CardFormats::isCsv(m_format))
            addText(CsvWriter::line(CsvColumns::captions()));
        return true;
    }

    // kept: the contact's kept card, empty when it has none.
    bool add(const ContactRecord &contact, QByteArrayView kept)
    {
        if (CardFormats::isCsv(m_format))
            addText(CsvWriter::line(CsvColumns::fieldsOf(contact)));
        else
            CardWriter::append(m_buffer, CardStore::cardFor(contact, kept), version());
        return m_buffer.size() < pieceSize || flush();
    }

    bool flush()
    {
        const bool written = m_device.write(m_buffer) == m_buffer.size();
        m_buffer.clear();
        return written;
    }

private:
    CardVersion version() const
    {
        return m_format == CardFormat::VCard21 ? CardVersion::V21
            : m_format == CardFormat::VCard40  ? CardVersion::V40
                                               : CardVersion::V30;
    }

    void addText(const QString &text)
    {
        m_buffer += m_format == CardFormat::CsvGb18030 ? QByteArray(m_gb18030.encode(text))
                                                       : text.toUtf8();
    }

    CardFormat m_format;
    QIODevice &m_device;
    QStringEncoder m_gb18030;
    QByteArray m_buffer;
};

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
    const int keptColumn = int(ContactColumns::list().count(u',')) + 1;
    const QString select = QStringLiteral("SELECT %1, %2 FROM Contacts%3 WHERE")
                               .arg(ContactColumns::list(), kept.value().column, kept.value().join)
        + reservedFilter();
    Encoder encoder(m_format, device);
    encoder.start();
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
        going = encoder.add(ContactColumns::fromText(row), row.text(keptColumn));
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
    if (!going || !encoder.flush())
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
