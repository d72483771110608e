#include "DavTestServer.h"

#include "RadicaleServer.h"
#include "XandikosServer.h"

namespace {

class Radicale : public DavTestServer
{
public:
    QString problem() const override { return m_server.problem(); }
    QUrl root() const override { return m_server.root(); }
    QUrl makeAddressBook(const QString &name) override { return m_server.makeAddressBook(name); }
    int request(const QByteArray &method, const QUrl &url, const QByteArray &content,
                QByteArray *body) override
    {
        return m_server.request(method, url, content, body);
    }

private:
    RadicaleServer m_server;
};

} // namespace

QStringList DavTestServer::names()
{
    return { QStringLiteral("radicale"), QStringLiteral("xandikos") };
}

std::unique_ptr<DavTestServer> DavTestServer::start(const QString &name)
{
    if (name == u"xandikos")
        return std::make_unique<XandikosServer>();
    return std::make_unique<Radicale>();
}

QByteArray DavTestServer::addressBookBody(const QString &name)
{
    return "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
           "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
           "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
           "<D:displayname>"
        + name.toUtf8() + "</D:displayname></D:prop></D:set></D:mkcol>";
}
