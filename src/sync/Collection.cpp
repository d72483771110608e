#include "Collection.h"

#include "SyncAccount.h"

Collection::Collection(const QUrl &url)
    : m_url(canonicalAddress(url))
    , m_path(m_url.path(QUrl::FullyDecoded))
{ }

Result<QString> Collection::member(const QString &href) const
{
    const QUrl resolved = m_url.resolved(QUrl(href));
    if (Status given = checkGivenAddress(resolved, m_url); !given)
        return given;
    const QString path = resolved.path(QUrl::FullyDecoded);
    if (!(path + u'/').startsWith(m_path))
        return Status::failure(
            QStringLiteral("服务器返回了通讯录以外的地址“%1”，同步已停止。").arg(href));
    if (path.size() <= m_path.size())
        return QString();
    return path;
}

QUrl Collection::urlOf(const QString &path) const
{
    QUrl url = m_url;
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

QString Collection::encoded(const QString &path)
{
    QUrl url;
    url.setPath(path, QUrl::DecodedMode);
    return url.path(QUrl::FullyEncoded);
}

QString Collection::newCardPath(const QString &uid) const
{
    return m_path + uid + QStringLiteral(".vcf");
}
