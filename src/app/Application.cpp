#include "app/Application.h"

#include "store/JetFunctions.h"

Application::Application(Clock clock) : m_clock(std::move(clock))
{
    setAppClock(m_clock);
    setJetClock(m_clock);
    setAppPrompts(&m_prompts);
    setSharedDb(&m_db);
}

Application::~Application()
{
    m_db.close();
    setSharedDb(nullptr);
    setAppPrompts(nullptr);
    setJetClock(nullptr);
    setAppClock(nullptr);
}
