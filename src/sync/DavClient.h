// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WebDAV requests to one server, one at a time and waited for, so that a
// sync reads as the sequence of steps it is. It runs on the sync's own
// thread, never the window's.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <memory>
#include <utility>

class QNetworkAccessManager;

struct DavReply
{
    int status = 0;
    QByteArray body;
    QString etag;  // the ETag header, quotes kept
    QUrl location; // the final address after redirects
};

class DavClient final
{
public:
    // Throws AppError when server is no http(s) address, or http for a host
    // that is not this computer (127.0.0.0/8, ::1, localhost).
    DavClient(const QUrl &server, const QString &user, const QString &password);
    ~DavClient();
    DavClient(const DavClient &) = delete;
    DavClient &operator=(const DavClient &) = delete;

    const QUrl &server() const { return m_server; }
    // A server path or address made absolute against the server.
    QUrl resolve(const QString &href) const;

    // Sends and waits. Statuses 401, 403, 5xx and any other outside 200 to
    // 299 but those in allowed throw AppError in plain words, as do a
    // connection failure, a refused certificate (its text), no answer in
    // timeoutSeconds, and a body over maxBodyBytes. Redirects of GET and
    // PROPFIND are followed within the server's host.
    DavReply request(const QByteArray &method, const QUrl &url, const QByteArray &body = {},
                     const QList<std::pair<QByteArray, QByteArray>> &headers = {},
                     const QList<int> &allowed = {});

    // Requests made so far (the benchmark and tests count them).
    int requests() const { return m_requests; }

    int timeoutSeconds = 30;
    qint64 maxBodyBytes = qint64(256) << 20;

private:
    QUrl m_server;
    QByteArray m_authorization;
    std::unique_ptr<QNetworkAccessManager> m_network;
    int m_requests = 0;
};

// True for a loopback host name or address.
bool isLoopbackHost(const QString &host);
