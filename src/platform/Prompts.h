// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one route for message, input, file and colour boxes. Logic takes a
// Prompts& and never shows a box itself; tests hand in a scripted one.

#include <QString>
#include <optional>

enum class MsgIcon
{
    None,
    Critical,
    Question,
    Exclamation,
    Information
};
enum class MsgButtons
{
    OkOnly,
    OkCancel,
    YesNo,
    YesNoCancel
};
enum class MsgResult
{
    Ok = 1,
    Cancel = 2,
    Yes = 6,
    No = 7
};

class Prompts
{
public:
    // The title every box without one of its own carries.
    static QString applicationTitle() { return QStringLiteral("Almarik"); }

    virtual ~Prompts() = default;

    // An empty title means the application's title.
    virtual MsgResult MsgBox(const QString &text, MsgButtons buttons = MsgButtons::OkOnly,
                             MsgIcon icon = MsgIcon::None, const QString &title = {}) = 0;
    // Returns the text typed, or "" on Cancel.
    virtual QString InputBox(const QString &prompt, const QString &title = {},
                             const QString &defaultText = {}) = 0;
    // filter is in the "Name|pattern|Name|pattern" form. Returns the chosen
    // path; throws AppError 32755 on Cancel.
    virtual QString OpenFileDialog(const QString &title, const QString &filter,
                                   const QString &initialDir, const QString &fileName) = 0;
    // confirmOverwrite false: the caller appends to an existing file, so
    // choosing one is not a question of replacing it.
    virtual QString SaveFileDialog(const QString &title, const QString &filter,
                                   const QString &initialDir, const QString &fileName,
                                   bool confirmOverwrite = true) = 0;
    // Colours in the 0x00BBGGRR form. Throws AppError 32755 on Cancel.
    virtual quint32 ColourDialog(quint32 initial) = 0;
};

// The program-wide prompts: the Qt ones in the program, a scripted one in tests.
Prompts &appPrompts();
void setAppPrompts(Prompts *prompts);
