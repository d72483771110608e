#include "CardFileReader.h"

#include "CsvCards.h"
#include "CsvFileReader.h"
#include "cards/CardProjection.h"
#include "cards/CardReader.h"
#include "cards/CardWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>

namespace {

// The placeholder and the template names are never imported.
bool accept(const ContactRecord &contact, QString &reason)
{
    if (!ContactNames::isReserved(contact.firstName, contact.lastName))
        return true;
    reason = QStringLiteral("“%1”是程序保留的名字").arg(contact.displayName());
    return false;
}

// Larger than any address book; a larger file is no card file.
constexpr qint64 maxFileBytes = 256 * 1024 * 1024;

// The kept form of a card read from the file, held until the import writes it, without the
// spare room its making left.
QByteArray keptForm(const Card &card)
{
    QByteArray kept = CardWriter::keep(card);
    kept.squeeze();
    return kept;
}

// Group cards (KIND:group, Apple's X-ADDRESSBOOKSERVER-KIND:group) name no person: their
// members take the group's name as their relationship group.
void applyGroupCards(CardFileReader::Contents &contents, const QList<Card> &groups,
                     const QHash<QString, qsizetype> &byUid)
{
    for (const Card &group : groups) {
        const QString name = group.firstText(QStringLiteral("FN"));
        if (name.isEmpty())
            continue;
        for (const QString &member : CardProjection::memberUids(group)) {
            const qsizetype at = byUid.value(member, -1);
            if (at < 0)
                continue;
            Card card = CardReader::readAll(contents.cards.at(at)).value(0);
            ContactRecord before = CardProjection::project(card);
            ContactRecord after = before;
            after.type = name;
            CardProjection::apply(card, before, after);
            contents.contacts[at] = CardProjection::project(card);
            contents.cards[at] = keptForm(card);
        }
    }
}

// Cards between two reports of progress.
constexpr int progressStep = 1000;

Result<CardFileReader::Contents> fromVCards(QIODevice &device,
                                            const CardFileReader::Progress &onProgress)
{
    CardReader reader(device);
    CardFileReader::Contents contents;
    QList<Card> groups;
    QHash<QString, qsizetype> byUid;
    Card card;
    const qint64 total = device.size();
    for (int count = 1; reader.next(card); ++count) {
        if (onProgress && count % progressStep == 0 && !onProgress(device.pos(), total))
            return Status::failure(QStringLiteral("已取消，没有导入任何联系人。"));
        if (CardProjection::isGroupCard(card)) {
            groups << card;
            continue;
        }
        const ContactRecord contact = CardProjection::project(card);
        QString reason = QStringLiteral("名片没有姓名");
        if (contact.firstName.isEmpty() && contact.lastName.isEmpty()) {
            contents.problems.append({ reader.cardLine(), reason });
            continue;
        }
        if (!accept(contact, reason)) {
            contents.problems.append({ reader.cardLine(), reason });
            continue;
        }
        if (const QString uid = CardProjection::uid(card); !uid.isEmpty())
            byUid.insert(uid, contents.contacts.size());
        contents.contacts << contact;
        contents.cards << keptForm(card);
    }
    contents.problems += reader.problems();
    applyGroupCards(contents, groups, byUid);
    return contents;
}

// A CSV row becomes a card with every value of its line, and the row is then that card's view,
// so what the row shows and what the card keeps never disagree.
Result<CardFileReader::Contents> fromCsv(QIODevice &device,
                                         const CardFileReader::Progress &onProgress)
{
    Result<CardFileReader::Contents> contents = CsvFileReader::read(device, onProgress);
    if (!contents)
        return contents;
    CardFileReader::Contents &read = contents.value();
    read.cards.reserve(read.contacts.size());
    for (qsizetype at = 0; at < read.contacts.size(); ++at) {
        const Card card = CsvCards::make(read.contacts.at(at), read.extras.value(at));
        read.contacts[at] = CsvCards::view(card, read.contacts.at(at));
        read.cards << keptForm(card);
    }
    return contents;
}

QString refusal(const QString &where)
{
    return QStringLiteral("该文件不是可以读取的vCard或CSV名片文件，没有导入任何联系人。\n") + where;
}

// Problems in line order, and a file without one readable contact refused.
Result<CardFileReader::Contents> checked(Result<CardFileReader::Contents> contents)
{
    if (!contents)
        return Status::failure(refusal(contents.message()));
    std::stable_sort(contents.value().problems.begin(), contents.value().problems.end(),
                     [](const ReadProblem &a, const ReadProblem &b) { return a.line < b.line; });
    if (contents.value().contacts.isEmpty()) {
        const QList<ReadProblem> &problems = contents.value().problems;
        if (problems.isEmpty())
            return Status::failure(refusal(QStringLiteral("文件中没有联系人")));
        return Status::failure(refusal(
            QStringLiteral("第%1行：%2").arg(problems.first().line).arg(problems.first().reason)));
    }
    return contents;
}

} // namespace

namespace CardFileReader {

Result<Contents> read(QIODevice &device, const Progress &onProgress)
{
    return checked(CardReader::looksLikeCard(device.peek(4096)) ? fromVCards(device, onProgress)
                                                                : fromCsv(device, onProgress));
}

Result<Contents> read(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer);
}

Result<Contents> readFile(const QString &path, const Progress &onProgress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法打开文件“%1”。\n%2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.size() > maxFileBytes)
        return Status::failure(refusal(QStringLiteral("文件太大")));
    return read(file, onProgress);
}

} // namespace CardFileReader
