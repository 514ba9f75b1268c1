// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The SQL builder's Run, apart from its window: the statement runs inside a
// transaction that the user commits or rolls back, and a commit that fails
// after the user chose to keep the change is said, never lost in silence.

class Connection;
class Prompts;
class QString;

// Runs text on db in a transaction and asks through prompts whether to
// commit; true when the change was committed. A statement the database
// refuses, and a Cancel, roll back without a word. A failing commit (another
// program reading the file, a full disk) rolls back and then shows "Error in
// RunSQL" with the error's number and description.
bool runBuilderStatement(Connection &db, Prompts &prompts, const QString &text);
