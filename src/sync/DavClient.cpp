// SPDX-License-Identifier: GPL-3.0-or-later
// Each request is waited for in a local event loop; the sync runs on its
// own thread, so only that thread waits.

#include "sync/DavClient.h"

#include "platform/AppError.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

namespace {

bool sameServer(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

} // namespace

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

DavClient::DavClient(const QUrl &server, const QString &user, const QString &password)
    : m_server(server), m_network(std::make_unique<QNetworkAccessManager>())
{
    const QString scheme = server.scheme().toLower();
    if (!server.isValid() || server.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        throw AppError(ErrNo::InvalidPropertyValue,
                       QStringLiteral("\"%1\" is no server address; it should look like "
                                      "https://dav.example.org/.")
                           .arg(server.toString()));
    // A password sent in the clear could be read on the way; only a
    // server on this computer is spared that.
    if (scheme == QLatin1String("http") && !isLoopbackHost(server.host()))
        throw AppError(ErrNo::InvalidPropertyValue,
                       QStringLiteral("The server address must begin with https://; only a "
                                      "server on this computer may use http://."));
    if (m_server.path().isEmpty())
        m_server.setPath(QStringLiteral("/"));
    m_authorization = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

DavClient::~DavClient() = default;

QUrl DavClient::resolve(const QString &href) const
{
    return m_server.resolved(QUrl(href, QUrl::TolerantMode));
}

DavReply DavClient::request(const QByteArray &method, const QUrl &target, const QByteArray &body,
                            const QList<std::pair<QByteArray, QByteArray>> &headers,
                            const QList<int> &allowed)
{
    QUrl url = target;
    const QString what = QString::fromLatin1(method) + QLatin1Char(' ') + url.path();
    for (int redirects = 0;; ++redirects) {
        QNetworkRequest req(url);
        req.setRawHeader("Authorization", m_authorization);
        req.setTransferTimeout(timeoutSeconds * 1000);
        if (!body.isEmpty() && body.startsWith("<?xml"))
            req.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/xml; charset=utf-8"));
        for (const auto &[name, value] : headers)
            req.setRawHeader(name, value);
        QNetworkReply *reply = m_network->sendCustomRequest(req, method, body);
        QByteArray received;
        bool tooBig = false;
        QStringList certificate;
        QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                         [&certificate](const QList<QSslError> &errors) {
                             for (const QSslError &e : errors)
                                 certificate << e.errorString();
                         });
        const auto take = [&] {
            const qint64 announced =
                reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
            if (announced > maxBodyBytes ||
                received.size() + reply->bytesAvailable() > maxBodyBytes) {
                tooBig = true;
                reply->abort();
                return;
            }
            received += reply->readAll();
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, take);
        QObject::connect(reply, &QNetworkReply::readyRead, reply, take);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        ++m_requests;
        if (!tooBig && reply->isOpen())
            received += reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QString reason =
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        const QNetworkReply::NetworkError error = reply->error();
        const QString errorText = reply->errorString();
        DavReply result;
        result.status = status;
        result.etag = QString::fromUtf8(reply->rawHeader("ETag"));
        result.location = url;
        const QUrl redirect =
            url.resolved(QUrl(QString::fromUtf8(reply->rawHeader("Location")), QUrl::TolerantMode));
        reply->deleteLater();
        if (tooBig)
            throw AppError(ErrNo::DeviceIO,
                           QStringLiteral("The server's answer to %1 is larger than %2 MB; it "
                                          "was not read.")
                               .arg(what)
                               .arg(maxBodyBytes >> 20));
        if (status == 0 || (error != QNetworkReply::NoError && status / 100 == 2)) {
            if (!certificate.isEmpty() || error == QNetworkReply::SslHandshakeFailedError)
                throw AppError(ErrNo::PermissionDenied,
                               QStringLiteral("The server's certificate was refused: %1")
                                   .arg(certificate.isEmpty()
                                            ? errorText
                                            : certificate.join(QLatin1Char(' '))));
            if (error == QNetworkReply::OperationCanceledError ||
                error == QNetworkReply::TimeoutError)
                throw AppError(ErrNo::DeviceIO,
                               QStringLiteral("The server did not answer %1 within %2 %3.")
                                   .arg(what)
                                   .arg(timeoutSeconds)
                                   .arg(timeoutSeconds == 1 ? QStringLiteral("second")
                                                            : QStringLiteral("seconds")));
            throw AppError(ErrNo::DeviceIO,
                           QStringLiteral("The server %1 could not be reached: %2.")
                               .arg(url.host(), errorText));
        }
        if ((status == 301 || status == 302 || status == 303 || status == 307 || status == 308) &&
            (method == "GET" || method == "PROPFIND") && !allowed.contains(status)) {
            // Credentials go only where the user sent them.
            if (redirects >= 5 || !sameServer(redirect, m_server))
                throw AppError(ErrNo::DeviceIO,
                               QStringLiteral("The server sent %1 to another address (%2), "
                                              "which was not followed.")
                                   .arg(what, redirect.toString()));
            url = redirect;
            continue;
        }
        result.body = std::move(received);
        if (status / 100 == 2 || allowed.contains(status))
            return result;
        if (status == 401)
            throw AppError(ErrNo::PermissionDenied,
                           QStringLiteral("The server refused the user name or password."));
        if (status == 403)
            throw AppError(ErrNo::PermissionDenied,
                           QStringLiteral("The server refused %1 (403 Forbidden).").arg(what));
        if (status / 100 == 5)
            throw AppError(ErrNo::DeviceIO, QStringLiteral("The server failed on %1 (%2 %3).")
                                                .arg(what)
                                                .arg(status)
                                                .arg(reason));
        throw AppError(
            ErrNo::DeviceIO,
            QStringLiteral("The server answered %1 with %2 %3.").arg(what).arg(status).arg(reason));
    }
}
