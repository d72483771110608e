#include "CardWriter.h"

#include "PersonName.h"

#include <QSet>
#include <QStringEncoder>
#include <algorithm>

namespace {

constexpr qsizetype foldOctets = 75;
constexpr qsizetype quotedPrintableOctets = 76;

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Text added as UTF-8 without a copy of its own: a card is written from many short texts.
void appendUtf8(QByteArray &out, QStringView text)
{
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const qsizetype at = out.size();
    out.resize(at + utf8.requiredSpace(text.size()));
    const char *end = utf8.appendToBuffer(out.data() + at, text);
    out.truncate(end - out.constData());
}

// Lines longer than 75 octets continue on lines that start with a blank.
void appendFolded(QByteArray &out, QByteArrayView line)
{
    qsizetype start = 0;
    qsizetype room = foldOctets;
    while (line.size() - start > room) {
        qsizetype end = start + room;
        // Never inside a character, nor after a "=": readers take a quoted-printable line that
        // ends in one as continued without the blank.
        while (end > start && (isContinuationByte(line.at(end)) || line.at(end - 1) == '='))
            --end;
        if (end == start)
            end = start + room;
        out += line.sliced(start, end - start);
        out += "\r\n ";
        start = end;
        room = foldOctets - 1;
    }
    out += line.sliced(start);
    out += "\r\n";
}

// Quoted-printable with soft line breaks, each line at most 76 octets.
void appendQuotedPrintable(QByteArray &out, QByteArrayView value, qsizetype firstRoom)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    qsizetype room = qMax<qsizetype>(firstRoom, 8);
    qsizetype used = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        const auto byte = static_cast<unsigned char>(c);
        // Readers drop blanks that end a line, so a value's last blank goes encoded.
        bool encoded
            = byte >= 0x80 || byte < 0x20 || byte == '=' || (byte == ' ' && i + 1 == value.size());
        qsizetype width = encoded ? 3 : 1;
        if (used + width > room - 1) {
            out += "=\r\n";
            used = 0;
            room = quotedPrintableOctets;
            // A blank opening the next line would read as folding and be dropped.
            encoded = encoded || byte == ' ';
            width = encoded ? 3 : 1;
        }
        if (encoded) {
            out += '=';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
        used += width;
    }
}

// Properties only 4.0 defines; 3.0 and 2.1 readers would refuse or misread them.
const QSet<QString> &onlyIn40()
{
    static const QSet<QString> names {
        QStringLiteral("KIND"),   QStringLiteral("GENDER"),       QStringLiteral("ANNIVERSARY"),
        QStringLiteral("MEMBER"), QStringLiteral("RELATED"),      QStringLiteral("LANG"),
        QStringLiteral("XML"),    QStringLiteral("CLIENTPIDMAP"), QStringLiteral("FBURL"),
        QStringLiteral("CALURI"), QStringLiteral("CALADRURI")
    };
    return names;
}

// Properties 4.0 dropped.
const QSet<QString> &notIn40()
{
    static const QSet<QString> names { QStringLiteral("NAME"),  QStringLiteral("PROFILE"),
                                       QStringLiteral("LABEL"), QStringLiteral("MAILER"),
                                       QStringLiteral("CLASS"), QStringLiteral("SORT-STRING"),
                                       QStringLiteral("AGENT") };
    return names;
}

// Parameters only 4.0 defines.
const QSet<QString> &parametersOnlyIn40()
{
    static const QSet<QString> names { QStringLiteral("PREF"),     QStringLiteral("ALTID"),
                                       QStringLiteral("PID"),      QStringLiteral("MEDIATYPE"),
                                       QStringLiteral("CALSCALE"), QStringLiteral("SORT-AS"),
                                       QStringLiteral("GEO"),      QStringLiteral("TZ"),
                                       QStringLiteral("LABEL"),    QStringLiteral("INDEX"),
                                       QStringLiteral("LEVEL"),    QStringLiteral("CC") };
    return names;
}

