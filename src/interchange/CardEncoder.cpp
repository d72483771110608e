#include "CardEncoder.h"

#include "ContactColumns.h"
#include "CsvColumns.h"
#include "CsvWriter.h"
#include "cards/CardStore.h"
#include "cards/CardWriter.h"
#include "data/Database.h"

#include <QIODevice>
#include <QStringEncoder>

namespace {

// Contacts made into cards by one task: large enough that handing them over costs little,
// small enough that a few batches in flight hold little memory.
constexpr int batchSize = 256;
// The Contacts columns a card is made from, then its kept form.
constexpr int columnCount = ContactColumns::count;
constexpr int textsPerRow = columnCount + 1;

CardVersion versionOf(CardFormat format)
{
    return format == CardFormat::VCard21 ? CardVersion::V21
        : format == CardFormat::VCard40  ? CardVersion::V40
                                         : CardVersion::V30;
}

QByteArray encodedText(CardFormat format, const QString &text)
{
    if (format != CardFormat::CsvGb18030)
        return text.toUtf8();
    QStringEncoder gb18030("GB18030");
    return gb18030.encode(text);
}

} // namespace

CardEncoder::CardEncoder(CardFormat format, QIODevice &device)
    : m_format(format)
    , m_device(device)
{
    m_pool.setMaxThreadCount(QThread::idealThreadCount());
    m_batch.ends.reserve(batchSize * textsPerRow);
    if (!CardFormats::isCsv(m_format))
        return;
    QByteArray head;
    if (m_format == CardFormat::CsvUtf8)
        head += "\xEF\xBB\xBF"; // Excel reads UTF-8 only after a byte-order mark.
    head += encodedText(m_format, CsvWriter::line(CsvColumns::captions()));
    m_failed = m_device.write(head) != head.size();
}

CardEncoder::~CardEncoder()
{
    m_pool.waitForDone();
}

bool CardEncoder::add(const TextRow &row)
{
    for (int column = 0; column < columnCount; ++column) {
        m_batch.texts += row.text(column);
        m_batch.ends << m_batch.texts.size();
    }
    // Kept cards are the program's own UTF-8, and a blob: checked as text, each would be
    // converted twice.
    m_batch.texts += row.bytes(columnCount);
    m_batch.ends << m_batch.texts.size();
    if (++m_batch.rows >= batchSize)
        submit();
    return !m_failed && writeDone(2 * std::size_t(m_pool.maxThreadCount()));
}

bool CardEncoder::finish()
{
    if (m_batch.rows > 0)
        submit();
    return writeDone(0) && !m_failed;
}

QByteArray CardEncoder::encode(CardFormat format, const Batch &batch)
{
    QByteArray out;
    QString csv;
    std::array<QByteArrayView, textsPerRow> texts;
    qsizetype start = 0;
    for (int row = 0; row < batch.rows; ++row) {
        for (int at = 0; at < textsPerRow; ++at) {
            const qsizetype end = batch.ends.at(row * textsPerRow + at);
            texts[at] = QByteArrayView(batch.texts).sliced(start, end - start);
            start = end;
        }
        const ContactRecord contact = ContactColumns::fromUtf8(texts.data());
        if (CardFormats::isCsv(format))
            csv += CsvWriter::line(CsvColumns::fieldsOf(contact));
        else
            CardWriter::append(out, CardStore::cardFor(contact, texts[columnCount]),
                               versionOf(format));
    }
    return CardFormats::isCsv(format) ? encodedText(format, csv) : out;
}

void CardEncoder::submit()
{
    auto promise = std::make_shared<std::promise<QByteArray>>();
    m_pending.push_back(promise->get_future());
    Batch batch = std::exchange(m_batch, {});
    m_batch.texts.reserve(batch.texts.size());
    m_batch.ends.reserve(batchSize * textsPerRow);
    // A CSV line costs less than handing it to a thread.
    if (CardFormats::isCsv(m_format)) {
        promise->set_value(encode(m_format, batch));
        return;
    }
    m_pool.start([promise, format = m_format, batch = std::move(batch)] {
        promise->set_value(encode(format, batch));
    });
}

bool CardEncoder::writeDone(std::size_t waiting)
{
    while (!m_failed && m_pending.size() > waiting) {
        const QByteArray bytes = m_pending.front().get();
        m_pending.pop_front();
        m_failed = m_device.write(bytes) != bytes.size();
    }
    return !m_failed;
}
