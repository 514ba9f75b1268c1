// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Brings an event database up to the shape the program expects: missing
// tables and Calendar columns are created, missing type rows written and
// missing checks of yes/no and date columns added (see TypeChecks.h).
// Nothing that exists is dropped or renamed; the only values it changes
// are non-zero yes/no values other than -1 of its own four tables, which
// become -1. No other table is touched, and a file whose table of one of
// those names has other columns (see OwnTables.h) is refused unchanged.

#include <QString>

class Connection;
class Prompts;

// The repair command: failures of the type, wallpaper and task steps are
// shown as boxes and the repair goes on; another program's table of an own
// table's name is shown as a box before anything changes and ends it; any
// other failure ends it quietly.
void RepairDatabase(Connection &db, Prompts &prompts);

// A brand-new database file with every table and the nine type rows, made
// beside path and moved into place only when complete. Throws DbError.
void CreateDatabase(const QString &path);
