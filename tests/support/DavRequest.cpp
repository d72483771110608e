#include "DavRequest.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace DavRequest {

int send(const QByteArray &method, const QUrl &url, const QByteArray &content, QByteArray *body,
         const QByteArray &login)
{
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Basic " + login.toBase64());
    if (method == "PUT")
        request.setRawHeader("Content-Type", "text/vcard; charset=utf-8");
    else if (!content.isEmpty())
        request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    QNetworkReply *reply = network.sendCustomRequest(request, method, content);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (body)
        *body = reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete reply;
    return status;
}

} // namespace DavRequest
