#include "PinyinBench.h"

#include "BenchReport.h"
#include "contacts/PinyinKeys.h"
#include "contacts/PinyinMatcher.h"
#include "data/Database.h"

#include <vector>

namespace {

struct Names
{
    QString first;
    QString last;
    QString company;
};

void timeMatching(const std::vector<PinyinKeys> &keys, const QString &name, const QString &keyword,
                  int &found)
{
    QElapsedTimer timer;
    timer.start();
    const PinyinMatcher matcher(keyword);
    found = 0;
    for (const PinyinKeys &contact : keys)
        found += matcher.matches(contact) ? 1 : 0;
    BenchReport::milliseconds(name + QStringLiteral("_ms"), timer);
    BenchReport::figure(name + QStringLiteral("_rows"), found);
}

} // namespace

namespace PinyinBench {

bool run(Database &database)
{
    std::vector<Names> contacts;
    const Status read
        = database.select(QStringLiteral("SELECT FirstName, LastName, CompanyName FROM Contacts"),
                          {}, [&](const QSqlQuery &row) {
                              contacts.push_back({ row.value(0).toString(), row.value(1).toString(),
                                                   row.value(2).toString() });
                          });
    if (!read)
        return false;

    // The first key also builds the transliterator; the process has read no pinyin before.
    QElapsedTimer timer;
    timer.start();
    std::vector<PinyinKeys> keys;
    keys.reserve(contacts.size());
    for (const Names &names : contacts)
        keys.push_back(PinyinKeys::forContact(names.first, names.last, names.company));
    BenchReport::milliseconds(QStringLiteral("pinyin_keys_build_ms"), timer);
    BenchReport::figure(QStringLiteral("pinyin_keys_build_target_ms"), 1000);
    BenchReport::figure(QStringLiteral("pinyin_keys"), double(keys.size()));

    int initials = 0;
    int spelled = 0;
    timeMatching(keys, QStringLiteral("pinyin_match_initials"), QStringLiteral("zw"), initials);
    timeMatching(keys, QStringLiteral("pinyin_match_spelling"), QStringLiteral("zhangwei"),
                 spelled);
    return initials > 0 && spelled > 0;
}

} // namespace PinyinBench
