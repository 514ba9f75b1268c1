// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"

Application::Application(Clock clock) : m_clock(std::move(clock))
{
    setAppClock(m_clock);
    setAppPrompts(&m_prompts);
    setSharedDb(&m_db);
}

Application::~Application()
{
    m_db.close();
    setSharedDb(nullptr);
    setAppPrompts(nullptr);
    setAppClock(nullptr);
}
