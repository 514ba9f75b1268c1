// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's "About" and "Check for Update" commands. Both windows
// stay open beside their owner; a second click brings the open one forward
// instead of opening another.

#include <QString>

class QWidget;

// Shows the About box naming databasename (the open event database).
void showAboutBox(QWidget *owner, const QString &databasename);
// Shows the update window, which starts fetching the update page.
void showUpdatePage(QWidget *owner);
