// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the process shares, created after QApplication and destroyed before
// it ends, in a fixed order: the clock (also the store's Now, Date and
// Time), the Qt prompts, then the connection and its record sets, which
// are closed first when the program ends.

#include "platform/Clock.h"
#include "store/SharedDb.h"
#include "widgets/QtPrompts.h"

class Application final
{
public:
    // Installs its objects as the program's own.
    explicit Application(Clock clock = systemClock());
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;
    // Closes the record sets and the connection, then uninstalls everything.
    ~Application();

    const Clock &clock() const { return m_clock; }
    Prompts &prompts() { return m_prompts; }
    SharedDb &db() { return m_db; }

private:
    Clock m_clock;
    QtPrompts m_prompts;
    SharedDb m_db;
};
