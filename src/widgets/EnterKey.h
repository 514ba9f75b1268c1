// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Enter presses the focused button, as on Windows and in GNOME and KDE
// dialogs, for buttons that are no dialog default: Enter in a text box
// still presses nothing.

class QPushButton;

void enterPressesButton(QPushButton *button);
