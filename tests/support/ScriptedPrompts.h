// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Prompts for tests: records every box and answers from a queue. A box with
// no answer queued fails the test.

#include "platform/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

struct RecordedBox
{
    QString kind; // "msg", "input", "open", "save", "colour"
    QString text;
    QString title; // as shown: the application's title when none was given
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OkOnly;
    QString extra; // filter, initial folder and file name of file dialogs, "|"-joined
};

class ScriptedPrompts final : public Prompts
{
public:
    ScriptedPrompts();
    ~ScriptedPrompts() override;

    // Answers, taken in order: a MsgResult for message boxes, a QString for
    // input boxes and file dialogs, a quint32 for the colour dialog. An
    // invalid QVariant answers Cancel.
    void answer(const QVariant &value) { m_answers.append(value); }
    // Message boxes with OkOnly answer Ok by themselves when this is on.
    void setAutoOk(bool on) { m_autoOk = on; }
    // Runs when a message box opens, before it is answered: a test can act
    // while the caller waits on the box.
    std::function<void()> onMessage;

    QList<RecordedBox> boxes;
    // The boxes shown so far as "title (icon, buttons): text", then forgotten.
    QStringList takeBoxes();
    int pendingAnswers() const { return int(m_answers.size()); }

    MsgResult MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                     const QString &title) override;
    QString InputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    QString OpenFileDialog(const QString &title, const QString &filter, const QString &initialDir,
                           const QString &fileName) override;
    QString SaveFileDialog(const QString &title, const QString &filter, const QString &initialDir,
                           const QString &fileName, bool confirmOverwrite = true) override;
    quint32 ColourDialog(quint32 initial) override;

private:
    QVariant next(const RecordedBox &box);
    QVariant chosen(const RecordedBox &box);
    QList<QVariant> m_answers;
    bool m_autoOk = true;
};
