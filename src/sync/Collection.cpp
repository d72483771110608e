#include "Collection.h"

Collection::Collection(const QUrl &url)
    : m_url(url)
{
    if (!m_url.path().endsWith(u'/'))
        m_url.setPath(m_url.path(QUrl::FullyEncoded) + u'/', QUrl::TolerantMode);
    m_path = m_url.path(QUrl::FullyDecoded);
}

Result<QString> Collection::member(const QString &href) const
{
    const QUrl resolved = m_url.resolved(QUrl(href));
    const QString path = resolved.path(QUrl::FullyDecoded);
    const int usualPort = m_url.scheme() == u"https" ? 443 : 80;
    if (resolved.scheme() != m_url.scheme() || resolved.host() != m_url.host()
        || resolved.port(usualPort) != m_url.port(usualPort) || !(path + u'/').startsWith(m_path))
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
