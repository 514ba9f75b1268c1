// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starting another program: always with an argument list, never through a
// shell, so that no text ever becomes a command line. Windows take a
// ProgramStarter so that tests record the start instead of making it.

#include <QString>
#include <QStringList>
#include <functional>

// Starts program with arguments and returns at once; false when it could not
// be started.
using ProgramStarter = std::function<bool(const QString &program, const QStringList &arguments)>;

// The real starter: a detached process.
bool startProgram(const QString &program, const QStringList &arguments);
