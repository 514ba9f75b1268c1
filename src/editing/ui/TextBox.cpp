// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/TextBox.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

TextBox::TextBox(bool multiLine, int maxLength, QWidget *parent)
    : QWidget(parent), m_maxLength(maxLength), m_allowed(maxLength)
{
    if (multiLine) {
        m_plain = new QPlainTextEdit(this);
        m_plain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m_plain->setTabChangesFocus(true);
        // Mouse presses reach the viewport, not the editor itself.
        m_plain->viewport()->installEventFilter(this);
        connect(m_plain, &QPlainTextEdit::textChanged, this, [this] {
            if (!m_programSet)
                holdToLimit();
            emit textChanged();
        });
    } else {
        m_line = new QLineEdit(this);
        m_line->setMaxLength(maxLength);
        connect(m_line, &QLineEdit::textChanged, this, &TextBox::textChanged);
    }
    editor()->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(editor());
    setFocusProxy(editor());
}

QWidget *TextBox::editor() const
{
    return m_plain ? static_cast<QWidget *>(m_plain) : m_line;
}

QString TextBox::text() const
{
    if (m_line)
        return m_line->text();
    return m_plain->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void TextBox::setText(const QString &text)
{
    if (m_line) {
        m_line->setMaxLength(std::max(m_maxLength, int(text.size())));
        m_line->setText(text);
        return;
    }
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_programSet = true;
    m_plain->setPlainText(lines);
    m_programSet = false;
    m_allowed = std::max(m_maxLength, int(this->text().size()));
}

bool TextBox::isReadOnly() const
{
    return m_line ? m_line->isReadOnly() : m_plain->isReadOnly();
}

void TextBox::setReadOnly(bool readOnly)
{
    if (m_line)
        m_line->setReadOnly(readOnly);
    else
        m_plain->setReadOnly(readOnly);
}

// What the user typed or pasted beyond the limit is dropped from just
// before the cursor, where it went in. A line break counts as CR LF.
void TextBox::holdToLimit()
{
    int excess = int(text().size()) - m_allowed;
    if (excess <= 0)
        return;
    const QString plain = m_plain->toPlainText();
    QTextCursor cursor = m_plain->textCursor();
    const int end = cursor.position();
    int from = end;
    while (excess > 0 && from > 0)
        excess -= plain.at(--from) == QLatin1Char('\n') ? 2 : 1;
    cursor.setPosition(from);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    m_programSet = true;
    cursor.removeSelectedText();
    m_programSet = false;
    m_plain->setTextCursor(cursor);
}

bool TextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        emit keyDown();
    } else if (event->type() == QEvent::MouseButtonPress) {
        emit mouseDown();
    } else if (event->type() == QEvent::FocusOut && watched == editor()) {
        // The box as a whole loses the focus: an item view that edits a cell
        // with it commits the cell on this event.
        QFocusEvent out(QEvent::FocusOut, static_cast<QFocusEvent *>(event)->reason());
        QCoreApplication::sendEvent(this, &out);
    }
    return QWidget::eventFilter(watched, event);
}
