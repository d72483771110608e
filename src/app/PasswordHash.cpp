#include "PasswordHash.h"

#include <sodium.h>

namespace {

const QLatin1String hashPrefix("$argon2id$");

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

} // namespace

namespace PasswordHash {

Result<QString> hash(const QString &password)
{
    if (password.isEmpty())
        return QString(QLatin1String(""));
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (!sodiumReady()
        || crypto_pwhash_str(out, utf8.constData(), quint64(utf8.size()),
                             crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE)
            != 0)
        return Status::failure(QStringLiteral("无法加密密码（内存不足）。"));
    return QString::fromLatin1(out);
}

bool isHash(const QString &stored)
{
    return stored.startsWith(hashPrefix);
}

bool matches(const QString &stored, const QString &typed)
{
    if (!isHash(stored))
        return stored == typed;
    if (!sodiumReady())
        return false;
    const QByteArray hashed = stored.toLatin1();
    const QByteArray utf8 = typed.toUtf8();
    return crypto_pwhash_str_verify(hashed.constData(), utf8.constData(), quint64(utf8.size()))
        == 0;
}

bool needsRehash(const QString &stored)
{
    if (!isHash(stored))
        return !stored.isEmpty();
    if (!sodiumReady())
        return false;
    const QByteArray hashed = stored.toLatin1();
    return crypto_pwhash_str_needs_rehash(hashed.constData(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0;
}

} // namespace PasswordHash
