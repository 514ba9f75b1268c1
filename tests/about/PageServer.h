// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A web server of the about tests' own on the loopback address, so that no
// page ever comes from outside.

#include <QHash>
#include <QPair>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// Answers GET /<name> on 127.0.0.1 with what it was given for the name,
// 404 for any other; it records the names asked for.
class PageServer final : public QTcpServer
{
public:
    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
        });
        listen(QHostAddress::LocalHost, 0);
    }
    QUrl url(const QString &name) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(serverPort()) + name);
    }
    QHash<QByteArray, QPair<QByteArray, QByteArray>> files; // name: type, body
    QList<QByteArray> asked;

private:
    void answer(QTcpSocket *s)
    {
        const QByteArray request = s->peek(s->bytesAvailable());
        if (!request.contains("\r\n\r\n"))
            return; // the request is not whole yet
        const QByteArray name = request.split(' ').value(1).mid(1);
        asked << name;
        const auto found = files.constFind(name);
        const QByteArray body = found == files.cend() ? QByteArray() : found->second;
        s->write(QByteArray(found == files.cend() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK") +
                 "\r\nContent-Type: " + (found == files.cend() ? "text/html" : found->first) +
                 "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        s->disconnectFromHost();
    }
};
