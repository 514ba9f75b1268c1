// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Programs.h"

#include <QProcess>

bool startProgram(const QString &program, const QStringList &arguments)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments);
}
