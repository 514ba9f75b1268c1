// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a program types into the Notepad stand-in: it connects to the
// stand-in's local socket and sends requests, each a QDataStream of the
// request's number and its text; the stand-in answers each, in order,
// with one text once the request has been carried out.

#include <QObject>
#include <QPointer>
#include <QString>

class Notepad;
class QLocalServer;
class QLocalSocket;

enum class KeyRequest : quint8
{
    Title = 1, // answers the window's title
    Activate,  // brings the window to the front
    Keys,      // types the key notation; answered once typed
    Text,      // answers the text as it would be saved
};

// Reads one answer or request from socket, waiting at most ms; false when
// none came in time or the connection ended.
bool readKeyMessage(QLocalSocket &socket, int ms, quint8 *request, QString *text);
void writeKeyMessage(QLocalSocket &socket, quint8 request, const QString &text);

// The stand-in's side: answers requests on the socket at path while pad
// is open.
class NotepadKeys final : public QObject
{
public:
    explicit NotepadKeys(Notepad *pad);
    // False (and a warning) when the socket cannot be made.
    bool listen(const QString &path);

private:
    void serve(QLocalSocket *socket);
    QString answer(KeyRequest request, const QString &text);

    QPointer<Notepad> m_pad;
    QLocalServer *m_server;
};
