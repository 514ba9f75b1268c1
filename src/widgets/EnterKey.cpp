// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/EnterKey.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

class EnterFilter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!enter || !button || (key->modifiers() & ~Qt::KeypadModifier))
            return false;
        if (button->isEnabled())
            button->click();
        return true;
    }
};

} // namespace

void enterPressesButton(QPushButton *button)
{
    button->installEventFilter(new EnterFilter(button));
}
