// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/NotepadProgram.h"

#include "editor/ui/Notepad.h"
#include "editor/ui/NotepadKeys.h"
#include "widgets/QtPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString &programOverride()
{
    static QString program;
    return program;
}

} // namespace

QString notepadFolder()
{
    // The runtime folder is the user's own (mode 0700): nobody else can
    // put a window there for us to type into.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/almarik-notepad");
}

void setNotepadProgram(const QString &program)
{
    programOverride() = program;
}

qint64 startNotepad(const QString &path)
{
    const QString program =
        programOverride().isEmpty() ? QCoreApplication::applicationFilePath() : programOverride();
    qint64 pid = 0;
    if (!QProcess::startDetached(program, {QStringLiteral("--notepad"), path}, QString(), &pid))
        return 0;
    return pid;
}

bool processRunning(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/") + QString::number(pid) + QStringLiteral("/stat"));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    // "pid (name) S ...": the state follows the last parenthesis.
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    const char state = close >= 0 && close + 2 < line.size() ? line[close + 2] : 'X';
    return state != 'Z' && state != 'X';
}

int runNotepad(const QString &path)
{
    QtPrompts prompts;
    auto *pad = new Notepad(path, prompts);
    if (!pad->load()) {
        delete pad;
        return 1;
    }
    QDir().mkpath(notepadFolder());
    NotepadKeys keys(pad);
    keys.listen(
        QDir(notepadFolder()).filePath(QString::number(QCoreApplication::applicationPid())));
    pad->show();
    return QApplication::exec();
}
