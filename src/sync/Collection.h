#pragma once

#include "shared/Status.h"

#include <QString>
#include <QUrl>

// An address book on the server and the paths of its cards. Paths are kept decoded, so the
// spellings servers choose for the same path ("%40" or "@") compare equal.
class Collection
{
public:
    explicit Collection(const QUrl &url);

    const QUrl &url() const { return m_url; }
    // The path of a card of this collection; empty for the collection itself; a failure for an
    // address outside it, which a server must not send.
    Result<QString> member(const QString &href) const;
    QUrl urlOf(const QString &path) const;
    // The path as an href in a request body.
    static QString encoded(const QString &path);
    QString newCardPath(const QString &uid) const;

private:
    QUrl m_url;
    QString m_path;
};
