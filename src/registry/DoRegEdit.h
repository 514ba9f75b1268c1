// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry tasks kept in table RegEdit, carried out at start-up when the
// "Registry tasks on Startup" option is on.

class Connection;
class Prompts;

// Runs every row of "SELECT * FROM RegEdit" in the order returned: Task
// "delete" deletes the value key under hKey\SubKey, "edit" writes NewValue
// there; any other Task (letter case counts) does nothing. A row whose
// fields cannot be read is reported and skipped, each distinct message once
// a run; a table that cannot be opened is reported once and ends the run.
// Nothing is removed from the table. The run is one registry batch
// (runRegistryBatch): each registry file is written once, after the last
// task, and the messages follow that write.
void DoRegEdit(Connection &db, Prompts &prompts);
