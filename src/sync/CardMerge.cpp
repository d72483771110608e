#include "CardMerge.h"

#include <QStringList>

namespace {

struct Field
{
    QString label;
    QString ContactRecord::*member;
};

const QList<Field> &textFields()
{
    static const QList<Field> fields {
        { QStringLiteral("姓氏"), &ContactRecord::firstName },
        { QStringLiteral("名字"), &ContactRecord::lastName },
        { QStringLiteral("职务"), &ContactRecord::title },
        { QStringLiteral("关系类别"), &ContactRecord::type },
        { QStringLiteral("公司"), &ContactRecord::companyName },
        { QStringLiteral("地址"), &ContactRecord::address1 },
        { QStringLiteral("地址2"), &ContactRecord::address2 },
        { QStringLiteral("地址3"), &ContactRecord::address3 },
        { QStringLiteral("邮编"), &ContactRecord::postcode },
        { QStringLiteral("电子邮件"), &ContactRecord::email },
        { QStringLiteral("网址"), &ContactRecord::website },
    };
    return fields;
}

// The numbers merge as one list: a card does not keep the empty slots between them, so the
// slot a number sits in says nothing.
QStringList numbers(const ContactRecord &record)
{
    QStringList out;
    for (int i = 0; i < 4; ++i) {
        if (!record.numbers[i].isEmpty())
            out << record.labels[i] + u'：' + record.numbers[i];
    }
    return out;
}

void takeNumbers(ContactRecord &into, const ContactRecord &from)
{
    into.numbers = from.numbers;
    into.labels = from.labels;
}

class Merger
{
public:
    Merger(const ContactRecord &base, const ContactRecord &local, const ContactRecord &remote)
        : m_base(base)
        , m_local(local)
        , m_remote(remote)
        , m_merged(local)
    { }

    ContactRecord run()
    {
        for (const Field &f : textFields())
            mergeText(f);
        mergeNumbers();
        mergeNotes();
        return m_merged;
    }

private:
    void mergeText(const Field &f)
    {
        const QString &base = m_base.*f.member;
        const QString &remote = m_remote.*f.member;
        const QString &local = m_local.*f.member;
        if (remote == base || remote == local)
            return;
        if (local == base)
            m_merged.*f.member = remote;
        else
            conflict(f.label, remote);
    }

    void mergeNumbers()
    {
        const QStringList base = numbers(m_base);
        const QStringList remote = numbers(m_remote);
        if (remote == base || remote == numbers(m_local))
            return;
        if (numbers(m_local) == base)
            takeNumbers(m_merged, m_remote);
        else
            conflict(QStringLiteral("电话"), remote.join(QStringLiteral("，")));
    }

    void mergeNotes()
    {
        const QString &base = m_base.notes;
        const QString &remote = m_remote.notes;
        QString notes = m_local.notes;
        if (remote != base && remote != m_local.notes) {
            if (m_local.notes == base)
                notes = remote;
            else
                m_lines.prepend(label(QStringLiteral("备注"), remote));
        }
        if (!m_lines.isEmpty())
            notes += (notes.isEmpty() ? QString() : QStringLiteral("\n")) + m_lines.join(u'\n');
        m_merged.notes = notes;
    }

    void conflict(const QString &name, const QString &remote) { m_lines << label(name, remote); }

    static QString label(const QString &name, const QString &value)
    {
        return QStringLiteral("服务器上的%1：%2").arg(name, value);
    }

    ContactRecord m_base;
    ContactRecord m_local;
    ContactRecord m_remote;
    ContactRecord m_merged;
    QStringList m_lines;
};

} // namespace

namespace CardMerge {

ContactRecord merge(const ContactRecord &base, const ContactRecord &local,
                    const ContactRecord &remote)
{
    return Merger(base, local, remote).run();
}

} // namespace CardMerge
