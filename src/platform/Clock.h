// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's one source of the current time. Windows and core functions
// take a Clock; the application object hands out the system's, tests a
// fixed one, so that nothing depends on when a test runs.

#include <QDateTime>
#include <functional>

using Clock = std::function<QDateTime()>;

// The real time of day.
Clock systemClock();

// The clock the convenience constructors of the windows use: the one the
// application object installed, the system's when none is.
const Clock &appClock();
void setAppClock(Clock clock);
