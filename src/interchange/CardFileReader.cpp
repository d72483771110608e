#include "CardFileReader.h"

#include "CsvFileReader.h"
#include "VCardMapping.h"
#include "VCardReader.h"

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

CardFileReader::Contents fromVCards(const QByteArray &bytes)
{
    VCardReader::Output cards = VCardReader::read(bytes);
    CardFileReader::Contents contents;
    contents.problems = cards.problems;
    contents.contacts.reserve(cards.cards.size());
    for (const VCard &card : std::as_const(cards.cards)) {
        ContactRecord contact;
        QString reason;
        if (VCardMapping::toContact(card, contact, reason) && accept(contact, reason))
            contents.contacts << contact;
        else
            contents.problems.append({ card.line, reason });
    }
    return contents;
}

Result<CardFileReader::Contents> fromCsv(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return CsvFileReader::read(buffer, {});
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

Result<Contents> read(const QByteArray &bytes)
{
    return checked(VCardReader::looksLikeVCard(bytes) ? Result<Contents>(fromVCards(bytes))
                                                      : fromCsv(bytes));
}

Result<Contents> readFile(const QString &path, const Progress &onProgress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("无法打开文件“%1”。\n%2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.size() > maxFileBytes)
        return Status::failure(refusal(QStringLiteral("文件太大")));
    if (VCardReader::looksLikeVCard(file.peek(4096)))
        return read(file.readAll());
    return checked(CsvFileReader::read(file, onProgress));
}

} // namespace CardFileReader
