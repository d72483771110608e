#include "CsvReader.h"

#include <QIODevice>

namespace {

constexpr qint64 chunkSize = 256 * 1024;

QChar separatorOf(QStringView firstLine)
{
    if (firstLine.contains(u','))
        return u',';
    if (firstLine.contains(u'\t'))
        return u'\t';
    return firstLine.contains(u';') ? QChar(u';') : QChar(u',');
}

bool isBlank(QStringView text)
{
    return text.trimmed().isEmpty();
}

} // namespace

CsvReader::CsvReader(QIODevice &device, const char *encoding)
    : m_device(device)
    , m_decoder(encoding, QStringConverter::Flag::Stateless)
{ }

qint64 CsvReader::position() const
{
    return m_device.pos() - (m_buffer.size() - m_at);
}

bool CsvReader::refill()
{
    const QByteArray chunk = m_device.read(chunkSize);
    if (chunk.isEmpty())
        return false;
    m_buffer.remove(0, m_at);
    m_scanned -= m_at;
    m_at = 0;
    m_buffer += chunk;
    return true;
}

bool CsvReader::nextBytes(QByteArray &line)
{
    for (;;) {
        const char *data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        qsizetype end = m_scanned;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        // A CR at the end of what was read may be the first half of CR LF.
        const bool split = end + 1 == size && data[end] == '\r' && !m_device.atEnd();
        if (end < size && !split) {
            line = m_buffer.mid(m_at, end - m_at);
            const bool crlf = data[end] == '\r' && end + 1 < size && data[end + 1] == '\n';
            m_at = end + (crlf ? 2 : 1);
            m_scanned = m_at;
            ++m_line;
            return true;
        }
        m_scanned = end;
        if (!refill()) {
            if (m_at == m_buffer.size())
                return false;
            line = m_buffer.mid(m_at);
            m_at = m_scanned = m_buffer.size();
            ++m_line;
            return true;
        }
    }
}

// Blank lines between records cost a counted line each, nothing more.
void CsvReader::skipLineBreaks()
{
    for (;;) {
        const char *data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        while (m_at < size && (data[m_at] == '\n' || data[m_at] == '\r')) {
            if (data[m_at] == '\r' && m_at + 1 == size && !m_device.atEnd())
                break;
            const bool crlf = data[m_at] == '\r' && m_at + 1 < size && data[m_at + 1] == '\n';
            m_at += crlf ? 2 : 1;
            ++m_line;
        }
        m_scanned = m_at;
        if (m_at < size && data[m_at] != '\r')
            return;
        if (!refill())
            return;
    }
}

bool CsvReader::nextLine(QString &text)
{
    QByteArray bytes;
    if (!nextBytes(bytes))
        return false;
    if (bytes.contains('\0')) {
        m_failedLine = m_line;
        return false;
    }
    text = m_decoder.decode(bytes);
    return true;
}

// Reads one line into the record; a quoted field still open at its end takes the line break.
// Runs of plain text are taken whole: a quote inside a field that did not start with one is
// text.
void CsvReader::scan(QStringView text, Pending &pending) const
{
    QString &field = pending.field;
    qsizetype at = 0;
    while (at < text.size()) {
        if (pending.inQuote) {
            const qsizetype quote = text.indexOf(u'"', at);
            const qsizetype end = quote < 0 ? text.size() : quote;
            field += text.mid(at, end - at);
            if (quote < 0)
                break;
            const bool doubled = quote + 1 < text.size() && text.at(quote + 1) == u'"';
            if (doubled)
                field += u'"';
            else
                pending.inQuote = false;
            at = quote + (doubled ? 2 : 1);
        } else if (text.at(at) == m_separator) {
            pending.fields << field;
            field.clear();
            ++at;
        } else if (text.at(at) == u'"' && field.isEmpty()) {
            pending.inQuote = true;
            ++at;
        } else {
            qsizetype end = text.indexOf(m_separator, at);
            if (end < 0)
                end = text.size();
            field += text.mid(at, end - at);
            at = end;
        }
    }
    if (pending.inQuote) {
        field += u'\n';
        return;
    }
    pending.fields << field;
    field.clear();
}

// A line that is a whole record of the header's width when read alone.
bool CsvReader::startsRecordAlone(QStringView text) const
{
    if (m_width < 2)
        return false;
    Pending alone;
    scan(text, alone);
    return !alone.inQuote && alone.fields.size() == m_width;
}

void CsvReader::reportUnclosed(const Pending &pending)
{
    m_problems.append(
        { pending.line,
          pending.lastLine > pending.line
              ? QStringLiteral("引号没有结束，这一行到第%1行没有导入").arg(pending.lastLine)
              : QStringLiteral("引号没有结束，这一行没有导入") });
}

bool CsvReader::next(Record &record)
{
    Pending pending;
    QString text;
    skipLineBreaks();
    for (;;) {
        if (!nextLine(text)) {
            if (pending.line > 0 && m_failedLine == 0)
                reportUnclosed(pending);
            return false;
        }
        if (pending.line == 0) {
            if (isBlank(text))
                continue;
            if (m_separator.isNull())
                m_separator = separatorOf(text);
            pending.line = m_line;
            scan(text, pending);
        } else {
            // The open quote closes on this line, or goes on; a line that would be a record
            // of its own while the quote stays open ends the broken record instead.
            Pending rest;
            rest.inQuote = true;
            scan(text, rest);
            if (rest.inQuote && startsRecordAlone(text)) {
                reportUnclosed(pending);
                pending = Pending();
                pending.line = m_line;
                scan(text, pending);
            } else if (rest.inQuote) {
                pending.field += rest.field;
            } else {
                pending.fields << pending.field + rest.fields.first();
                pending.fields += rest.fields.mid(1);
                pending.field.clear();
                pending.inQuote = false;
            }
        }
        pending.lastLine = m_line;
        if (!pending.inQuote)
            break;
    }
    record.line = pending.line;
    record.fields = std::move(pending.fields);
    if (m_width == 0)
        m_width = record.fields.size();
    return true;
}
