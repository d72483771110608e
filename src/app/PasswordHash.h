#pragma once

#include "shared/Status.h"

#include <QString>

// Passwords are kept as Argon2id hashes; the empty password stays the empty text so fresh data
// files log in with an empty box.
namespace PasswordHash {

Result<QString> hash(const QString &password);
bool isHash(const QString &stored);
// True when typed is the password stored (hashed, empty, or plain text from an older file).
bool matches(const QString &stored, const QString &typed);
bool needsRehash(const QString &stored);

} // namespace PasswordHash
