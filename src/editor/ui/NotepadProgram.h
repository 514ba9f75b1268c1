// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Notepad stand-in runs as a program of its own ("almarik --notepad
// FILE"), as Notepad does on Windows: no modal window of ours blocks it,
// nothing typed into it can reach our windows, and it stays open with its
// unsaved text when we end.

#include <QString>

// The folder in which each running stand-in listens for keys, under a
// name that is its process id.
QString notepadFolder();

// Starts the stand-in on path, detached from this process; its process id,
// or 0 when it could not be started.
qint64 startNotepad(const QString &path);

// The program startNotepad runs: this one unless set (tests set it).
void setNotepadProgram(const QString &program);

// True while process pid runs (a finished one that is not yet reaped does
// not count).
bool processRunning(qint64 pid);

// The stand-in's own main: shows the window on path and listens for keys
// until it is closed. 1, with no window, when the file cannot be read.
int runNotepad(const QString &path);
