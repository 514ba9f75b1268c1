#include "editing/TextBox.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QString toCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace

TextBox::TextBox(bool multiLine, QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget *inner = nullptr;
    if (multiLine) {
        m_plain = new QPlainTextEdit(this);
        m_plain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m_plain->setTabChangesFocus(true);
        connect(m_plain, &QPlainTextEdit::textChanged, this, [this] {
            if (!m_programSet)
                userEdited();
            emit textChanged();
        });
        m_plain->viewport()->installEventFilter(this);
        inner = m_plain;
    } else {
        m_line = new QLineEdit(this);
        connect(m_line, &QLineEdit::textEdited, this, [this] { userEdited(); });
        connect(m_line, &QLineEdit::textChanged, this, [this] { emit textChanged(); });
        inner = m_line;
    }
    inner->installEventFilter(this);
    layout->addWidget(inner);
    setFocusProxy(inner);
}

QWidget *TextBox::editor() const
{
    return m_plain ? static_cast<QWidget *>(m_plain) : m_line;
}

QString TextBox::text() const
{
    return m_plain ? toCrLf(m_plain->toPlainText()) : m_line->text();
}

void TextBox::setText(const QString &text)
{
    m_programSet = true;
    if (m_plain) {
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_plain->setPlainText(shown);
    } else {
        m_line->setText(text);
    }
    m_lastText = this->text();
    m_programSet = false;
}

void TextBox::setLocked(bool locked)
{
    m_locked = locked;
    if (m_plain)
        m_plain->setReadOnly(locked);
    else
        m_line->setReadOnly(locked);
}

void TextBox::userEdited()
{
    if (m_maxLength > 0) {
        if (m_plain)
            trimPlain();
        else
            trimLineEdit();
    }
    m_lastText = text();
}

// What the user added beyond the limit is dropped from just before the
// cursor, where it was typed or pasted; a text that was longer already may
// shrink but not grow.
void TextBox::trimLineEdit()
{
    const int allowed = std::max(m_maxLength, int(m_lastText.size()));
    QString now = m_line->text();
    const int excess = int(now.size()) - allowed;
    if (excess <= 0)
        return;
    int cursor = m_line->cursorPosition();
    const int from = std::max(0, cursor - excess);
    now.remove(from, excess);
    m_line->setText(now);
    m_line->setCursorPosition(from);
}

void TextBox::trimPlain()
{
    const int allowed = std::max(m_maxLength, int(m_lastText.size()));
    m_programSet = true;
    // Line breaks count as two characters (CR LF), so trim in steps that
    // cannot overshoot by more than one.
    for (int excess = int(text().size()) - allowed; excess > 0;
         excess = int(text().size()) - allowed) {
        QTextCursor cursor = m_plain->textCursor();
        const int step = std::max(1, excess / 2);
        const int end =
            cursor.position() > 0 ? cursor.position() : int(m_plain->toPlainText().size());
        cursor.setPosition(std::max(0, end - step));
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_plain->setTextCursor(cursor);
    }
    m_programSet = false;
}

bool TextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        emit keyDown(static_cast<QKeyEvent *>(event)->key());
    else if (event->type() == QEvent::MouseButtonPress)
        emit mouseDown(static_cast<QMouseEvent *>(event)->button());
    return QWidget::eventFilter(watched, event);
}
