#pragma once
// A text box as the design's forms know one: single- or multi-line, an
// optional read-only state, and a length limit that holds back what the
// user types or pastes but never cuts a text set by the program (a stored
// value longer than the box allows is shown and kept whole). Multi-line
// text uses CR LF between lines, the form the stored details use.

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

class TextBox final : public QWidget
{
    Q_OBJECT
public:
    explicit TextBox(bool multiLine, QWidget *parent = nullptr);

    QString text() const;
    // Sets the text as the program; raises textChanged like a user edit.
    void setText(const QString &text);

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }
    bool isLocked() const { return m_locked; }
    void setLocked(bool locked);
    bool isMultiLine() const { return m_plain != nullptr; }

    // The editing widget inside (for focus and for tests that type into it).
    QWidget *editor() const;

signals:
    void textChanged();
    void keyDown(int key);
    void mouseDown(Qt::MouseButton button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void userEdited();
    void trimLineEdit();
    void trimPlain();

    QLineEdit *m_line = nullptr;
    QPlainTextEdit *m_plain = nullptr;
    int m_maxLength = 0; // 0: no limit
    bool m_locked = false;
    bool m_programSet = false;
    QString m_lastText; // the text before the latest user edit
};