// Base64 as writers make it, which decodes without a doubt: whole quads of the alphabet, with at
// most two "=" at the end. Checking it costs far less than decoding a photo.
bool isPlainBase64(QStringView text)
{
    if (text.isEmpty() || text.size() % 4 != 0)
        return false;
    qsizetype end = text.size();
    for (int padding = 0; padding < 2 && end > 0 && text.at(end - 1) == u'='; ++padding)
        --end;
    const auto inAlphabet = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')
            || u == '+' || u == '/';
    };
    return std::all_of(text.begin(), text.begin() + end, inAlphabet);
}

// A data: URI with a base64 payload the reader takes, which 3.0 and 2.1 write as binary; any
// other stays a URI, or the reader would refuse the line.
bool isBinary(const QString &value)
{
    if (!value.startsWith(QStringLiteral("data:")))
        return false;
    const qsizetype at = value.indexOf(QStringLiteral(";base64,"));
    if (at < 0)
        return false;
    const QStringView text = QStringView(value).sliced(at + 8);
    if (isPlainBase64(text))
        return true;
    QByteArray payload = text.toLatin1();
    payload.removeIf([](char c) { return c == ' ' || c == '\t'; });
    return bool(QByteArray::fromBase64Encoding(payload, QByteArray::AbortOnBase64DecodingErrors));
}

// 2.1's reader takes a comma outside a list, and a semicolon outside a structured value, as
// part of the text; so they go escaped, and the value reads back as it was kept.
QString escapedFor21(const QString &value, const QString &name)
{
    const bool comma = !CardText::isList(name);
    const bool semicolon = !CardText::isStructured(name);
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\' && i + 1 < value.size()) {
            out += c;
            out += value.at(++i);
            continue;
        }
        if ((c == u',' && comma) || (c == u';' && semicolon))
            out += u'\\';
        out += c;
    }
    return out;
}

// RFC 6868 caret encoding, then quotes where the value holds a separator.
void appendParameterValue(QByteArray &out, const QString &value)
{
    const auto special = [](QChar c) {
        return c == u'^' || c == u'\n' || c == u'"' || c == u'\r' || c == u',' || c == u';'
            || c == u':';
    };
    if (std::none_of(value.begin(), value.end(), special) && value == value.trimmed()) {
        appendUtf8(out, value);
        return;
    }
    QString encoded;
    encoded.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'^')
            encoded += QStringLiteral("^^");
        else if (c == u'\n')
            encoded += QStringLiteral("^n");
        else if (c == u'"')
            encoded += QStringLiteral("^'");
        else if (c != u'\r')
            encoded += c;
    }
    const bool quote = encoded.contains(u',') || encoded.contains(u';') || encoded.contains(u':')
        || encoded != encoded.trimmed();
    if (quote)
        out += '"';
    appendUtf8(out, encoded);
    if (quote)
        out += '"';
}

class PropertyWriter
{
public:
    // keepAll: the kept form, which drops nothing the sender wrote.
    PropertyWriter(QByteArray &out, CardVersion version, bool keepAll = false)
        : m_out(out)
        , m_version(version)
        , m_keepAll(keepAll)
    { }

    void write(const CardProperty &property)
    {
        if (m_version != CardVersion::V40 && onlyIn40().contains(property.name))
            return;
        if (m_version == CardVersion::V40 && notIn40().contains(property.name) && !m_keepAll)
            return;
        m_start = m_out.size();
        if (!property.group.isEmpty()) {
            appendUtf8(m_out, property.group);
            m_out += '.';
        }
        appendUtf8(m_out, property.spelling.isEmpty() ? property.name : property.spelling);
        if (m_version == CardVersion::V40)
            write40(property);
        else
            writeOlder(property);
    }

private:
    // Ends the property's line, written from m_start on, folded where it is too long: most lines
    // are short, and are written once, in place.
    void foldLine()
    {
        if (m_out.size() - m_start <= foldOctets) {
            m_out += "\r\n";
            return;
        }
        const QByteArray line = m_out.sliced(m_start);
        m_out.truncate(m_start);
        appendFolded(m_out, line);
    }

