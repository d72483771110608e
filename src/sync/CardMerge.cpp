#include "CardMerge.h"

#include <QStringList>

namespace {

using Field = QString ContactRecord::*;

const QList<Field> &textFields()
{
    static const QList<Field> fields {
        &ContactRecord::firstName, &ContactRecord::lastName,    &ContactRecord::title,
        &ContactRecord::type,      &ContactRecord::companyName, &ContactRecord::address1,
        &ContactRecord::address2,  &ContactRecord::address3,    &ContactRecord::postcode,
        &ContactRecord::email,     &ContactRecord::website,     &ContactRecord::notes,
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
        for (const Field field : textFields())
            mergeText(field);
        mergeNumbers();
        return m_merged;
    }

private:
    void mergeText(Field field)
    {
        const QString &base = m_base.*field;
        const QString &remote = m_remote.*field;
        const QString &local = m_local.*field;
        if (remote != base && local == base)
            m_merged.*field = remote;
    }

    void mergeNumbers()
    {
        const QStringList base = numbers(m_base);
        const QStringList remote = numbers(m_remote);
        if (remote == base || remote == numbers(m_local))
            return;
        if (numbers(m_local) == base)
            takeNumbers(m_merged, m_remote);
    }

    ContactRecord m_base;
    ContactRecord m_local;
    ContactRecord m_remote;
    ContactRecord m_merged;
};

} // namespace

namespace CardMerge {

ContactRecord merge(const ContactRecord &base, const ContactRecord &local,
                    const ContactRecord &remote)
{
    return Merger(base, local, remote).run();
}

} // namespace CardMerge
