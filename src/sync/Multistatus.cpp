#include "Multistatus.h"

#include <QXmlStreamReader>

namespace {

const QString dav = QStringLiteral("DAV:");
const QString cardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

// "HTTP/1.1 404 Not Found" is 404.
int statusCode(const QString &line)
{
    const QStringList words = line.simplified().split(u' ');
    return words.size() >= 2 ? words.at(1).toInt() : 0;
}

class Parser
{
public:
    explicit Parser(const QByteArray &body)
        : m_xml(body)
    { }

    Result<Multistatus> run()
    {
        if (!m_xml.readNextStartElement() || !isDav(u"multistatus"))
            return failure(QStringLiteral("不是multistatus"));
        while (m_xml.readNextStartElement()) {
            if (isDav(u"response"))
                readResponse();
            else if (isDav(u"sync-token"))
                m_out.syncToken = m_xml.readElementText().trimmed();
            else
                m_xml.skipCurrentElement();
        }
        if (m_xml.hasError())
            return failure(m_xml.errorString());
        return m_out;
    }

private:
    bool isDav(QStringView name) const
    {
        return m_xml.namespaceUri() == dav && m_xml.name() == name;
    }
    bool isCardDav(QStringView name) const
    {
        return m_xml.namespaceUri() == cardDav && m_xml.name() == name;
    }

    Status failure(const QString &detail) const
    {
        return Status::failure(QStringLiteral("服务器返回的数据无法读取（%1）。").arg(detail));
    }

    void readResponse()
    {
        DavResource resource;
        while (m_xml.readNextStartElement()) {
            if (isDav(u"href"))
                resource.href = m_xml.readElementText().trimmed();
            else if (isDav(u"status"))
                resource.status = statusCode(m_xml.readElementText());
            else if (isDav(u"propstat"))
                readPropstat(resource);
            else
                m_xml.skipCurrentElement();
        }
        m_out.resources << resource;
    }

    // Properties the server could not give (403, 404) say nothing of the resource itself.
    void readPropstat(DavResource &resource)
    {
        DavResource found;
        int status = 0;
        while (m_xml.readNextStartElement()) {
            if (isDav(u"prop"))
                readProperties(found);
            else if (isDav(u"status"))
                status = statusCode(m_xml.readElementText());
            else
                m_xml.skipCurrentElement();
        }
        if (status < 200 || status > 299)
            return;
        resource.etag = found.etag.isEmpty() ? resource.etag : found.etag;
        if (!found.addressData.isEmpty())
            resource.addressData = found.addressData;
        resource.displayName
            = found.displayName.isEmpty() ? resource.displayName : found.displayName;
        resource.isAddressBook |= found.isAddressBook;
        resource.principal = found.principal.isEmpty() ? resource.principal : found.principal;
        resource.addressBookHome
            = found.addressBookHome.isEmpty() ? resource.addressBookHome : found.addressBookHome;
    }

    void readProperties(DavResource &resource)
    {
        while (m_xml.readNextStartElement()) {
            if (isDav(u"getetag"))
                resource.etag = m_xml.readElementText().trimmed();
            else if (isCardDav(u"address-data"))
                resource.addressData = m_xml.readElementText().toUtf8();
            else if (isDav(u"displayname"))
                resource.displayName = m_xml.readElementText().trimmed();
            else if (isDav(u"resourcetype"))
                resource.isAddressBook = readResourceType();
            else if (isDav(u"current-user-principal"))
                resource.principal = innerHref();
            else if (isCardDav(u"addressbook-home-set"))
                resource.addressBookHome = innerHref();
            else
                m_xml.skipCurrentElement();
        }
    }

    bool readResourceType()
    {
        bool addressBook = false;
        while (m_xml.readNextStartElement()) {
            addressBook |= isCardDav(u"addressbook");
            m_xml.skipCurrentElement();
        }
        return addressBook;
    }

    QString innerHref()
    {
        QString href;
        while (m_xml.readNextStartElement()) {
            if (isDav(u"href") && href.isEmpty())
                href = m_xml.readElementText().trimmed();
            else
                m_xml.skipCurrentElement();
        }
        return href;
    }

    QXmlStreamReader m_xml;
    Multistatus m_out;
};

} // namespace

Result<Multistatus> Multistatus::parse(const QByteArray &body)
{
    return Parser(body).run();
}
