#include "VCardWriter.h"

#include "PersonName.h"
#include "VCardMapping.h"

namespace {

constexpr qsizetype foldOctets = 75;

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Lines longer than 75 octets continue on lines that start with a blank.
QByteArray folded(const QByteArray &line)
{
    QByteArray out;
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
        out += line.mid(start, end - start) + "\r\n ";
        start = end;
        room = foldOctets - 1;
    }
    return out + line.mid(start) + "\r\n";
}

// 2.1 knows no escaped line breaks: its line breaks travel quoted-printable. Its commas are
// escaped all the same, because common readers (python-vobject) take a text up to its first
// unescaped comma.
QString escaped(const QString &text, CardFormat version)
{
    const bool v21 = version == CardFormat::VCard21;
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(u'\r', u'\n');
    QString out;
    out.reserve(plain.size());
    for (const QChar c : plain) {
        if (c == u'\\' || c == u';' || c == u',')
            out += u'\\';
        if (c == u'\n')
            out += v21 ? QStringLiteral("\r\n") : QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

bool needsQuotedPrintable(const QByteArray &value)
{
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || byte == '\r' || byte == '\n' || byte == '=')
            return true;
    }
    return false;
}

// Quoted-printable with soft line breaks, each line at most 76 octets.
QByteArray quotedPrintable(const QByteArray &line, qsizetype firstRoom)
{
    QByteArray out;
    qsizetype room = firstRoom;
    qsizetype used = 0;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        QByteArray piece;
        if (byte >= 0x80 || byte < 0x20 || byte == '=')
            piece = '=' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        else
            piece = QByteArray(1, c);
        if (used + piece.size() > room - 1) {
            out += "=\r\n";
            used = 0;
            room = 76;
        }
        out += piece;
        used += piece.size();
    }
    return out;
}

class CardBuilder
{
public:
    explicit CardBuilder(CardFormat version)
        : m_version(version)
    { }

    QString escape(const QString &text) const { return escaped(text, m_version); }

    QString structured(const QStringList &parts) const
    {
        QStringList out;
        for (const QString &part : parts)
            out << escape(part);
        return out.join(u';');
    }

    // value is already escaped.
    void add(const QByteArray &name, const QString &value, const QByteArray &parameters = {})
    {
        const QByteArray head = name + parameters;
        const QByteArray bytes = value.toUtf8();
        if (m_version != CardFormat::VCard21) {
            m_out += folded(head + ':' + bytes);
            return;
        }
        if (!needsQuotedPrintable(bytes)) {
            m_out += head + ':' + bytes + "\r\n";
            return;
        }
        const QByteArray qpHead = head + ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
        m_out += qpHead + quotedPrintable(bytes, 76 - qpHead.size()) + "\r\n";
    }

    void addIfAny(const QByteArray &name, const QString &value, const QByteArray &parameters = {})
    {
        if (!value.isEmpty())
            add(name, escape(value), parameters);
    }

    QByteArray types(const QStringList &types) const
    {
        if (types.isEmpty())
            return {};
        if (m_version == CardFormat::VCard21)
            return ';' + types.join(u';').toLatin1();
        return ";TYPE=" + types.join(u',').toLatin1().toLower();
    }

    QByteArray take() { return std::move(m_out); }

private:
    CardFormat m_version;
    QByteArray m_out;
};

QByteArray versionText(CardFormat version)
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

QByteArray write(const ContactRecord &contact, CardFormat version)
{
    return write(contact, version, {});
}

QByteArray write(const ContactRecord &contact, CardFormat version,
                 const QList<QByteArray> &otherLines)
{
    CardBuilder card(version);
    QByteArray out = "BEGIN:VCARD\r\nVERSION:" + versionText(version) + "\r\n";
    card.add(
        "N",
        card.structured({ contact.firstName, contact.lastName, QString(), QString(), QString() }));
    card.add("FN", card.escape(PersonName::join(contact.firstName, contact.lastName)));
    card.addIfAny("ORG", contact.companyName);
    card.addIfAny("TITLE", contact.title);
    if (!(contact.address1 + contact.address2 + contact.postcode).isEmpty()) {
        card.add("ADR",
                 card.structured({ QString(), QString(), contact.address1, contact.address2,
                                   QString(), contact.postcode, QString() }),
                 card.types({ QStringLiteral("WORK") }));
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
        card.add("TEL", card.escape(contact.numbers[i]), parameters);
    }
    card.addIfAny("EMAIL", contact.email,
                  version == CardFormat::VCard40 ? QByteArray()
                                                 : card.types({ QStringLiteral("INTERNET") }));
    card.addIfAny("URL", contact.website);
    card.addIfAny("NOTE", contact.notes);
    card.addIfAny("CATEGORIES", contact.type);
    out += card.take();
    for (const QByteArray &line : otherLines)
        out += folded(line);
    return out + "END:VCARD\r\n";
}

} // namespace VCardWriter
