#include "ContactSearch.h"

#include "ContactNames.h"
#include "data/Database.h"

#include <QSqlRecord>
#include <array>
#include <memory>

namespace {

// Where each field the list shows sits in a row of "SELECT *".
struct FieldPositions
{
    int id = -1;
    int firstName = -1;
    int lastName = -1;
    int title = -1;
    int type = -1;
    int companyName = -1;
    int address1 = -1;
    int address2 = -1;
    int postcode = -1;
    int email = -1;
    std::array<int, 4> numbers {};
    std::array<int, 4> labels {};
    int count = 0;

    explicit FieldPositions(const QSqlRecord &record)
        : id(record.indexOf(QStringLiteral("ID")))
        , firstName(record.indexOf(QStringLiteral("FirstName")))
        , lastName(record.indexOf(QStringLiteral("LastName")))
        , title(record.indexOf(QStringLiteral("Title")))
        , type(record.indexOf(QStringLiteral("Type")))
        , companyName(record.indexOf(QStringLiteral("CompanyName")))
        , address1(record.indexOf(QStringLiteral("Address1")))
        , address2(record.indexOf(QStringLiteral("Address2")))
        , postcode(record.indexOf(QStringLiteral("Postcode")))
        , email(record.indexOf(QStringLiteral("Email")))
        , count(record.count())
    {
        for (int i = 0; i < 4; ++i) {
            numbers[i] = record.indexOf(QStringLiteral("Data%1").arg(i + 1));
            labels[i] = record.indexOf(QStringLiteral("Combo%1").arg(i + 1));
        }
    }
};

QString trimmedText(const QSqlQuery &row, int position)
{
    if (position < 0)
        return {};
    const QString text = row.value(position).toString();
    const QStringView trimmed = ContactNames::trimBlanks(text);
    // Most fields have no outer blanks: share the text instead of copying it.
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

ContactRow makeRow(const QSqlQuery &row, const FieldPositions &at, const QString &first,
                   const QString &last)
{
    ContactRow contact;
    contact.id = row.value(at.id).toLongLong();
    contact.displayName = ContactNames::displayName(first, last);
    contact.title = trimmedText(row, at.title);
    contact.type = trimmedText(row, at.type);
    contact.companyName = trimmedText(row, at.companyName);
    contact.address1 = trimmedText(row, at.address1);
    contact.address2 = trimmedText(row, at.address2);
    contact.postcode = trimmedText(row, at.postcode);
    contact.email = trimmedText(row, at.email);
    for (int i = 0; i < 4; ++i) {
        contact.numbers[i] = trimmedText(row, at.numbers[i]);
        contact.labels[i] = trimmedText(row, at.labels[i]);
    }
    return contact;
}

// Every field after the ID, as stored (not trimmed); a keyword never spans two fields.
bool holdsAnyKeyword(const QSqlQuery &row, int fieldCount, const QStringList &keywords)
{
    for (int position = 1; position < fieldCount; ++position) {
        const QString text = row.value(position).toString();
        if (text.isEmpty())
            continue;
        for (const QString &keyword : keywords) {
            if (text.contains(keyword, Qt::CaseSensitive))
                return true;
        }
    }
    return false;
}

} // namespace

namespace ContactSearch {

QString promptText()
{
    return QStringLiteral("请在此输入搜索关键字");
}

bool listsAll(const QString &keyText)
{
    return keyText.isEmpty() || keyText == QLatin1String("*") || keyText == promptText();
}

QStringList keywords(const QString &keyText)
{
    QStringList used;
    for (const QString &piece : keyText.split(QLatin1Char(' '))) {
        if (piece.isEmpty())
            break;
        used << piece;
    }
    return used;
}

Result<SearchResult> run(Database &database, const QString &keyText)
{
    const bool all = listsAll(keyText);
    const QStringList words = all ? QStringList() : keywords(keyText);
    SearchResult result;
    std::unique_ptr<FieldPositions> at;
    const Status read = database.select(
        QStringLiteral("SELECT * FROM Contacts ORDER BY ID DESC"), {}, [&](const QSqlQuery &row) {
            if (!at)
                at = std::make_unique<FieldPositions>(row.record());
            ++result.contactsRead;
            const QString first = row.value(at->firstName).toString();
            const QString last = row.value(at->lastName).toString();
            if (ContactNames::isReserved(first, last))
                return;
            if (all || (!words.isEmpty() && holdsAnyKeyword(row, at->count, words)))
                result.rows.append(makeRow(row, *at, first, last));
        });
    if (!read)
        return read;
    return result;
}

} // namespace ContactSearch
