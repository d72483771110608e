#include "VCardReader.h"

#include "TextEncoding.h"

#include <QSet>
#include <QStringDecoder>

namespace {

// A logical line longer than this is no contact data; the card holding it is refused.
constexpr qsizetype maxLineBytes = 1024 * 1024;

struct PhysicalLine
{
    int number = 0;
    QByteArray text;
};

// CR LF, LF and a lone CR all end a line.
QList<PhysicalLine> splitLines(const QByteArray &bytes)
{
    QList<PhysicalLine> lines;
    qsizetype start = 0;
    int number = 1;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append({ number++, bytes.mid(start, i - start) });
        if (c == '\r' && i + 1 < size && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append({ number, bytes.mid(start) });
    return lines;
}

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

bool isQuotedPrintable(const QByteArray &line)
{
    const qsizetype colon = valueColon(line);
    return colon > 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

struct LogicalLine
{
    int number = 0;
    QByteArray text;
    bool tooLong = false;
};

// Joins folded lines (a continuation starts with a blank or a tab) and quoted-printable soft
// line breaks. Phones writing 2.1 continue a soft break without a leading blank.
LogicalLine nextLogicalLine(const QList<PhysicalLine> &lines, qsizetype &at)
{
    LogicalLine logical { lines.at(at).number, lines.at(at).text, false };
    ++at;
    const bool quotedPrintable = isQuotedPrintable(logical.text);
    while (at < lines.size()) {
        const QByteArray &next = lines.at(at).text;
        const bool folded = next.startsWith(' ') || next.startsWith('\t');
        const bool softBreak = quotedPrintable && logical.text.endsWith('=');
        if (!folded && !softBreak)
            break;
        if (softBreak)
            logical.text.chop(1);
        const QByteArray piece = folded ? next.mid(1) : next;
        if (logical.text.size() + piece.size() > maxLineBytes)
            logical.tooLong = true;
        else
            logical.text += piece;
        ++at;
    }
    if (logical.text.size() > maxLineBytes)
        logical.tooLong = true;
    if (logical.tooLong)
        logical.text.clear();
    return logical;
}

QList<QByteArray> splitOutsideQuotes(const QByteArray &header, char separator)
{
    QList<QByteArray> parts;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < header.size(); ++i) {
        const char c = header.at(i);
        if (c == '"')
            quoted = !quoted;
        else if (c == separator && !quoted) {
            parts << header.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << header.mid(start);
    return parts;
}

QByteArray unquoted(QByteArray text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"'))
        return text.mid(1, text.size() - 2);
    return text;
}

struct RawProperty
{
    QByteArray name;
    QStringList types;
    QString label;
    QByteArray charset;
    QByteArray encoding;
    QByteArray value;
};

bool isEncodingWord(const QByteArray &word)
{
    return word == "QUOTED-PRINTABLE" || word == "BASE64" || word == "B" || word == "8BIT"
        || word == "7BIT";
}

// Parameter names and values in any letter case; 2.1's bare words (TEL;CELL;PREF) are types.
bool parseProperty(const QByteArray &line, RawProperty &property)
{
    const qsizetype colon = valueColon(line);
    if (colon <= 0)
        return false;
    const QList<QByteArray> header = splitOutsideQuotes(line.left(colon), ';');
    QByteArray name = header.first().trimmed().toUpper();
    // A property group ("item1.TEL" on phones) only ties properties together; the name follows.
    name = name.mid(name.lastIndexOf('.') + 1);
    if (name.isEmpty())
        return false;
    property.name = name;
    for (qsizetype i = 1; i < header.size(); ++i) {
        const QByteArray &parameter = header.at(i);
        const qsizetype equals = parameter.indexOf('=');
        const QByteArray key
            = (equals < 0 ? parameter : parameter.left(equals)).trimmed().toUpper();
        const QByteArray value = equals < 0 ? QByteArray() : unquoted(parameter.mid(equals + 1));
        if (equals < 0 && isEncodingWord(key))
            property.encoding = key;
        else if (equals < 0)
            property.types << QString::fromLatin1(key);
        else if (key == "TYPE") {
            for (const QByteArray &type : splitOutsideQuotes(value, ','))
                property.types << QString::fromUtf8(unquoted(type)).toUpper();
        } else if (key == "CHARSET")
            property.charset = value;
        else if (key == "ENCODING")
            property.encoding = value.toUpper();
        else if (key == "X-ZORVANE-LABEL")
            property.label = QString::fromUtf8(value);
    }
    property.value = line.mid(colon + 1);
    return true;
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

bool decodeQuotedPrintable(const QByteArray &in, QByteArray &out)
{
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c != '=') {
            out += c;
            continue;
        }
        if (i + 1 == in.size())
            break;
        const int high = i + 2 < in.size() ? hexDigit(in.at(i + 1)) : -1;
        const int low = i + 2 < in.size() ? hexDigit(in.at(i + 2)) : -1;
        if (high < 0 || low < 0)
            return false;
        out += char(high * 16 + low);
        i += 2;
    }
    return true;
}

// The properties a contact row takes; everything else (PHOTO, X-…) is skipped undecoded.
const QSet<QByteArray> &usedProperties()
{
    static const QSet<QByteArray> names { "N",   "FN",    "ORG", "TITLE", "ADR",
                                          "TEL", "EMAIL", "URL", "NOTE",  "CATEGORIES" };
    return names;
}

// The value as text, or a reason it cannot be read.
bool decodeValue(const RawProperty &raw, QString &text, QString &reason)
{
    QByteArray bytes = raw.value;
    if (raw.encoding == "QUOTED-PRINTABLE") {
        QByteArray decoded;
        if (!decodeQuotedPrintable(raw.value, decoded)) {
            reason = QStringLiteral("QUOTED-PRINTABLE编码有误");
            return false;
        }
        bytes = decoded;
    } else if (raw.encoding == "BASE64" || raw.encoding == "B") {
        auto decoded = QByteArray::fromBase64Encoding(raw.value.trimmed(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            reason = QStringLiteral("BASE64编码有误");
            return false;
        }
        bytes = *decoded;
    }
    if (raw.charset.isEmpty()) {
        text = TextEncoding::decode(bytes);
        return true;
    }
    QStringDecoder decoder(raw.charset.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) {
        reason = QStringLiteral("不认识的字符集“%1”").arg(QString::fromLatin1(raw.charset));
        return false;
    }
    text = decoder.decode(bytes);
    if (decoder.hasError()) {
        reason = QStringLiteral("内容不是字符集“%1”的文字").arg(QString::fromLatin1(raw.charset));
        return false;
    }
    return true;
}

bool isMarker(const RawProperty &property, const char *name)
{
    return property.name == name && property.value.trimmed().toUpper() == "VCARD";
}

class CardParser
{
public:
    CardParser(VCardReader::Output &output, VCardReader::Others others)
        : m_output(output)
        , m_keepOthers(others == VCardReader::Others::Keep)
    { }

    void take(const LogicalLine &line)
    {
        if (line.tooLong) {
            fail(line.number, QStringLiteral("这一行太长"));
            return;
        }
        if (line.text.trimmed().isEmpty())
            return;
        RawProperty raw;
        if (!parseProperty(line.text, raw)) {
            fail(line.number, QStringLiteral("无法识别的内容"));
            return;
        }
        if (isMarker(raw, "BEGIN")) {
            if (m_inCard)
                fail(m_card.line, QStringLiteral("名片不完整，缺少END:VCARD"));
            m_inCard = true;
            m_broken = false;
            m_card = VCard();
            m_card.line = line.number;
        } else if (isMarker(raw, "END") && m_inCard) {
            if (!m_broken)
                m_output.cards << m_card;
            m_inCard = false;
        } else if (!m_inCard) {
            fail(line.number, QStringLiteral("名片以外的内容"));
        } else if (!m_broken && usedProperties().contains(raw.name)) {
            addProperty(raw, line.number);
        } else if (!m_broken && m_keepOthers) {
            m_card.otherLines << line.text;
        }
    }

    void finish()
    {
        if (m_inCard)
            fail(m_card.line, QStringLiteral("名片不完整，缺少END:VCARD"));
        m_inCard = false;
    }

private:
    void addProperty(const RawProperty &raw, int lineNumber)
    {
        VCardProperty property;
        property.name = QString::fromLatin1(raw.name);
        property.types = raw.types;
        property.label = raw.label;
        QString reason;
        if (!decodeValue(raw, property.value, reason)) {
            fail(lineNumber, reason);
            return;
        }
        m_card.properties << property;
    }

    // A broken card is reported once, at the line where reading failed; lines outside a card
    // are reported each.
    void fail(int lineNumber, const QString &reason)
    {
        if (m_inCard && m_broken)
            return;
        m_output.problems.append({ lineNumber, reason });
        if (m_inCard)
            m_broken = true;
    }

    VCardReader::Output &m_output;
    bool m_keepOthers;
    VCard m_card;
    bool m_inCard = false;
    bool m_broken = false;
};

} // namespace

namespace VCardReader {

bool looksLikeVCard(const QByteArray &bytes)
{
    const QByteArray text = TextEncoding::toUtf8Bytes(bytes.left(4096));
    for (const QByteArray &line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            return trimmed.toUpper().startsWith("BEGIN:VCARD");
    }
    return false;
}

Output read(const QByteArray &bytes, Others others)
{
    Output output;
    const QList<PhysicalLine> lines = splitLines(TextEncoding::toUtf8Bytes(bytes));
    CardParser parser(output, others);
    qsizetype at = 0;
    while (at < lines.size())
        parser.take(nextLogicalLine(lines, at));
    parser.finish();
    return output;
}

QString unescape(QStringView text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 == text.size()) {
            plain += c;
            continue;
        }
        const QChar next = text.at(++i);
        plain += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
    }
    return plain;
}

QStringList splitUnescaped(QStringView text, QChar separator)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\\')
            ++i;
        else if (text.at(i) == separator) {
            parts << unescape(text.mid(start, i - start));
            start = i + 1;
        }
    }
    parts << unescape(text.mid(start));
    return parts;
}

} // namespace VCardReader
