#include "UpdateSite.h"

#include <QtGlobal>

namespace UpdateSite {

QString makerHost()
{
    return QStringLiteral("www.zorvane.com");
}

QUrl makerSite()
{
    return QUrl(QStringLiteral("http://") + makerHost() + QStringLiteral("/"));
}

QUrl updateAddress()
{
    const QString replacement = qEnvironmentVariable("ZORVANE_UPDATE_URL");
    if (!replacement.isEmpty())
        return QUrl(replacement);
    return QUrl(QStringLiteral("http://") + makerHost()
                + QStringLiteral("/software/update/zorvaneupdate.txt"));
}

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty();
}

QUrl downloadTarget(const QString &downloadAddress)
{
    const QUrl address(downloadAddress.trimmed());
    return isWebAddress(address) ? address : makerSite();
}

} // namespace UpdateSite
