#pragma once

#include "sync/SecretStore.h"
#include "sync/SyncAccount.h"

#include <optional>

// A secret store that keeps the password in memory, or acts as a desktop without one; installed
// while it lives.
class StoredPasswords : public SecretStore
{
public:
    StoredPasswords() { SecretStore::install(this); }
    ~StoredPasswords() override
    {
        if (&SecretStore::current() == this)
            SecretStore::install(nullptr);
    }

    Result<QString> password(const SyncAccount &) override
    {
        if (!available)
            return Status::failure(QStringLiteral("没有可用的密码存储。"));
        if (!stored)
            return Status::failure(QStringLiteral("没有保存的同步密码。"));
        return *stored;
    }

    Status storePassword(const SyncAccount &, const QString &password) override
    {
        if (!available)
            return Status::failure(QStringLiteral("没有可用的密码存储。"));
        stored = password;
        return Status::success();
    }

    // false: no secret store on this desktop.
    bool available = true;
    std::optional<QString> stored;
};
