#include "CsvReader.h"

namespace {

QChar separatorOf(const QString &text)
{
    const QStringView firstLine = QStringView(text).left(text.indexOf(u'\n'));
    if (firstLine.contains(u','))
        return u',';
    if (firstLine.contains(u'\t'))
        return u'\t';
    return firstLine.contains(u';') ? QChar(u';') : QChar(u',');
}

class Parser
{
public:
    Parser(const QString &text, CsvReader::Output &output)
        : m_text(text)
        , m_output(output)
        , m_separator(separatorOf(text))
    { }

    void run()
    {
        while (m_at < m_text.size())
            readRecord();
    }

private:
    bool atLineEnd() const
    {
        const QChar c = m_text.at(m_at);
        return c == u'\r' || c == u'\n';
    }

    void skipLineEnd()
    {
        if (m_text.at(m_at) == u'\r' && m_at + 1 < m_text.size() && m_text.at(m_at + 1) == u'\n')
            ++m_at;
        ++m_at;
        ++m_line;
    }

    // False when the closing quote never comes.
    bool readQuoted(QString &field)
    {
        ++m_at;
        while (m_at < m_text.size()) {
            const QChar c = m_text.at(m_at);
            if (c == u'"') {
                if (m_at + 1 < m_text.size() && m_text.at(m_at + 1) == u'"') {
                    field += u'"';
                    m_at += 2;
                    continue;
                }
                ++m_at;
                return true;
            }
            if (c == u'\r' || c == u'\n') {
                const qsizetype before = m_at;
                skipLineEnd();
                field += m_text.mid(before, m_at - before);
                continue;
            }
            field += c;
            ++m_at;
        }
        return false;
    }

    void readRecord()
    {
        CsvReader::Record record;
        record.line = m_line;
        QString field;
        for (;;) {
            if (m_at == m_text.size() || atLineEnd()) {
                record.fields << field;
                if (m_at < m_text.size())
                    skipLineEnd();
                break;
            }
            const QChar c = m_text.at(m_at);
            if (c == m_separator) {
                record.fields << field;
                field.clear();
                ++m_at;
            } else if (c == u'"' && field.isEmpty()) {
                if (!readQuoted(field)) {
                    m_output.problems.append({ record.line, QStringLiteral("引号没有结束") });
                    return;
                }
            } else {
                field += c;
                ++m_at;
            }
        }
        if (record.fields.size() == 1 && record.fields.first().trimmed().isEmpty())
            return;
        m_output.records << record;
    }

    const QString &m_text;
    CsvReader::Output &m_output;
    QChar m_separator;
    qsizetype m_at = 0;
    int m_line = 1;
};

} // namespace

namespace CsvReader {

Output read(const QString &text)
{
    Output output;
    Parser(text, output).run();
    return output;
}

} // namespace CsvReader
