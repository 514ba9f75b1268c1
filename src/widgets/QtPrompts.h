// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The prompts of the running program, shown with Qt's standard dialogs.

#include "platform/Prompts.h"

#include <QStringList>

class QMessageBox;
class QWidget;

class QtPrompts final : public Prompts
{
public:
    MsgResult MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                     const QString &title) override;
    QString InputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    QString OpenFileDialog(const QString &title, const QString &filter, const QString &initialDir,
                           const QString &fileName) override;
    QString SaveFileDialog(const QString &title, const QString &filter, const QString &initialDir,
                           const QString &fileName, bool confirmOverwrite = true) override;
    quint32 ColourDialog(quint32 initial) override;
};

// Where a file dialog opens: fileName in initialDir, else in lastFolder (the
// folder of the file chosen last), else in the working folder.
QString fileDialogStart(const QString &initialDir, const QString &fileName,
                        const QString &lastFolder);

// "Name|pattern|Name|pattern" as Qt's "Name (pattern);;Name (pattern)".
QString qtFileFilter(const QString &designFilter);

// Gives box its title (the application's when empty), its plain text, icon
// and buttons.
void setUpMessageBox(QMessageBox &box, const QString &text, MsgButtons buttons, MsgIcon icon,
                     const QString &title);
