#pragma once

#include "shared/Status.h"

#include <QString>

struct SyncAccount;

// Where the sync password is kept: the desktop's secret store, never a file of ours. Tests
// install a double.
class SecretStore
{
public:
    virtual ~SecretStore();

    // The stored password; a failure when there is none or no secret store is available.
    virtual Result<QString> password(const SyncAccount &account);
    virtual Status storePassword(const SyncAccount &account, const QString &password);

    static SecretStore &current();
    // Installs a replacement (not owned); nullptr restores the real one.
    static void install(SecretStore *store);
};
