#include "CardFileReader.h"

#include "CsvCards.h"
#include "CsvFileReader.h"
#include "cards/CardProjection.h"
#include "cards/CardReader.h"
#include "cards/CardWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
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
constexpr qint64 chunkBytes = 1024 * 1024;

Status cancelled()
{
    return Status::failure(QStringLiteral("已取消，没有导入任何联系人。"));
}

// The kept form of a card read from the file, without the spare room its making left.
QByteArray keptForm(const Card &card, CardFileReader::Want want)
{
    if (want == CardFileReader::Want::Rows)
        return {};
    QByteArray kept = CardWriter::keep(card);
    kept.squeeze();
    return kept;
}

// Group cards name no person: each member takes the group's name as its relationship group.
void noteGroup(const Card &group, QHash<QString, QString> &groups)
{
    const QString name = group.firstText(QStringLiteral("FN"));
    if (name.isEmpty())
        return;
    for (const QString &member : CardProjection::memberUids(group))
        groups.insert(member, name);
}

void joinGroup(Card &card, ContactRecord &contact, const QHash<QString, QString> &groups)
{
    if (groups.isEmpty())
        return;
    const QString group = groups.value(CardProjection::uid(card));
    if (group.isEmpty())
        return;
    ContactRecord after = contact;
    after.type = group;
    CardProjection::apply(card, contact, after);
    contact = CardProjection::project(card);
}

// Cards between two reports of progress.
constexpr int progressStep = 1000;

Result<CardFileReader::Outline> fromVCards(QIODevice &device, CardFileReader::Want want,
                                           const CardFileReader::Sink &sink,
                                           const CardFileReader::Progress &onProgress,
                                           const QHash<QString, QString> &groups)
{
    CardReader reader(device);
    CardFileReader::Outline outline;
    Card card;
    const qint64 total = device.size();
    for (int count = 1; reader.next(card); ++count) {
        if (onProgress && count % progressStep == 0 && !onProgress(device.pos(), total))
            return cancelled();
        if (CardProjection::isGroupCard(card)) {
            noteGroup(card, outline.groups);
            continue;
        }
        ContactRecord contact = CardProjection::project(card);
        QString reason = QStringLiteral("名片没有姓名");
        if ((contact.firstName.isEmpty() && contact.lastName.isEmpty())
            || !accept(contact, reason)) {
            outline.problems.append({ reader.cardLine(), reason });
            continue;
        }
        joinGroup(card, contact, groups);
        ++outline.contacts;
        if (!sink({ std::move(contact), keptForm(card, want), {} }))
            return cancelled();
    }
    outline.problems += reader.problems();
    return outline;
}

// A CSV row becomes a card with every value of its line, and the row is then that card's view,
// so what the row shows and what the card keeps never disagree.
Result<CardFileReader::Outline> fromCsv(QIODevice &device, CardFileReader::Want want,
                                        const CardFileReader::Sink &sink,
                                        const CardFileReader::Progress &onProgress)
{
    return CsvFileReader::read(
        device,
        [&sink, want](CardFileReader::Entry &&entry) {
            const Card card = CsvCards::make(entry.contact, entry.extras);
            entry.contact = CsvCards::view(card, entry.contact);
            entry.card = keptForm(card, want);
            return sink(std::move(entry));
        },
        onProgress);
}

QString refusal(const QString &where)
{
    return QStringLiteral("该文件不是可以读取的vCard或CSV名片文件，没有导入任何联系人。\n") + where;
}

// Problems in line order, and a file without one readable contact refused.
Result<CardFileReader::Outline> checked(Result<CardFileReader::Outline> outline)
{
    if (!outline)
        return Status::failure(refusal(outline.message()));
    QList<ReadProblem> &problems = outline.value().problems;
    std::stable_sort(problems.begin(), problems.end(),
                     [](const ReadProblem &a, const ReadProblem &b) { return a.line < b.line; });
    if (outline.value().contacts > 0)
        return outline;
    if (problems.isEmpty())
        return Status::failure(refusal(QStringLiteral("文件中没有联系人")));
    return Status::failure(refusal(
        QStringLiteral("第%1行：%2").arg(problems.first().line).arg(problems.first().reason)));
}

} // namespace

namespace CardFileReader {

Result<std::unique_ptr<QIODevice>> open(const Source &source)
{
    if (source.path.isEmpty()) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(source.bytes);
        buffer->open(QIODevice::ReadOnly);
        return std::unique_ptr<QIODevice>(std::move(buffer));
    }
    auto file = std::make_unique<QFile>(source.path);
    if (!file->open(QIODevice::ReadOnly))
        return Status::failure(
            QStringLiteral("无法打开文件“%1”。\n%2")
                .arg(QDir::toNativeSeparators(source.path), file->errorString()));
    if (file->size() > maxFileBytes)
        return Status::failure(refusal(QStringLiteral("文件太大")));
    return std::unique_ptr<QIODevice>(std::move(file));
}

Result<Fingerprint> fingerprint(const Source &source)
{
    auto device = open(source);
    if (!device)
        return device.status();
    Fingerprint print;
    QByteArray chunk(chunkBytes, Qt::Uninitialized);
    qint64 got = 0;
    for (print.size = 0; (got = device.value()->read(chunk.data(), chunkBytes)) > 0;
         print.size += got)
        print.digest = qHash(QByteArrayView(chunk.constData(), got), print.digest);
    if (got < 0)
        return Status::failure(device.value()->errorString());
    return print;
}

Result<Outline> stream(QIODevice &device, Want want, const Sink &sink, const Progress &onProgress,
                       const QHash<QString, QString> &groups)
{
    return checked(CardReader::looksLikeCard(device.peek(4096))
                       ? fromVCards(device, want, sink, onProgress, groups)
                       : fromCsv(device, want, sink, onProgress));
}

Result<Contents> read(QIODevice &device)
{
    Contents contents;
    const auto collect = [&contents](Entry &&entry) {
        contents.contacts << std::move(entry.contact);
        contents.cards << std::move(entry.card);
        contents.extras << std::move(entry.extras);
        return true;
    };
    const qint64 start = device.pos();
    auto outline = stream(device, Want::RowsAndCards, collect);
    if (outline && !outline.value().groups.isEmpty() && device.seek(start)) {
        contents = {};
        outline = stream(device, Want::RowsAndCards, collect, {}, outline.value().groups);
    }
    if (!outline)
        return outline.status();
    contents.problems = outline.value().problems;
    contents.keptColumns = outline.value().keptColumns;
    return contents;
}

Result<Contents> read(const QByteArray &bytes)
{
    auto device = open(Source::inMemory(bytes));
    return read(*device.value());
}

Result<Contents> readFile(const QString &path)
{
    auto device = open(Source::file(path));
    if (!device)
        return device.status();
    return read(*device.value());
}

} // namespace CardFileReader
