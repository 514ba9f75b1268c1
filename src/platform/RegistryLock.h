// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lock a writer holds on one root's file while it reads the file again,
// changes it and saves it, so that two processes writing at once never lose
// each other's values. A lock left by a process that died is taken over.

#include <QLockFile>
#include <QString>

class RegistryLock
{
public:
    // Waits for the lock file path + ".lock" (at most a few seconds).
    explicit RegistryLock(const QString &path);
    bool isLocked() const { return m_lock.isLocked(); }

private:
    QLockFile m_lock;
};
