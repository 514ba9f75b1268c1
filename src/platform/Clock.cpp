// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clock.h"

namespace {

Clock &installed()
{
    static Clock clock = systemClock();
    return clock;
}

} // namespace

Clock systemClock()
{
    return [] { return QDateTime::currentDateTime(); };
}

const Clock &appClock()
{
    return installed();
}

void setAppClock(Clock clock)
{
    installed() = clock ? std::move(clock) : systemClock();
}
