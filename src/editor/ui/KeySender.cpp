// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/KeySender.h"

#include "editor/KeyNotation.h"
#include "editor/ui/NotepadKeys.h"
#include "editor/ui/NotepadProgram.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>

#include <memory>

namespace {

// How long a window may take to answer one request.
constexpr int kAnswerMs = 30000;
// Keys sent without waiting, at most, before the sender waits for some of
// them to be typed: the window's pace sets the sender's.
constexpr int kMaxQueued = 64;

struct Front
{
    std::unique_ptr<QLocalSocket> socket;
    int queued = 0; // requests not answered yet
};

Front &front()
{
    static Front f;
    return f;
}

AppError windowGone()
{
    return AppError(ErrNo::InvalidCall,
                    QStringLiteral("The window being typed into was closed or stopped answering; "
                                   "not every key reached it."));
}

bool ask(QLocalSocket &socket, KeyRequest request, const QString &text, int ms, QString *answer)
{
    writeKeyMessage(socket, quint8(request), text);
    quint8 kind = 0;
    return readKeyMessage(socket, ms, &kind, answer) && kind == quint8(request);
}

// Waits until at most left requests are unanswered.
void drain(int left)
{
    Front &f = front();
    quint8 kind = 0;
    QString answer;
    while (f.queued > left) {
        if (!f.socket || !readKeyMessage(*f.socket, kAnswerMs, &kind, &answer))
            throw windowGone();
        --f.queued;
    }
}

} // namespace

bool AppActivate(const QString &titleStart, qint64 pid)
{
    const QDir folder(notepadFolder());
    for (const QString &name : folder.entryList(QDir::System | QDir::NoDotAndDotDot, QDir::Time)) {
        if (pid != 0 && name != QString::number(pid))
            continue;
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(folder.filePath(name));
        if (!socket->waitForConnected(1000)) {
            if (!processRunning(name.toLongLong())) // left by a killed one
                QFile::remove(folder.filePath(name));
            continue;
        }
        QString title;
        if (!ask(*socket, KeyRequest::Title, QString(), 2000, &title) ||
            !title.startsWith(titleStart) ||
            !ask(*socket, KeyRequest::Activate, QString(), 2000, &title))
            continue;
        front() = {std::move(socket), 0};
        return true;
    }
    return false;
}

void SendKeys(const QString &notation, bool wait)
{
    parseKeyNotation(notation); // a malformed notation sends nothing
    Front &f = front();
    if (!f.socket || f.socket->state() != QLocalSocket::ConnectedState)
        throw windowGone();
    writeKeyMessage(*f.socket, quint8(KeyRequest::Keys), notation);
    ++f.queued;
    f.socket->flush();
    drain(wait ? 0 : kMaxQueued);
}
