#include "CardReader.h"

#include "CardSyntax.h"
#include "KeptCardReader.h"
#include "TextEncoding.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// A logical line longer than this is no contact data (a photo is a few hundred kilobytes).
constexpr qsizetype maxLineBytes = 4 * 1024 * 1024;
constexpr qsizetype chunkBytes = 256 * 1024;
constexpr int listedProblems = 1000;

struct PhysicalLine
{
    int number = 0;
    QByteArray text;
    bool tooLong = false;
};

// Checks UTF-8 a piece at a time; a character split between pieces is carried over.
class Utf8Check
{
public:
    bool feed(const char *data, qsizetype size)
    {
        for (qsizetype i = 0; i < size && m_valid; ++i)
            take(static_cast<unsigned char>(data[i]));
        return m_valid;
    }
    bool finish() const { return m_valid && m_pending == 0; }

private:
    void take(unsigned char byte)
    {
        if (m_pending > 0) {
            if ((byte & 0xC0) != 0x80)
                m_valid = false;
            --m_pending;
            return;
        }
        if (byte < 0x80)
            return;
        if (byte >= 0xC2 && byte <= 0xDF)
            m_pending = 1;
        else if (byte >= 0xE0 && byte <= 0xEF)
            m_pending = 2;
        else if (byte >= 0xF0 && byte <= 0xF4)
            m_pending = 3;
        else
            m_valid = false;
    }

    int m_pending = 0;
    bool m_valid = true;
};

// Where the property's name and parameters end; -1 when the line has no value part.
qsizetype valueColon(const QByteArray &line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (c == '"')
            quoted = !quoted;
        else if (c == ':' && !quoted)
            return i;
    }
    return -1;
}

bool isBase64Text(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (!CardSyntax::isNameChar(c) && c != '+' && c != '/' && c != '=')
            return false;
    }
    return !text.contains('-') && !text.contains('_');
}

// The ENCODING a property's header names, as ENCODING=… or as 2.1's bare word; upper case.
QByteArray encodingOf(const QByteArray &upperHeader)
{
    for (const QByteArray &parameter : upperHeader.split(';')) {
        const QByteArray word = parameter.trimmed();
        if (word == "QUOTED-PRINTABLE" || word == "BASE64")
            return word;
        if (word.startsWith("ENCODING="))
            return word.mid(9).replace('"', "");
    }
    return {};
}

QList<QByteArray> splitOutsideQuotes(const QByteArray &text, char separator)
{
    QList<QByteArray> parts;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '"')
            quoted = !quoted;
        else if (c == separator && !quoted) {
            parts << text.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << text.mid(start);
    return parts;
}

QByteArray unquoted(QByteArray text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"'))
        return text.mid(1, text.size() - 2);
    return text;
}

// RFC 6868: ^n is a line break, ^' a double quote, ^^ a caret.
QString decodeCaret(const QString &text)
{
    if (!text.contains(u'^'))
        return text;
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == u'^' && (next == u'n' || next == u'N' || next == u'\'' || next == u'^')) {
            out += next == u'^' ? QChar(u'^') : next == u'\'' ? QChar(u'"') : QChar(u'\n');
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A "=" not followed by two hex digits is kept as it stands: handsets write stray ones.
QByteArray decodeQuotedPrintable(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        const int high = c == '=' && i + 2 < in.size() ? hexDigit(in.at(i + 1)) : -1;
        const int low = high >= 0 ? hexDigit(in.at(i + 2)) : -1;
        if (low < 0) {
            out += c;
            continue;
        }
        out += char(high * 16 + low);
        i += 2;
    }
    return out;
}

bool isEncodingWord(const QByteArray &word)
{
    return word == "QUOTED-PRINTABLE" || word == "BASE64" || word == "B" || word == "8BIT"
        || word == "7BIT";
}

// Handsets label GBK text GB2312; GB18030 reads both (the WHATWG rule).
bool isChineseCharset(const QByteArray &charset)
{
    return charset == "GB2312" || charset == "GBK" || charset == "GB18030" || charset == "CP936"
        || charset == "X-GBK" || charset == "GB_2312-80" || charset == "EUC-CN";
}

QString mediaType(const CardProperty &property)
{
    const QStringList types = property.types();
    const QString type = types.isEmpty() ? QString() : types.first().toLower();
    if (type.contains(u'/'))
        return type;
    if (type.isEmpty())
        return QStringLiteral("application/octet-stream");
    if (property.name == u"SOUND")
        return QStringLiteral("audio/") + type;
    if (property.name == u"KEY")
        return QStringLiteral("application/") + type;
    return QStringLiteral("image/") + type;
}

