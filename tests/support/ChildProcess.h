// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs a piece of a test in a forked child, so that what it changes of the
// process (its user, limits, mounts) never reaches the test's own process.

#include <QString>

#include <functional>

// work's text, run in a child process; what went wrong there otherwise.
QString inChildProcess(const std::function<QString()> &work);

// work's text, run in a child process as a user without privileges: the
// tests' own user, or nobody when the tests run as root (who may read what
// anyone may). The files work reads must be open to nobody.
QString unprivileged(const std::function<QString()> &work);
