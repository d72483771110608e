#include "VCardWriter.h"

#include "PersonName.h"
#include "VCardMapping.h"

namespace {

constexpr qsizetype foldOctets = 75;
constexpr qsizetype quotedPrintableOctets = 76;

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
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
        // Bytes that are no UTF-8 (a kept line as a sender wrote it) fold anywhere.
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

// 2.1 knows no escaped line breaks: its line breaks travel quoted-printable. Its commas are
// escaped all the same, because common readers (python-vobject) take a text up to its first
// unescaped comma. Works on UTF-8, whose multi-byte characters never hold these ASCII bytes.
void appendEscaped(QByteArray &out, const QString &text, CardFormat version)
{
    const QByteArray bytes = text.toUtf8();
    const qsizetype size = bytes.size();
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes.at(i);
        if (c != '\\' && c != ';' && c != ',' && c != '\r' && c != '\n')
            continue;
        out += QByteArrayView(bytes).sliced(plainFrom, i - plainFrom);
        plainFrom = i + 1;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < size && bytes.at(i + 1) == '\n')
                plainFrom = ++i + 1;
            out += version == CardFormat::VCard21 ? "\r\n" : "\\n";
        } else {
            out += '\\';
            out += c;
        }
    }
    out += QByteArrayView(bytes).sliced(plainFrom);
}

bool needsQuotedPrintable(QByteArrayView value)
{
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || byte == '\r' || byte == '\n' || byte == '=')
            return true;
    }
    return false;
}

// Quoted-printable with soft line breaks, each line at most 76 octets.
void appendQuotedPrintable(QByteArray &out, QByteArrayView value, qsizetype firstRoom)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    qsizetype room = firstRoom;
    qsizetype used = 0;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        const bool encoded = byte >= 0x80 || byte < 0x20 || byte == '=';
        const qsizetype width = encoded ? 3 : 1;
        if (used + width > room - 1) {
            out += "=\r\n";
            used = 0;
            room = quotedPrintableOctets;
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

// Builds one card into the output; each property's value is gathered first, because 2.1 decides
// from the whole value whether it travels quoted-printable.
class CardBuilder
{
public:
    CardBuilder(CardFormat version, QByteArray &out)
        : m_version(version)
        , m_out(out)
    { }

    void addText(QByteArrayView name, const QString &value, QByteArrayView parameters = {})
    {
        m_value.clear();
        appendEscaped(m_value, value, m_version);
        add(name, parameters);
    }

    void addIfAny(QByteArrayView name, const QString &value, QByteArrayView parameters = {})
    {
        if (!value.isEmpty())
            addText(name, value, parameters);
    }

    void addStructured(QByteArrayView name, std::initializer_list<const QString *> parts,
                       QByteArrayView parameters = {})
    {
        m_value.clear();
        bool first = true;
        for (const QString *part : parts) {
            if (!first)
                m_value += ';';
            first = false;
            if (part)
                appendEscaped(m_value, *part, m_version);
        }
        add(name, parameters);
    }

    QByteArray types(const QStringList &types) const
    {
        QByteArray out;
        for (const QString &type : types) {
            if (m_version == CardFormat::VCard21) {
                out += ';';
                out += type.toLatin1();
            } else {
                out += out.isEmpty() ? ";TYPE=" : ",";
                out += type.toLatin1().toLower();
            }
        }
        return out;
    }

private:
    void add(QByteArrayView name, QByteArrayView parameters)
    {
        if (m_version != CardFormat::VCard21) {
            if (name.size() + parameters.size() + 1 + m_value.size() <= foldOctets) {
                appendLine(name, parameters, m_value);
                return;
            }
            m_line.clear();
            m_line += name;
            m_line += parameters;
            m_line += ':';
            m_line += m_value;
            appendFolded(m_out, m_line);
            return;
        }
        if (!needsQuotedPrintable(m_value)) {
            appendLine(name, parameters, m_value);
            return;
        }
        const QByteArrayView encoding = ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
        m_out += name;
        m_out += parameters;
        m_out += encoding;
        appendQuotedPrintable(m_out, m_value,
                              quotedPrintableOctets - name.size() - parameters.size()
                                  - encoding.size());
        m_out += "\r\n";
    }

    void appendLine(QByteArrayView name, QByteArrayView parameters, QByteArrayView value)
    {
        m_out += name;
        m_out += parameters;
        m_out += ':';
        m_out += value;
        m_out += "\r\n";
    }

    CardFormat m_version;
    QByteArray &m_out;
    QByteArray m_value;
    QByteArray m_line;
};

QByteArrayView versionText(CardFormat version)
{
    switch (version) {
    case CardFormat::VCard40:
        return "4.0";
    case CardFormat::VCard21:
        return "2.1";
    default:
        return "3.0";
    }
}

QByteArray labelParameter(const QString &label)
{
    QString value = label;
    value.remove(u'"');
    return ";X-ZORVANE-LABEL=\"" + value.toUtf8() + '"';
}

} // namespace

namespace VCardWriter {

void append(QByteArray &out, const ContactRecord &contact, CardFormat version,
            const QList<QByteArray> &otherLines)
{
    CardBuilder card(version, out);
    out += "BEGIN:VCARD\r\nVERSION:";
    out += versionText(version);
    out += "\r\n";
    const QString none;
    card.addStructured("N", { &contact.firstName, &contact.lastName, &none, &none, &none });
    card.addText("FN", PersonName::join(contact.firstName, contact.lastName));
    card.addIfAny("ORG", contact.companyName);
    card.addIfAny("TITLE", contact.title);
    if (!contact.address1.isEmpty() || !contact.address2.isEmpty() || !contact.postcode.isEmpty()) {
        card.addStructured(
            "ADR",
            { &none, &none, &contact.address1, &contact.address2, &none, &contact.postcode, &none },
            version == CardFormat::VCard21 ? ";WORK" : ";TYPE=work");
    }
    for (int i = 0; i < 4; ++i) {
        if (contact.numbers[i].isEmpty())
            continue;
        const QString &label = contact.labels[i];
        const QStringList types = VCardMapping::typesForLabel(label);
        QByteArray parameters = card.types(types);
        // A label no type names travels in a parameter of our own, so it comes back unchanged.
        if (VCardMapping::labelForTypes(types) != label)
            parameters += labelParameter(label);
        card.addText("TEL", contact.numbers[i], parameters);
    }
    const QByteArrayView emailTypes = version == CardFormat::VCard40 ? ""
        : version == CardFormat::VCard21                             ? ";INTERNET"
                                                                     : ";TYPE=internet";
    card.addIfAny("EMAIL", contact.email, emailTypes);
    card.addIfAny("URL", contact.website);
    card.addIfAny("NOTE", contact.notes);
    card.addIfAny("CATEGORIES", contact.type);
    for (const QByteArray &line : otherLines)
        appendFolded(out, line);
    out += "END:VCARD\r\n";
}

QByteArray write(const ContactRecord &contact, CardFormat version,
                 const QList<QByteArray> &otherLines)
{
    QByteArray out;
    out.reserve(512);
    append(out, contact, version, otherLines);
    return out;
}

} // namespace VCardWriter
