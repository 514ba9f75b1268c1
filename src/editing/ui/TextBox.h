// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A text box of the design's forms: one line or several, holding back what
// the user types or pastes beyond its length limit. A text set by the
// program is never cut (a stored value longer than the box allows is shown
// and kept whole), and the lines of a multi-line box are joined by CR LF,
// the form the stored details use. It reports key and mouse presses for the
// form's handlers.

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

class TextBox final : public QWidget
{
    Q_OBJECT
public:
    TextBox(bool multiLine, int maxLength, QWidget *parent = nullptr);

    QString text() const;
    // Sets the text as the program; raises textChanged like a user edit.
    void setText(const QString &text);

    int maxLength() const { return m_maxLength; }
    bool isMultiLine() const { return m_plain != nullptr; }
    bool isReadOnly() const;
    void setReadOnly(bool readOnly);

    // The editing widget inside (for focus and for tests that type into it).
    QWidget *editor() const;

signals:
    void textChanged();
    void keyDown();
    void mouseDown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void holdToLimit();

    QLineEdit *m_line = nullptr;
    QPlainTextEdit *m_plain = nullptr;
    int m_maxLength;
    int m_allowed; // the limit, or the longer text the program set
    bool m_programSet = false;
};
