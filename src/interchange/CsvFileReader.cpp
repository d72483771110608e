#include "CsvFileReader.h"

#include "CsvColumns.h"
#include "CsvReader.h"
#include "cards/TextEncoding.h"

#include <QBuffer>
#include <QSet>
#include <QStringDecoder>

namespace {

constexpr qint64 chunkSize = 1024 * 1024;
constexpr int progressStep = 1000;

Status cancelled()
{
    return Status::failure(QStringLiteral("已取消，没有导入任何联系人。"));
}

// Reads the device through to its end; the position is where it was before.
Result<bool> isWholeUtf8(QIODevice &device, const CardFileReader::Progress &onProgress,
                         qint64 total)
{
    const qint64 start = device.pos();
    QStringDecoder decoder(QStringConverter::Utf8);
    bool valid = true;
    while (valid) {
        const QByteArray chunk = device.read(chunkSize);
        if (chunk.isEmpty())
            break;
        const QString text = decoder.decode(chunk);
        valid = !decoder.hasError();
        if (onProgress && !onProgress(device.pos(), total))
            return cancelled();
    }
    device.seek(start);
    return valid;
}

bool accept(const ContactRecord &contact, QString &reason)
{
    if (!ContactNames::isReserved(contact.firstName, contact.lastName))
        return true;
    reason = QStringLiteral("“%1”是程序保留的名字").arg(contact.displayName());
    return false;
}

class RecordsReader
{
public:
    RecordsReader(QIODevice &device, const char *encoding, const CardFileReader::Sink &sink,
                  const CardFileReader::Progress &onProgress, qint64 total)
        : m_reader(device, encoding)
        , m_sink(sink)
        , m_onProgress(onProgress)
        , m_total(total)
    { }

    Result<CardFileReader::Outline> run()
    {
        CsvReader::Record header;
        if (!m_reader.next(header))
            return noHeader();
        const CsvColumns columns(header.fields);
        if (!columns.hasNameColumn())
            return Status::failure(QStringLiteral("第%1行：没有可以识别的姓名列").arg(header.line));
        CsvReader::Record record;
        for (int count = 1; m_reader.next(record); ++count) {
            if (!take(columns, record))
                return cancelled();
            if (count % progressStep == 0 && m_onProgress
                && !m_onProgress(m_total / 2 + m_reader.position() / 2, m_total))
                return cancelled();
        }
        if (m_reader.failedLine() > 0)
            return binary();
        m_outline.problems += m_reader.problems();
        return std::move(m_outline);
    }

private:
    Status noHeader() const
    {
        return m_reader.failedLine() > 0 ? binary()
                                         : Status::failure(QStringLiteral("第1行：文件是空的"));
    }

    Status binary() const
    {
        return Status::failure(
            QStringLiteral("第%1行：文件中有不是文字的内容").arg(m_reader.failedLine()));
    }

    // False when the sink stops the reading.
    bool take(const CsvColumns &columns, const CsvReader::Record &record)
    {
        CsvContact contact;
        QString reason;
        if (!columns.toContact(record.fields, contact, reason) || !accept(contact.row, reason)) {
            m_outline.problems.append({ record.line, reason });
            return true;
        }
        for (const CardExtra &extra : std::as_const(contact.extras)) {
            for (const QString &column : extra.columns) {
                if (!m_kept.contains(column)) {
                    m_kept.insert(column);
                    m_outline.keptColumns << column;
                }
            }
        }
        ++m_outline.contacts;
        return m_sink({ std::move(contact.row), {}, std::move(contact.extras) });
    }

    CsvReader m_reader;
    const CardFileReader::Sink &m_sink;
    const CardFileReader::Progress &m_onProgress;
    qint64 m_total;
    CardFileReader::Outline m_outline;
    QSet<QString> m_kept;
};

} // namespace

namespace CsvFileReader {

Result<CardFileReader::Outline> read(QIODevice &device, const CardFileReader::Sink &sink,
                                     const CardFileReader::Progress &onProgress)
{
    const QByteArray start = device.peek(64);
    if (TextEncoding::isUtf16(start)) {
        // Rare enough to convert whole: UTF-16 cannot be split into lines byte by byte.
        QByteArray utf8 = TextEncoding::toUtf8Bytes(device.readAll());
        QBuffer buffer(&utf8);
        buffer.open(QIODevice::ReadOnly);
        return read(buffer, sink, onProgress);
    }
    if (start.startsWith("\xEF\xBB\xBF"))
        device.read(3);
    const qint64 total = 2 * (device.size() - device.pos());
    const Result<bool> utf8 = isWholeUtf8(device, onProgress, total);
    if (!utf8)
        return utf8.status();
    return RecordsReader(device, utf8.value() ? "UTF-8" : "GB18030", sink, onProgress, total).run();
}

} // namespace CsvFileReader
