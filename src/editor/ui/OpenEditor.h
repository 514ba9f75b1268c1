// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's "Event Editor" command, up to the month list's refill
// (which the main window does after this returns).

#include "platform/Clock.h"

class Connection;
class Prompts;
class QWidget;
class RecordSet;

// Opens rs (client cursor, no filter, every event by date) on db, shows the
// editor modally over owner and closes rs again. Each failing step is
// skipped without a message.
void openEventEditor(QWidget *owner, Connection &db, RecordSet &rs, Prompts &prompts,
                     const Clock &clock);
