// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Prompts.h"

#include "platform/AppError.h"

namespace {

// Until the program installs its own, every box is an error: nothing may
// silently answer for the user.
class NoPrompts final : public Prompts
{
public:
    MsgResult MsgBox(const QString &text, MsgButtons, MsgIcon, const QString &) override
    {
        qFatal("unexpected message box: %s", qPrintable(text));
    }
    QString InputBox(const QString &prompt, const QString &, const QString &) override
    {
        qFatal("unexpected input box: %s", qPrintable(prompt));
    }
    QString OpenFileDialog(const QString &title, const QString &, const QString &,
                           const QString &) override
    {
        qFatal("unexpected file dialog: %s", qPrintable(title));
    }
    QString SaveFileDialog(const QString &title, const QString &, const QString &, const QString &,
                           bool) override
    {
        qFatal("unexpected file dialog: %s", qPrintable(title));
    }
    quint32 ColourDialog(quint32) override { qFatal("unexpected colour dialog"); }
};

NoPrompts g_noPrompts;
Prompts *g_prompts = &g_noPrompts;

} // namespace

Prompts &appPrompts()
{
    return *g_prompts;
}

void setAppPrompts(Prompts *prompts)
{
    g_prompts = prompts ? prompts : &g_noPrompts;
}
