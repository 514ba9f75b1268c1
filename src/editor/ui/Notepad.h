// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Linux has no Notepad, so the Office 2000/XP holiday export types into this
// small plain text window of our own: titled with the file's name and
// " - Notepad", it keeps the file's text form and line ends, and on closing
// with unsaved changes asks whether to save them.

#include <QWidget>

#include "editor/ExchangeText.h"

#include <QList>

struct KeyStroke;
class Prompts;
class QPlainTextEdit;

class Notepad final : public QWidget
{
    Q_OBJECT
public:
    // Over the program's prompts.
    explicit Notepad(const QString &path, QWidget *parent = nullptr);
    Notepad(const QString &path, Prompts &prompts, QWidget *parent = nullptr);

    // Reads the file; a missing file opens empty, as a new one. False (and
    // nothing shown) when the file cannot be read.
    bool load();
    // Writes the text back in the file's form and line ends. Throws AppError
    // (the file as it was) when that form cannot hold the text or the file
    // cannot be written.
    void save();

    // Types the strokes as a user would at the caret. Alt+F4 closes the
    // window once the strokes are typed, so the question it may ask does
    // not hold up the caller.
    void typeKeys(const QList<KeyStroke> &strokes);

    // The text as save() writes it, line ends included.
    QString text() const;
    QPlainTextEdit *editor() const { return m_edit; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_path;
    Prompts &m_prompts;
    QPlainTextEdit *m_edit = nullptr;
    TextForm m_form = TextForm::Undecided;
    bool m_crlf = true;
};
