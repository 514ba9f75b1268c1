// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/NotepadKeys.h"

#include "editor/KeyNotation.h"
#include "editor/ui/Notepad.h"
#include "platform/AppError.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

bool takeMessage(QLocalSocket &socket, quint8 *request, QString *text)
{
    QDataStream in(&socket);
    in.setVersion(QDataStream::Qt_6_0);
    in.startTransaction();
    in >> *request >> *text;
    return in.commitTransaction();
}

} // namespace

bool readKeyMessage(QLocalSocket &socket, int ms, quint8 *request, QString *text)
{
    const QDeadlineTimer deadline(ms);
    while (!takeMessage(socket, request, text)) {
        if (socket.state() != QLocalSocket::ConnectedState ||
            !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return true;
}

void writeKeyMessage(QLocalSocket &socket, quint8 request, const QString &text)
{
    QDataStream out(&socket);
    out.setVersion(QDataStream::Qt_6_0);
    out << request << text;
}

NotepadKeys::NotepadKeys(Notepad *pad) : m_pad(pad), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

bool NotepadKeys::listen(const QString &path)
{
    QLocalServer::removeServer(path); // left by a stand-in that was killed
    if (m_server->listen(path))
        return true;
    qWarning("Notepad: cannot listen for keys at %s: %s", qPrintable(path),
             qPrintable(m_server->errorString()));
    return false;
}

void NotepadKeys::serve(QLocalSocket *socket)
{
    quint8 request = 0;
    QString text;
    while (takeMessage(*socket, &request, &text)) {
        QString reply;
        try {
            reply = answer(KeyRequest(request), text);
        } catch (const AppError &e) {
            reply = e.description();
        }
        writeKeyMessage(*socket, request, reply);
    }
    // Out before anything the keys set off (Alt+F4's question) runs.
    socket->flush();
}

QString NotepadKeys::answer(KeyRequest request, const QString &text)
{
    if (!m_pad)
        return QString();
    switch (request) {
    case KeyRequest::Title:
        return m_pad->windowTitle();
    case KeyRequest::Activate:
        m_pad->show();
        m_pad->raise();
        m_pad->activateWindow();
        return QString();
    case KeyRequest::Keys:
        m_pad->typeKeys(parseKeyNotation(text));
        return QString();
    case KeyRequest::Text:
        return m_pad->text();
    }
    return QString();
}
