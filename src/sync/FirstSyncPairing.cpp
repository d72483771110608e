#include "FirstSyncPairing.h"

namespace {

QString nameKey(const ContactRecord &contact)
{
    return contact.firstName.simplified() + u'\n' + contact.lastName.simplified();
}

// Digits only, without the country code a phone may add: "+86 138-0000-0000" is 13800000000.
QString normalisedNumber(const QString &number)
{
    QString digits;
    for (const QChar c : number) {
        if (c.isDigit())
            digits += c;
    }
    for (const QString &country : { QStringLiteral("0086"), QStringLiteral("86") }) {
        if (digits.size() > 11 && digits.startsWith(country))
            return digits.mid(country.size());
    }
    return digits;
}

QSet<QString> reachedAt(const ContactRecord &contact)
{
    QSet<QString> out;
    for (const QString &number : contact.numbers) {
        const QString digits = normalisedNumber(number);
        if (!digits.isEmpty())
            out.insert(digits);
    }
    const QString email = contact.email.trimmed().toLower();
    if (!email.isEmpty())
        out.insert(email);
    return out;
}

} // namespace

FirstSyncPairing::FirstSyncPairing(const QList<ContactRecord> &unlinked,
                                   const QHash<QString, qint64> &keptUids)
    : m_byUid(keptUids)
{
    for (const ContactRecord &contact : unlinked)
        m_byName[nameKey(contact)].append(contact);
}

FirstSyncPairing::Match FirstSyncPairing::claim(const ContactRecord &card, const QString &uid)
{
    if (const auto same = m_byUid.constFind(uid); !uid.isEmpty() && same != m_byUid.cend()) {
        if (m_claimed.contains(*same))
            return { 0, true };
        m_claimed.insert(*same);
        return { *same, false };
    }
    const auto namesakes = m_byName.constFind(nameKey(card));
    if (namesakes == m_byName.cend())
        return {};
    const QSet<QString> cardReachedAt = reachedAt(card);
    QList<qint64> fitting;
    for (const ContactRecord &contact : *namesakes) {
        if (reachedAt(contact).intersects(cardReachedAt))
            fitting << contact.id;
    }
    if (fitting.isEmpty())
        return {};
    if (fitting.size() > 1 || m_claimed.contains(fitting.first()))
        return { 0, true };
    m_claimed.insert(fitting.first());
    return { fitting.first(), false };
}