// Text as 4.0 writes it: real line breaks (from quoted-printable) become "\n"; 2.1 writes
// commas and, outside structured values, semicolons unescaped.
QString toKeptText(const QString &text, const QString &name, CardVersion version)
{
    const bool escapeComma = version == CardVersion::V21 && !CardText::isList(name);
    const bool escapeSemicolon = version == CardVersion::V21 && !CardText::isStructured(name);
    if (!escapeComma && !text.contains(u'\n') && !text.contains(u'\r')
        && !CardSyntax::endsWithOddBackslashes(text))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == u'\\' && (i + 1 == text.size() || next == u'\r' || next == u'\n')) {
            // A backslash ending a line or the value escapes nothing: it is text. Written as it
            // came, it would end its line with one, which reads as continued on the next.
            out += QStringLiteral("\\\\");
        } else if (c == u'\\' && i + 1 < text.size()) {
            out += c;
            out += text.at(++i);
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += QStringLiteral("\\n");
        } else if ((c == u',' && escapeComma) || (c == u';' && escapeSemicolon)) {
            out += u'\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

struct CardReader::Line
{
    int number = 0;
    QByteArray text;
    bool tooLong = false;
};

// Physical lines of the device: CR LF, LF and a lone CR end a line, and CR CR LF (written by
// iOS) ends one line, not two.
class CardReader::Source
{
public:
    explicit Source(QIODevice &device)
        : m_device(&device)
    { }
    // Bytes already in memory are read in place.
    explicit Source(const QByteArray &bytes)
        : m_buffer(bytes)
        , m_end(true)
    {
        skipMark();
    }

    const PhysicalLine *peek()
    {
        if (!m_peeked) {
            PhysicalLine line;
            if (!read(line))
                return nullptr;
            m_peeked = std::move(line);
        }
        return &*m_peeked;
    }

    bool take(PhysicalLine &line)
    {
        if (!peek())
            return false;
        line = std::move(*m_peeked);
        m_peeked.reset();
        return true;
    }

    double progress() const
    {
        if (!m_device)
            return m_buffer.isEmpty() ? 1.0 : double(m_position) / double(m_buffer.size());
        const qint64 size = m_device->size();
        return size > 0 ? double(m_device->pos()) / double(size) : 1.0;
    }

private:
    bool fill()
    {
        if (m_end)
            return false;
        if (m_position > 0) {
            m_buffer.remove(0, m_position);
            m_position = 0;
        }
        const qsizetype old = m_buffer.size();
        m_buffer.resize(old + chunkBytes);
        const qint64 got = m_device->read(m_buffer.data() + old, chunkBytes);
        m_buffer.resize(old + qMax<qint64>(got, 0));
        if (got <= 0)
            m_end = true;
        if (m_first) {
            m_first = false;
            skipMark();
        }
        return got > 0;
    }

    void skipMark()
    {
        if (m_buffer.startsWith("\xEF\xBB\xBF"))
            m_position = 3;
    }

    bool read(PhysicalLine &line)
    {
        if (m_blankLines > 0) {
            --m_blankLines;
            line = { ++m_number, {}, false };
            return true;
        }
        qsizetype scanFrom = m_position;
        for (;;) {
            const char *end = lineEnd(m_buffer.constData() + scanFrom, m_buffer.size() - scanFrom);
            // Where scanning goes on once more bytes are in.
            qsizetype resume = m_buffer.size();
            if (end) {
                const qsizetype at = end - m_buffer.constData();
                if (finishLine(line, at))
                    return true;
                // CRs at the buffer's end: what follows them decides.
                resume = at;
            } else if (m_buffer.size() - m_position > maxLineBytes) {
                // Far too long for a line: dropped as it streams past.
                m_tooLong = true;
                m_position = m_buffer.size();
            }
            const qsizetype offset = resume - m_position;
            const bool more = fill();
            scanFrom = m_position + offset;
            if (more || end)
                continue;
            if (m_position >= m_buffer.size() && !m_tooLong)
                return false;
            takeLine(line, m_buffer.size(), m_buffer.size());
            return true;
        }
    }

    static const char *lineEnd(const char *begin, qsizetype size)
    {
        for (qsizetype i = 0; i < size; ++i) {
            if (begin[i] == '\n' || begin[i] == '\r')
                return begin + i;
        }
        return nullptr;
    }

    // False when the line end is a run of CRs whose end is not in the buffer yet.
    bool finishLine(PhysicalLine &line, qsizetype at)
    {
        qsizetype next = at + 1;
        if (m_buffer.at(at) == '\r') {
            while (next < m_buffer.size() && m_buffer.at(next) == '\r')
                ++next;
            if (next == m_buffer.size() && !m_end) {
                if (next - at <= 2)
                    return false;
                // A long run of CRs ends lines as it streams; the last two wait for what follows,
                // which may make them the CR CR LF of one line end.
                m_blankLines = int(next - at - 3);
                takeLine(line, at, next - 2);
                return true;
            }
            if (next < m_buffer.size() && m_buffer.at(next) == '\n')
                ++next;
            else
                m_blankLines = int(next - at - 1);
        }
        takeLine(line, at, next);
        return true;
    }

    // The line up to at; reading goes on from next.
    void takeLine(PhysicalLine &line, qsizetype at, qsizetype next)
    {
        m_tooLong = m_tooLong || at - m_position > maxLineBytes;
        line = { ++m_number, m_tooLong ? QByteArray() : m_buffer.mid(m_position, at - m_position),
                 m_tooLong };
        m_tooLong = false;
        m_position = next;
    }

    QIODevice *m_device = nullptr;
    QByteArray m_buffer;
    qsizetype m_position = 0;
    bool m_end = false;
    bool m_first = true;
    bool m_tooLong = false;
    int m_blankLines = 0;
    int m_number = 0;
    std::optional<PhysicalLine> m_peeked;
};

CardReader::CardReader(QIODevice &device)
{
    start(device);
}

CardReader::CardReader(const QByteArray &bytes)
{
    if (TextEncoding::isUtf16(bytes.left(64))) {
        m_converted = TextEncoding::toUtf8Bytes(bytes);
        m_source = std::make_unique<Source>(m_converted);
        m_utf8 = TextEncoding::isValidUtf8(m_converted);
        return;
    }
    Utf8Check check;
    check.feed(bytes.constData(), bytes.size());
    m_utf8 = check.finish();
    m_source = std::make_unique<Source>(bytes);
}

CardReader::CardReader(const QByteArray &bytes, KnownUtf8)
    : m_source(std::make_unique<Source>(bytes))
{ }

CardReader::~CardReader() = default;

void CardReader::start(QIODevice &device)
{
    const QByteArray head = device.peek(64);
    QIODevice *input = &device;
    if (TextEncoding::isUtf16(head)) {
        // Rare and small (a desktop program's export): converted whole.
        m_converted = TextEncoding::toUtf8Bytes(device.readAll());
        m_buffer = std::make_unique<QBuffer>(&m_converted);
        m_buffer->open(QIODevice::ReadOnly);
        input = m_buffer.get();
    }
    // One decision for the whole file: deciding per value turns one value of a GBK card into
    // mojibake while its neighbours read right.
    Utf8Check check;
    const qint64 origin = input->pos();
    QByteArray chunk(chunkBytes, Qt::Uninitialized);
    for (qint64 got; (got = input->read(chunk.data(), chunkBytes)) > 0;) {
        if (!check.feed(chunk.constData(), got))
            break;
    }
    m_utf8 = check.finish();
    input->seek(origin);
    m_source = std::make_unique<Source>(*input);
}

bool CardReader::looksLikeCard(const QByteArray &head)
{
    const QByteArray text = TextEncoding::toUtf8Bytes(head.left(4096));
    for (const QByteArray &line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            return trimmed.toUpper().startsWith("BEGIN:VCARD");
    }
    return false;
}

QList<Card> CardReader::readAll(const QByteArray &bytes, QList<ReadProblem> *problems)
{
    CardReader reader(bytes);
    QList<Card> cards;
    Card card;
    while (reader.next(card))
        cards << std::move(card);
    if (problems)
        *problems = reader.problems();
    return cards;
}

bool CardReader::readKept(QByteArrayView kept, Card &card)
{
    if (KeptCardReader::read(kept, card))
        return true;
    // Exporting reads a kept form per contact: checking the encoding again, or copying the
    // bytes out of the query, would cost as much as reading it.
    CardReader reader(QByteArray::fromRawData(kept.data(), kept.size()), KnownUtf8 {});
    return reader.next(card);
}

double CardReader::progress() const
{
    return m_source->progress();
}

void CardReader::report(int line, const QString &reason)
{
    ++m_problemCount;
    if (m_problems.size() < listedProblems)
        m_problems.append({ line, reason });
}

// Joins a property's lines: folded lines (a continuation starts with a blank or a tab),
// quoted-printable soft breaks, which 2.1 handsets continue without a blank, 2.1 base64 whose
// lines are not indented (Outlook, older Nokia), and a backslash at a line's end, which some
// 2.1 writers use for a line break inside a value.
bool CardReader::nextLine(Line &line)
{
    PhysicalLine first;
    if (!m_source->take(first))
        return false;
    line = { first.number, std::move(first.text), first.tooLong };
    if (line.text.isEmpty())
        return true;
    const qsizetype colon = valueColon(line.text);
    // Most lines have no parameters, and so no encoding.
    const bool hasParameters = colon > 0 && QByteArrayView(line.text).first(colon).contains(';');
    const QByteArray encoding
        = hasParameters ? encodingOf(line.text.left(colon).toUpper()) : QByteArray();
    const bool quotedPrintable = encoding == "QUOTED-PRINTABLE";
    const bool base64 = encoding == "BASE64" || encoding == "B";
    while (const PhysicalLine *next = m_source->peek()) {
        const QByteArray &text = next->text;
        const bool folded = text.startsWith(' ') || text.startsWith('\t');
        const bool softBreak = quotedPrintable && line.text.endsWith('=');
        // Only 2.1's BASE64: 3.0's "b" values are folded, and an unfolded line after one is the
        // next property even when it reads as base64.
        const bool base64Line
            = encoding == "BASE64" && isBase64Text(text) && !CardSyntax::startsProperty(text);
        const bool backslash = !quotedPrintable && !base64 && !folded
            && CardSyntax::endsWithOddBackslashes(line.text) && !text.isEmpty()
            && !CardSyntax::startsProperty(text);
        if (!folded && !softBreak && !base64Line && !backslash)
            break;
        if (next->tooLong || line.text.size() + text.size() > maxLineBytes)
            line.tooLong = true;
        if (softBreak)
            line.text.chop(1);
        if (backslash)
            line.text += 'n';
        if (!line.tooLong)
            line.text += folded ? QByteArrayView(text).sliced(1) : QByteArrayView(text).trimmed();
        PhysicalLine skipped;
        m_source->take(skipped);
    }
    if (line.tooLong)
        line.text.clear();
    return true;
}

bool CardReader::next(Card &card)
{
    bool inCard = false;
    if (m_pendingBegin > 0) {
        inCard = true;
        card = Card();
        card.sourceVersion = m_syntax = CardVersion::V30;
        m_cardLine = m_pendingBegin;
        m_pendingBegin = 0;
    }
    Line line;
    while (nextLine(line)) {
        if (line.tooLong) {
            report(line.number, QStringLiteral("这一行太长"));
            continue;
        }
        const QByteArray trimmed = line.text.trimmed();
        // Comment lines: some exporters head the file or a card with one.
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        if (trimmed.compare("BEGIN:VCARD", Qt::CaseInsensitive) == 0) {
            if (inCard) {
                // A card within a card, or one whose END is missing: the card so far is kept,
                // and the inner one is read as a card of its own.
                report(m_cardLine, QStringLiteral("名片不完整，缺少END:VCARD"));
                m_pendingBegin = line.number;
                return true;
            }
            inCard = true;
            card = Card();
            card.sourceVersion = m_syntax = CardVersion::V30;
            m_cardLine = line.number;
        } else if (trimmed.compare("END:VCARD", Qt::CaseInsensitive) == 0) {
            if (inCard)
                return true;
            report(line.number, QStringLiteral("名片以外的内容"));
        } else if (!inCard) {
            report(line.number, QStringLiteral("名片以外的内容"));
        } else if (const QString problem = addLine(card, line); !problem.isEmpty()) {
            report(line.number, problem);
        }
    }
    if (inCard) {
        report(m_cardLine, QStringLiteral("名片不完整，缺少END:VCARD"));
        return true;
    }
    return false;
}

// Made when first needed: most files are UTF-8, and making the decoder costs more than a card.
QString CardReader::fromGb18030(QByteArrayView bytes)
{
    if (!m_gb18030)
        m_gb18030.emplace("GB18030", QStringConverter::Flag::Stateless);
    return m_gb18030->decode(bytes);
}

QString CardReader::addLine(Card &card, const Line &line)
{
    const QString unreadable = QStringLiteral("无法识别的内容");
    const qsizetype colon = valueColon(line.text);
    if (colon <= 0)
        return unreadable;
    const QList<QByteArray> header = splitOutsideQuotes(line.text.left(colon), ';');
    const QByteArray fullName = header.first().trimmed();
    const qsizetype dot = fullName.lastIndexOf('.');
    const QByteArray group = dot < 0 ? QByteArray() : fullName.left(dot);
    const QByteArray name = fullName.mid(dot + 1).toUpper();
    // BEGIN and END that mark no card ("END:VCARD x") would end the card they were written in.
    if (name.isEmpty() || !std::all_of(name.begin(), name.end(), CardSyntax::isNameChar)
        || !std::all_of(group.begin(), group.end(), CardSyntax::isNameChar) || name == "BEGIN"
        || name == "END")
        return unreadable;
    const auto text = [this](QByteArrayView bytes) {
        return m_utf8 ? QString::fromUtf8(bytes) : fromGb18030(bytes);
    };
    const QByteArrayView value = QByteArrayView(line.text).sliced(colon + 1);
    if (name == "VERSION" || name == "X-ZORVANE-VERSION") {
        card.sourceVersion = CardSyntax::versionOf(value);
        if (name == "VERSION")
            m_syntax = card.sourceVersion;
        return {};
    }

    CardProperty property;
    property.group = QString::fromLatin1(group);
    property.name = QString::fromLatin1(name);
    if (const QByteArray written = fullName.mid(dot + 1); written != name)
        property.spelling = QString::fromLatin1(written);
    QByteArray charset;
    QByteArray encoding;
    QStringList types;
    bool preferred = false;
    // 3.0's TYPE=pref and 2.1's PREF are 4.0's PREF=1.
    const auto addTypes = [&types, &preferred](const QStringList &values) {
        for (const QString &value : values) {
            const QString type = value.trimmed();
            if (type.compare(u"pref", Qt::CaseInsensitive) == 0)
                preferred = true;
            else if (!type.isEmpty())
                types << type;
        }
    };
    for (qsizetype i = 1; i < header.size(); ++i) {
        const QByteArray &parameter = header.at(i);
        const qsizetype equals = parameter.indexOf('=');
        const QByteArray key
            = (equals < 0 ? parameter : parameter.left(equals)).trimmed().toUpper();
        if (key.isEmpty())
            continue;
        if (equals < 0) {
            // 2.1's bare parameters: TEL;CELL;PREF.
            if (isEncodingWord(key))
                encoding = key;
            else
                addTypes(text(parameter.trimmed()).split(u','));
            continue;
        }
        if (!std::all_of(key.begin(), key.end(), CardSyntax::isNameChar))
            return unreadable;
        const QByteArray rawValue = parameter.mid(equals + 1);
        if (key == "CHARSET") {
            charset = unquoted(rawValue).toUpper();
            continue;
        }
        if (key == "ENCODING") {
            encoding = unquoted(rawValue).toUpper();
            continue;
        }
        QStringList values;
        for (const QByteArray &part : splitOutsideQuotes(rawValue, ','))
            values << decodeCaret(text(unquoted(part)));
        if (key == "TYPE") {
            // Some senders quote the whole list: TYPE="cell,voice".
            addTypes(values.join(u',').split(u','));
            continue;
        }
        property.setParameter(QString::fromLatin1(key), values);
    }
    if (!types.isEmpty())
        property.parameters.prepend({ QStringLiteral("TYPE"), types });
    if (preferred && !property.parameter(QStringLiteral("PREF")))
        property.setParameter(QStringLiteral("PREF"), { QStringLiteral("1") });

    if (encoding == "BASE64" || encoding == "B") {
        QByteArray data = value.toByteArray();
        data.removeIf([](char c) { return c == ' ' || c == '\t'; });
        if (!QByteArray::fromBase64Encoding(data, QByteArray::AbortOnBase64DecodingErrors))
            return QStringLiteral("BASE64编码有误");
        property.value = QStringLiteral("data:%1;base64,").arg(mediaType(property))
            + QString::fromLatin1(data);
    } else {
        const QByteArray decodedBytes = encoding == "QUOTED-PRINTABLE"
            ? decodeQuotedPrintable(value.toByteArray())
            : QByteArray();
        const QByteArrayView bytes
            = encoding == "QUOTED-PRINTABLE" ? QByteArrayView(decodedBytes) : value;
        QString decoded;
        if (charset.isEmpty() || (charset == "UTF-8" && m_utf8))
            decoded = text(bytes);
        else if (charset == "UTF-8")
            decoded = QString::fromUtf8(bytes);
        else if (isChineseCharset(charset))
            decoded = fromGb18030(bytes);
        else if (QStringDecoder decoder(charset.constData()); decoder.isValid())
            decoded = decoder.decode(bytes);
        else
            return QStringLiteral("不认识的字符集“%1”").arg(QString::fromLatin1(charset));
        property.value = toKeptText(decoded, property.name, m_syntax);
    }
    card.properties << std::move(property);
    return {};
}
