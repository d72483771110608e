#include "DavBodies.h"

#include <QXmlStreamWriter>
#include <functional>

namespace {

const QString dav = QStringLiteral("DAV:");
const QString cardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

QByteArray document(const QString &ns, const QString &root,
                    const std::function<void(QXmlStreamWriter &)> &content)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeNamespace(dav, QStringLiteral("d"));
    xml.writeNamespace(cardDav, QStringLiteral("card"));
    xml.writeStartElement(ns, root);
    content(xml);
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray propfind(const QList<QPair<QString, QString>> &properties)
{
    return document(dav, QStringLiteral("propfind"), [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(dav, QStringLiteral("prop"));
        for (const auto &[ns, name] : properties)
            xml.writeEmptyElement(ns, name);
        xml.writeEndElement();
    });
}

} // namespace

namespace DavBodies {

QByteArray principal()
{
    return propfind({ { dav, QStringLiteral("current-user-principal") } });
}

QByteArray addressBookHome()
{
    return propfind({ { cardDav, QStringLiteral("addressbook-home-set") } });
}

QByteArray collections()
{
    return propfind(
        { { dav, QStringLiteral("resourcetype") }, { dav, QStringLiteral("displayname") } });
}

QByteArray etags()
{
    return propfind(
        { { dav, QStringLiteral("resourcetype") }, { dav, QStringLiteral("getetag") } });
}

QByteArray syncCollection(const QString &token)
{
    return document(dav, QStringLiteral("sync-collection"), [&](QXmlStreamWriter &xml) {
        xml.writeTextElement(dav, QStringLiteral("sync-token"), token);
        xml.writeTextElement(dav, QStringLiteral("sync-level"), QStringLiteral("1"));
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav, QStringLiteral("getetag"));
        xml.writeEndElement();
    });
}

QByteArray multiget(const QStringList &paths)
{
    return document(cardDav, QStringLiteral("addressbook-multiget"), [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav, QStringLiteral("getetag"));
        xml.writeEmptyElement(cardDav, QStringLiteral("address-data"));
        xml.writeEndElement();
        for (const QString &path : paths)
            xml.writeTextElement(dav, QStringLiteral("href"), path);
    });
}

} // namespace DavBodies
