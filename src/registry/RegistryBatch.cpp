// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry/RegistryBatch.h"

#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "registry/REG_MODULE.h"

#include <QList>

#include <utility>

namespace {

// Holds the OK-only message boxes of a batch until it is written, answering
// OK for them. Any other box or dialog needs the user's answer now and goes
// to the real prompts (the registry procedures ask for none).
class HeldPrompts final : public Prompts
{
public:
    explicit HeldPrompts(Prompts &real) : m_real(real) {}

    MsgResult MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                     const QString &title) override
    {
        if (buttons != MsgButtons::OkOnly)
            return m_real.MsgBox(text, buttons, icon, title);
        m_held.append({text, icon, title});
        return MsgResult::Ok;
    }
    QString InputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override
    {
        return m_real.InputBox(prompt, title, defaultText);
    }
    QString OpenFileDialog(const QString &title, const QString &filter, const QString &initialDir,
                           const QString &fileName) override
    {
        return m_real.OpenFileDialog(title, filter, initialDir, fileName);
    }
    QString SaveFileDialog(const QString &title, const QString &filter, const QString &initialDir,
                           const QString &fileName, bool confirmOverwrite) override
    {
        return m_real.SaveFileDialog(title, filter, initialDir, fileName, confirmOverwrite);
    }
    quint32 ColourDialog(quint32 initial) override { return m_real.ColourDialog(initial); }

    // Shows the held boxes in the order they were asked for.
    void show()
    {
        for (const Box &box : std::exchange(m_held, {}))
            m_real.MsgBox(box.text, MsgButtons::OkOnly, box.icon, box.title);
    }

private:
    struct Box
    {
        QString text;
        MsgIcon icon;
        QString title;
    };
    Prompts &m_real;
    QList<Box> m_held;
};

void endBatch(HeldPrompts &held, Prompts &prompts)
{
    const qint32 rc = registryStore().endBatch();
    held.show();
    if (rc != ERROR_SUCCESS)
        RegistryResultMessage(rc, prompts);
}

} // namespace

void runRegistryBatch(Prompts &prompts, const std::function<void(Prompts &)> &tasks)
{
    HeldPrompts held(prompts);
    registryStore().beginBatch();
    try {
        tasks(held);
    } catch (...) {
        endBatch(held, prompts);
        throw;
    }
    endBatch(held, prompts);
}
