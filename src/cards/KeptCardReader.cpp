#include "KeptCardReader.h"

#include "CardSyntax.h"

#include <QStringList>
#include <algorithm>

namespace {

// Far larger than a kept card; the general reader refuses over-long lines in its own way.
constexpr qsizetype maxKeptBytes = 1024 * 1024;

bool isNameText(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), CardSyntax::isNameChar);
}

QList<QByteArrayView> split(QByteArrayView text, char separator)
{
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype at; (at = text.indexOf(separator, start)) >= 0; start = at + 1)
        parts << text.sliced(start, at - start);
    parts << text.sliced(start);
    return parts;
}

// The names nearly every card holds, in the upper case the writer keeps them in: shared
// instead of made again for each line.
QString upperName(QByteArrayView written)
{
    static const QStringList common {
        QStringLiteral("N"),          QStringLiteral("FN"),        QStringLiteral("TEL"),
        QStringLiteral("EMAIL"),      QStringLiteral("ADR"),       QStringLiteral("ORG"),
        QStringLiteral("TITLE"),      QStringLiteral("NOTE"),      QStringLiteral("URL"),
        QStringLiteral("BDAY"),       QStringLiteral("PHOTO"),     QStringLiteral("NICKNAME"),
        QStringLiteral("UID"),        QStringLiteral("TYPE"),      QStringLiteral("PREF"),
        QStringLiteral("CATEGORIES"), QStringLiteral("X-ABLABEL"), QStringLiteral("REV"),
    };
    for (const QString &name : common) {
        if (name.size() == written.size() && name.front() == QLatin1Char(written.front())
            && QLatin1StringView(written) == name)
            return name;
    }
    return QString::fromLatin1(written).toUpper();
}

class Lines
{
public:
    explicit Lines(QByteArrayView text)
        : m_text(text)
    { }

    // The next logical line, its folds joined; false at the end or at anything unusual.
    bool next(QByteArrayView &line)
    {
        if (!take(line))
            return false;
        if (folded()) {
            m_joined = line.toByteArray();
            QByteArrayView fold;
            while (folded()) {
                if (!take(fold))
                    return false;
                m_joined += fold.sliced(1);
            }
            line = m_joined;
        }
        return CardSyntax::startsProperty(line);
    }

private:
    // The physical line from m_at; false unless it ends in CR LF and holds no other line end.
    bool take(QByteArrayView &line)
    {
        const qsizetype end = m_text.indexOf('\r', m_at);
        if (end < 0 || end + 1 == m_text.size() || m_text.at(end + 1) != '\n')
            return false;
        line = m_text.sliced(m_at, end - m_at);
        m_at = end + 2;
        return !line.isEmpty() && !line.contains('\n');
    }

    bool folded() const
    {
        return m_at < m_text.size() && (m_text.at(m_at) == ' ' || m_text.at(m_at) == '\t');
    }

    QByteArrayView m_text;
    qsizetype m_at = 0;
    QByteArray m_joined;
};

// NAME=value,value; false for the forms only the general reader takes.
bool addParameter(CardProperty &property, QStringList &types, QByteArrayView parameter)
{
    const qsizetype equals = parameter.indexOf('=');
    if (equals <= 0)
        return false;
    const QByteArrayView key = parameter.first(equals);
    if (!isNameText(key))
        return false;
    const QString name = upperName(key);
    if (name == u"CHARSET" || name == u"ENCODING")
        return false;
    QStringList values;
    for (const QByteArrayView part : split(parameter.sliced(equals + 1), ',')) {
        // The reader trims what stands around a parameter's value.
        if (part.trimmed().size() != part.size())
            return false;
        values << QString::fromUtf8(part);
    }
    if (name != u"TYPE") {
        property.setParameter(name, values);
        return true;
    }
    for (const QString &value : std::as_const(values)) {
        const QString type = value.trimmed();
        if (type.compare(u"pref", Qt::CaseInsensitive) == 0)
            return false;
        if (!type.isEmpty())
            types << type;
    }
    return true;
}

// False for a line the general reader would report, or read in a way of its own.
bool addLine(Card &card, QByteArrayView line)
{
    // One pass over the name and parameters: where the name's group and the parameters start,
    // and whether anything needs the reader's care.
    qsizetype colon = -1;
    qsizetype nameEnd = -1;
    qsizetype dot = -1;
    for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
        switch (line.at(i)) {
        case ':':
            colon = i;
            break;
        case '"':
        case '^':
            return false;
        case ';':
            if (nameEnd < 0)
                nameEnd = i;
            break;
        case '.':
            if (nameEnd < 0)
                dot = i;
            break;
        default:
            break;
        }
    }
    if (colon <= 0)
        return false;
    const QByteArrayView header = line.first(colon);
    const QByteArrayView fullName = nameEnd < 0 ? header : header.first(nameEnd);
    const QByteArrayView group = dot < 0 ? QByteArrayView() : fullName.first(dot);
    const QByteArrayView written = fullName.sliced(dot + 1);
    if (written.isEmpty() || !isNameText(written) || !isNameText(group))
        return false;
    const QString name = upperName(written);
    if (name == u"BEGIN" || name == u"END")
        return false;
    const QByteArrayView value = line.sliced(colon + 1);
    // The reader keeps a backslash ending a value as an escaped one.
    if (CardSyntax::endsWithOddBackslashes(value))
        return false;
    if (name == u"VERSION" || name == u"X-ZORVANE-VERSION") {
        // Only 4.0 text is read alike by both readers: 2.1 escapes differently.
        if (name == u"VERSION" && value != "4.0")
            return false;
        card.sourceVersion = CardSyntax::versionOf(value);
        return true;
    }
    CardProperty property;
    property.group = QString::fromLatin1(group);
    property.name = name;
    if (QLatin1StringView(written) != name)
        property.spelling = QString::fromLatin1(written);
    QStringList types;
    if (nameEnd >= 0) {
        for (const QByteArrayView parameter : split(header.sliced(nameEnd + 1), ';')) {
            if (!addParameter(property, types, parameter))
                return false;
        }
    }
    if (!types.isEmpty())
        property.parameters.prepend({ QStringLiteral("TYPE"), types });
    property.value = QString::fromUtf8(value);
    card.properties << std::move(property);
    return true;
}

} // namespace

namespace KeptCardReader {

bool read(QByteArrayView kept, Card &card)
{
    if (kept.size() > maxKeptBytes)
        return false;
    Lines lines(kept);
    QByteArrayView line;
    if (!lines.next(line) || line != "BEGIN:VCARD")
        return false;
    card = Card();
    card.sourceVersion = CardVersion::V30;
    // Room for a phone's card, so it is not moved while it grows.
    card.properties.reserve(24);
    while (lines.next(line)) {
        // Lines start with a name, so only one named BEGIN or END can open or close a card.
        if (const char initial = char(line.front() & ~0x20); initial == 'B' || initial == 'E') {
            const QByteArrayView trimmed = line.trimmed();
            if (trimmed.compare("END:VCARD", Qt::CaseInsensitive) == 0)
                return true;
            if (trimmed.compare("BEGIN:VCARD", Qt::CaseInsensitive) == 0)
                return false;
        }
        if (!addLine(card, line))
            return false;
    }
    return false;
}

} // namespace KeptCardReader
