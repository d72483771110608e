#include "ContactLinks.h"

#include <QRegularExpression>

namespace {

// "name:" at the start, unless what follows the colon is a port ("host:8080/…").
bool startsWithScheme(const QString &text)
{
    static const QRegularExpression scheme(
        QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d+(?:$|[/?#]))"));
    return scheme.match(text).hasMatch();
}

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty();
}

} // namespace

namespace ContactLinks {

std::optional<QUrl> mailUrl(const QString &typed)
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(typed, QUrl::DecodedMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

std::optional<QUrl> webUrl(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // A local, drive or share path yields no host or no web scheme, so it never opens.
    const QUrl url(startsWithScheme(text) ? text : QStringLiteral("http://") + text,
                   QUrl::StrictMode);
    if (!isWebAddress(url))
        return std::nullopt;
    return url;
}

} // namespace ContactLinks
