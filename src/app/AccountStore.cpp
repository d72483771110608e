#include "AccountStore.h"

#include "PasswordHash.h"
#include "data/Database.h"
#include "data/Transaction.h"
#include "data/WriteGate.h"

AccountStore::AccountStore(Database &database)
    : m_database(database)
{ }

Result<QStringList> AccountStore::namesInLoginOrder()
{
    QStringList names;
    Status listed = m_database.select(
        QStringLiteral("SELECT UserName FROM Users ORDER BY Lastlogin, UserName DESC"), {},
        [&names](const QSqlQuery &row) { names << row.value(0).toString(); });
    if (!listed)
        return listed;
    return names;
}

Result<int> AccountStore::choose(const QString &userName)
{
    QList<QVariantList> marks;
    Status status = m_database.select(QStringLiteral("SELECT ID, UserName FROM Users"), {},
                                      [&](const QSqlQuery &row) {
                                          const bool chosen = row.value(1).toString() == userName;
                                          marks << QVariantList { chosen ? 0 : 1, row.value(0) };
                                      });
    if (status) {
        // The mark only orders the next login's list: a read-only file must still let people in,
        // so a failed write is not an error here, and it waits for the file's check rather than
        // holding up the login.
        m_database.gate().whenSound([&database = m_database, marks] {
            Transaction transaction(database);
            if (transaction.begin()
                && database.executeEach(
                    QStringLiteral("UPDATE Users SET Lastlogin = ? WHERE ID = ?"), marks))
                transaction.commit();
        });
    }
    return rightOf(userName);
}

Result<int> AccountStore::rightOf(const QString &userName)
{
    bool found = false;
    const auto account = find(userName, found);
    if (!account)
        return account.status();
    bool whole = false;
    const int right = account.value().access.toInt(&whole);
    if (!found || !whole)
        return Status::failure(QStringLiteral("无法读取用户“%1”的权限。").arg(userName));
    return right;
}

Result<AccountStore::Account> AccountStore::find(const QString &userName, bool &found)
{
    found = false;
    Account account;
    // The field ignores case when SQL compares it; the exact match is made here.
    Status status = m_database.select(
        QStringLiteral(
            "SELECT ID, UserName, Password, access FROM Users WHERE UserName = ? ORDER BY ID"),
        { userName }, [&](const QSqlQuery &row) {
            if (found || row.value(1).toString() != userName)
                return;
            found = true;
            account = { row.value(0).toLongLong(), row.value(2).toString(), row.value(3) };
        });
    if (!status)
        return status;
    return account;
}

Result<bool> AccountStore::exists(const QString &userName)
{
    bool found = false;
    const auto account = find(userName, found);
    if (!account)
        return account.status();
    return found;
}

Result<bool> AccountStore::checkPassword(const QString &userName, const QString &typed)
{
    bool found = false;
    const auto account = find(userName, found);
    if (!account)
        return account.status();
    if (!found || !PasswordHash::matches(account.value().password, typed))
        return false;
    if (PasswordHash::needsRehash(account.value().password))
        storePassword(account.value().id, typed);
    return true;
}

Result<AccountStore::PasswordChange> AccountStore::changePassword(const QString &userName,
                                                                  const QString &oldTyped,
                                                                  const QString &newTyped,
                                                                  const QString &confirmTyped)
{
    bool found = false;
    const auto account = find(userName, found);
    if (!account)
        return account.status();
    if (!found)
        return PasswordChange::NoSuchAccount;
    if (!PasswordHash::matches(account.value().password, oldTyped.trimmed()))
        return PasswordChange::WrongOldPassword;
    if (newTyped.trimmed() != confirmTyped.trimmed())
        return PasswordChange::NewPasswordsDiffer;
    if (Status stored = storePassword(account.value().id, newTyped.trimmed()); !stored)
        return stored;
    return PasswordChange::Changed;
}

Status AccountStore::storePassword(qint64 id, const QString &password)
{
    const auto hashed = PasswordHash::hash(password);
    if (!hashed)
        return hashed.status();
    const auto changed = m_database.execute(
        QStringLiteral("UPDATE Users SET Password = ? WHERE ID = ?"), { hashed.value(), id });
    return changed.status();
}

Status AccountStore::upgradePlainTextPasswords()
{
    QList<QVariantList> plain;
    Status status = m_database.select(QStringLiteral("SELECT Password, ID FROM Users"), {},
                                      [&](const QSqlQuery &row) {
                                          const QString stored = row.value(0).toString();
                                          if (!stored.isEmpty() && !PasswordHash::isHash(stored))
                                              plain << QVariantList { stored, row.value(1) };
                                      });
    if (!status || plain.isEmpty())
        return status;
    for (QVariantList &row : plain) {
        const auto hashed = PasswordHash::hash(row.first().toString());
        if (!hashed)
            return hashed.status();
        row.first() = hashed.value();
    }

    // secure_delete zeroes the space the old texts occupied, so they leave the file's bytes.
    status = m_database.pragma(QStringLiteral("PRAGMA secure_delete = ON"));
    Transaction transaction(m_database);
    if (status)
        status = transaction.begin();
    if (status)
        status = m_database.executeEach(
            QStringLiteral("UPDATE Users SET Password = ? WHERE ID = ?"), plain);
    if (status)
        status = transaction.commit();
    return status;
}
