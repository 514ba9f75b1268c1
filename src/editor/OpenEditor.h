#pragma once
// The main window's "Event Editor" command, up to the month list's refill
// (which the main window does after this returns).

class QWidget;

// Opens rsEditor (client cursor, no filter, every event by date) on
// dbConnection, shows the editor modally over owner and closes rsEditor
// again. Each failing step is skipped without a message.
void openEventEditor(QWidget *owner);
