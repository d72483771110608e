#pragma once

#include "shared/Status.h"

#include <QStringList>
#include <QVariant>

class Database;

// The login accounts of a data file. Passwords never leave it: callers ask whether a typed text
// matches.
class AccountStore
{
public:
    enum class PasswordChange { Changed, WrongOldPassword, NewPasswordsDiffer, NoSuchAccount };

    explicit AccountStore(Database &database);

    // The account chosen last first, then the others by name, descending.
    Result<QStringList> namesInLoginOrder();
    // Marks userName as the account chosen last and answers its right. Names compare exactly:
    // "bert" and "Bert" are two accounts.
    Result<int> choose(const QString &userName);
    // The account's right; fails when the account is gone or its right is not a whole number.
    Result<int> rightOf(const QString &userName);
    Result<bool> exists(const QString &userName);
    // Compares exactly, without trimming; an old-style hash is renewed on a match.
    Result<bool> checkPassword(const QString &userName, const QString &typed);
    // The password dialog's rules: every text is trimmed before it is compared or stored.
    Result<PasswordChange> changePassword(const QString &userName, const QString &oldTyped,
                                          const QString &newTyped, const QString &confirmTyped);
    // Files from older programs hold plain-text passwords: hash them all in one write and wipe
    // the old text from the file.
    Status upgradePlainTextPasswords();

private:
    struct Account
    {
        qint64 id = 0;
        QString password;
        QVariant access;
    };
    Result<Account> find(const QString &userName, bool &found);
    Status storePassword(qint64 id, const QString &password);

    Database &m_database;
};
