#include "editor/ui/KeySender.h"

#include "editor/KeyNotation.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget> g_front;
}

bool AppActivate(const QString &titleStart)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle().startsWith(titleStart)) {
            w->raise();
            w->activateWindow();
            g_front = w;
            return true;
        }
    }
    return false;
}

QWidget *frontWindow()
{
    return g_front ? g_front.data() : QApplication::activeWindow();
}

void SendKeys(const QString &notation, bool wait)
{
    const QList<KeyStroke> strokes = parseKeyNotation(notation);
    for (const KeyStroke &s : strokes) {
        QWidget *window = frontWindow();
        if (!window)
            break;
        QWidget *target = window->focusWidget() ? window->focusWidget() : window;
        QCoreApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyPress, s.key, s.modifiers, s.text));
        QCoreApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyRelease, s.key, s.modifiers, s.text));
    }
    if (wait)
        QCoreApplication::sendPostedEvents();
}