    void write40(const CardProperty &property)
    {
        for (const CardParameter &parameter : property.parameters)
            appendParameter(parameter.name, parameter.values);
        m_out += ':';
        appendUtf8(m_out, property.value);
        foldLine();
    }

    void writeOlder(const CardProperty &property)
    {
        QStringList types = property.types();
        if (property.preference() <= 100)
            types << QStringLiteral("pref");
        QString value = property.value;
        const bool binary = isBinary(value);
        if (binary) {
            const qsizetype comma = value.indexOf(u',');
            if (types.isEmpty()) {
                const QString media = value.mid(5, value.indexOf(u';') - 5);
                types << media.mid(media.indexOf(u'/') + 1).toUpper();
            }
            value = value.mid(comma + 1);
        }
        if (const CardParameter *kind = property.parameter(QStringLiteral("VALUE")); kind
            && kind->values.value(0).compare(u"uri", Qt::CaseInsensitive) == 0
            && value.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive)) {
            // 4.0 numbers as tel: URIs are plain numbers before it.
            value = value.mid(4);
        }
        appendTypes(types);
        for (const CardParameter &parameter : property.parameters) {
            if (parameter.name == u"TYPE" || parametersOnlyIn40().contains(parameter.name))
                continue;
            if (parameter.name == u"VALUE"
                && (binary || property.value.startsWith(QStringLiteral("tel:"))))
                continue;
            appendParameter(parameter.name, parameter.values);
        }
        if (binary)
            writeBinary(value);
        else if (m_version == CardVersion::V21)
            write21Text(escapedFor21(value, property.name));
        else
            writeText(value);
    }

    void appendTypes(const QStringList &types)
    {
        if (types.isEmpty())
            return;
        if (m_version != CardVersion::V21) {
            appendParameter(QStringLiteral("TYPE"), types);
            return;
        }
        // 2.1 writes types as bare words (TEL;CELL); a type that is no plain word, or that a
        // reader would take for an encoding (8BIT), goes as TYPE=… instead.
        QStringList named;
        for (const QString &type : types) {
            if (!isBareWord(type)) {
                named << type;
                continue;
            }
            m_out += ';';
            appendUtf8(m_out, type.toUpper());
        }
        if (!named.isEmpty())
            appendParameter(QStringLiteral("TYPE"), named);
    }

    static bool isBareWord(const QString &type)
    {
        static const QStringList encodings { QStringLiteral("QUOTED-PRINTABLE"),
                                             QStringLiteral("BASE64"), QStringLiteral("B"),
                                             QStringLiteral("8BIT"), QStringLiteral("7BIT") };
        const auto plain
            = [](QChar c) { return (c.unicode() < 128 && c.isLetterOrNumber()) || c == u'-'; };
        return !type.isEmpty() && std::all_of(type.begin(), type.end(), plain)
            && !encodings.contains(type.toUpper());
    }

    void appendParameter(const QString &name, const QStringList &values)
    {
        m_out += ';';
        appendUtf8(m_out, name);
        m_out += '=';
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                m_out += ',';
            appendParameterValue(m_out, values.at(i));
        }
    }

    void writeBinary(const QString &base64)
    {
        m_out += m_version == CardVersion::V21 ? ";ENCODING=BASE64:" : ";ENCODING=b:";
        appendUtf8(m_out, base64);
        foldLine();
        // 2.1 ends a base64 value with a blank line.
        if (m_version == CardVersion::V21)
            m_out += "\r\n";
    }

    void writeText(const QString &value)
    {
        m_out += ':';
        appendUtf8(m_out, value);
        foldLine();
    }

    // 2.1 knows no escaped line breaks: they travel quoted-printable, like any non-ASCII text.
    // Commas stay escaped, because common readers (python-vobject) take a text up to its first
    // unescaped comma.
    void write21Text(const QString &value)
    {
        const QByteArray bytes = withLineBreaks(value).toUtf8();
        bool plain = true;
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x80 || byte == '\r' || byte == '\n' || byte == '=')
                plain = false;
        }
        if (plain) {
            writeText(value);
            return;
        }
        m_out += ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
        appendQuotedPrintable(m_out, bytes, quotedPrintableOctets - (m_out.size() - m_start));
        m_out += "\r\n";
    }

    // "\n" as a real line break; every other escape stays as it is, so "\\n" is a backslash and
    // an n.
    static QString withLineBreaks(const QString &value)
    {
        QString text;
        text.reserve(value.size());
        for (qsizetype i = 0; i < value.size(); ++i) {
            const QChar c = value.at(i);
            if (c != u'\\' || i + 1 == value.size()) {
                text += c;
                continue;
            }
            const QChar next = value.at(++i);
            if (next == u'n' || next == u'N') {
                text += QStringLiteral("\r\n");
            } else {
                text += c;
                text += next;
            }
        }
        return text;
    }

    QByteArray &m_out;
    CardVersion m_version;
    bool m_keepAll;
    // Where the property being written starts in m_out.
    qsizetype m_start = 0;
};

