#include "SyncCard.h"

#include "interchange/VCardMapping.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"

namespace {

QByteArray propertyName(const QByteArray &line)
{
    qsizetype end = 0;
    while (end < line.size() && line.at(end) != ':' && line.at(end) != ';')
        ++end;
    const QByteArray name = line.left(end).trimmed().toUpper();
    return name.mid(name.lastIndexOf('.') + 1);
}

// Written afresh with every card, so not kept: a stale REV or PRODID would mislead the reader.
bool isWrittenAfresh(const QByteArray &name)
{
    return name == "VERSION" || name == "PRODID" || name == "REV" || name == "UID";
}

} // namespace

Result<SyncCard> SyncCard::parse(const QByteArray &bytes)
{
    const VCardReader::Output read = VCardReader::read(bytes, VCardReader::Others::Keep);
    if (read.cards.isEmpty())
        return Status::failure(read.problems.isEmpty() ? QStringLiteral("不是名片")
                                                       : read.problems.first().reason);
    const VCard &card = read.cards.first();
    SyncCard out;
    QString reason;
    if (!VCardMapping::toContact(card, out.contact, reason))
        return Status::failure(reason);
    for (const QByteArray &line : card.otherLines) {
        const QByteArray name = propertyName(line);
        if (name == "UID")
            out.uid = QString::fromUtf8(line.mid(line.indexOf(':') + 1)).trimmed();
        else if (!isWrittenAfresh(name))
            out.keptLines << line;
    }
    return out;
}

QByteArray SyncCard::write() const
{
    QList<QByteArray> lines = keptLines;
    lines.prepend("UID:" + uid.toUtf8());
    return VCardWriter::write(contact, CardFormat::VCard30, lines);
}

SyncCard SyncCard::withContact(const ContactRecord &other) const
{
    SyncCard card = *this;
    card.contact = other;
    return card;
}
