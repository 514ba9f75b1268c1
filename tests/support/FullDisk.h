// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs a write against a disk that is all but full, in a child process so
// that nothing of it reaches the test's own process: a small tmpfs of the
// child's own mount namespace when the tests run as root, otherwise a
// file-size limit (where every file may grow to room bytes).

#include <QString>

#include <functional>

using FolderStep = std::function<QString(const QString &folder)>;

// setup runs with the folder still roomy (its text is dropped unless it is
// not empty, which ends the run with that text); then the disk is filled up
// to room free bytes and work runs. Returns what work returned, or what went
// wrong in the child.
QString onFullDisk(qint64 room, const FolderStep &setup, const FolderStep &work);

// True when the run uses a tmpfs (the tests run as root).
bool fullDiskIsTmpfs();
