#pragma once
// Typing into another window as a user would: bring it to the front by the
// beginning of its title, then send it keys in the key notation.

#include <QString>

class QWidget;

// Brings the first visible top-level window of the program whose title
// begins with titleStart to the front; it receives what SendKeys sends.
// False when there is none.
bool AppActivate(const QString &titleStart);

// Sends the keys of notation (see KeyNotation.h) to the focused control of
// the window in front. With wait, returns only once they, and every key
// sent before, have been processed; without, they are queued. Throws
// AppError for a malformed notation, before any key is sent.
void SendKeys(const QString &notation, bool wait = false);

// The window SendKeys types into (null when none).
QWidget *frontWindow();
