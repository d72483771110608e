#include "ContactBuilder.h"

#include "contacts/ContactGroup.h"

namespace {

// The file counts characters, not UTF-16 units.
QString firstCharacters(const QString &text, int limit)
{
    qsizetype units = 0;
    for (int characters = 0; units < text.size() && characters < limit; ++characters)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return text.left(units);
}

QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line.trimmed();
}

} // namespace

QString ContactBuilder::joined(const QStringList &parts)
{
    QStringList kept;
    for (const QString &part : parts) {
        if (!part.trimmed().isEmpty())
            kept << part.trimmed();
    }
    return kept.join(QLatin1Char(' '));
}

void ContactBuilder::fit(QString &field, const QString &value, int limit, const QString &label)
{
    const QString text = oneLine(value);
    if (text.toUcs4().size() <= limit) {
        field = text;
        return;
    }
    field = firstCharacters(text, limit);
    overflow(label, text);
}

void ContactBuilder::overflow(const QString &label, const QString &value)
{
    m_overflow << label + QStringLiteral("：") + value;
}

void ContactBuilder::setNames(const QString &family, const QString &given)
{
    fit(m_record.firstName, family, 25, QStringLiteral("姓氏"));
    fit(m_record.lastName, given, 25, QStringLiteral("名字"));
}

void ContactBuilder::setTitle(const QString &title)
{
    fit(m_record.title, title, 25, QStringLiteral("职务"));
}

void ContactBuilder::addGroup(const QString &group)
{
    const QString name = oneLine(group);
    if (name.isEmpty())
        return;
    if (m_hasGroup) {
        overflow(QStringLiteral("关系类别"), name);
        return;
    }
    m_hasGroup = true;
    fit(m_record.type, ContactGroup::clean(name), 25, QStringLiteral("关系类别"));
}

void ContactBuilder::setCompany(const QString &company)
{
    fit(m_record.companyName, company, 100, QStringLiteral("公司"));
}

void ContactBuilder::addAddress(const QString &line1, const QString &line2, const QString &postcode)
{
    if (joined({ line1, line2, postcode }).isEmpty())
        return;
    if (m_hasAddress) {
        overflow(QStringLiteral("地址"), joined({ oneLine(line1), oneLine(line2), postcode }));
        return;
    }
    m_hasAddress = true;
    fit(m_record.address1, line1, 100, QStringLiteral("地址"));
    fit(m_record.address2, line2, 100, QStringLiteral("地址"));
    fit(m_record.postcode, postcode, 10, QStringLiteral("邮编"));
}

void ContactBuilder::setAddress3(const QString &line3)
{
    fit(m_record.address3, line3, 100, QStringLiteral("地址"));
}

void ContactBuilder::addNumber(const QString &label, const QString &number)
{
    const QString text = oneLine(number);
    if (text.isEmpty())
        return;
    if (m_numbers == 4) {
        overflow(label, text);
        return;
    }
    setNumberAt(m_numbers, label, text);
}

void ContactBuilder::setNumberAt(int slot, const QString &label, const QString &number)
{
    fit(m_record.labels[slot], label, 25, QStringLiteral("类别"));
    fit(m_record.numbers[slot], number, 50, m_record.labels[slot]);
    m_numbers = qMax(m_numbers, slot + 1);
}

void ContactBuilder::addEmail(const QString &email)
{
    const QString text = oneLine(email);
    if (text.isEmpty())
        return;
    if (!m_record.email.isEmpty())
        overflow(QStringLiteral("电子邮件"), text);
    else
        fit(m_record.email, text, 100, QStringLiteral("电子邮件"));
}

void ContactBuilder::addWebsite(const QString &website)
{
    const QString text = oneLine(website);
    if (text.isEmpty())
        return;
    if (!m_record.website.isEmpty())
        overflow(QStringLiteral("主页"), text);
    else
        fit(m_record.website, text, 100, QStringLiteral("主页"));
}

void ContactBuilder::addNotes(const QString &notes)
{
    QString text = notes;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.isEmpty())
        return;
    m_record.notes = m_record.notes.isEmpty() ? text : m_record.notes + u'\n' + text;
}

ContactRecord ContactBuilder::take()
{
    if (!m_hasGroup)
        m_record.type = ContactGroup::defaultName();
    if (!m_overflow.isEmpty())
        addNotes(m_overflow.join(QLatin1Char('\n')));
    m_overflow.clear();
    return m_record;
}