QByteArrayView versionText(CardVersion version)
{
    switch (version) {
    case CardVersion::V40:
        return "4.0";
    case CardVersion::V21:
        return "2.1";
    case CardVersion::V30:
        break;
    }
    return "3.0";
}

// A name for a card that has none of the properties its version requires.
QString fallbackName(const Card &card)
{
    const qsizetype n = card.first(QStringLiteral("N"));
    if (n >= 0) {
        const QStringList parts = card.properties.at(n).components();
        const QString name = PersonName::join(parts.value(0).trimmed(), parts.value(1).trimmed());
        if (!name.isEmpty())
            return name;
    }
    for (const char *name : { "ORG", "EMAIL", "TEL" }) {
        const qsizetype at = card.first(QString::fromLatin1(name));
        if (at >= 0)
            return card.properties.at(at).components().value(0).trimmed();
    }
    return {};
}

} // namespace

namespace CardWriter {

void append(QByteArray &out, const Card &card, CardVersion version)
{
    out += "BEGIN:VCARD\r\nVERSION:";
    out += versionText(version);
    out += "\r\n";
    PropertyWriter writer(out, version);
    // FN is required by 3.0 and 4.0, N by 2.1 and 3.0.
    if (version != CardVersion::V21 && card.first(QStringLiteral("FN")) < 0) {
        CardProperty fn { {}, QStringLiteral("FN"), {}, {} };
        fn.setText(fallbackName(card));
        writer.write(fn);
    }
    if (version != CardVersion::V40 && card.first(QStringLiteral("N")) < 0) {
        CardProperty n { {}, QStringLiteral("N"), {}, {} };
        n.setComponents({ fallbackName(card), {}, {}, {}, {} });
        writer.write(n);
    }
    for (const CardProperty &property : card.properties)
        writer.write(property);
    out += "END:VCARD\r\n";
}

QByteArray write(const Card &card, CardVersion version)
{
    QByteArray out;
    out.reserve(512);
    append(out, card, version);
    return out;
}

QByteArray keep(const Card &card)
{
    QByteArray out;
    out.reserve(512);
    out += "BEGIN:VCARD\r\nVERSION:4.0\r\nX-ZORVANE-VERSION:";
    out += versionText(card.sourceVersion);
    out += "\r\n";
    PropertyWriter writer(out, CardVersion::V40, true);
    for (const CardProperty &property : card.properties)
        writer.write(property);
    out += "END:VCARD\r\n";
    return out;
}

} // namespace CardWriter
