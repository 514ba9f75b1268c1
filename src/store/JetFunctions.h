// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The SQL functions Jet statements need, for every connection: text
// comparison as Jet does it (the jet_general collation; LIKE ignores case
// beyond ASCII too and knows Jet's classes and "#"), Jet's operators and
// its built-in functions as "jet_<name>", which the translator calls.

struct sqlite3;

// Adds the jet_general collation and the jet_ functions to db and replaces
// its like() function (SQLite's built-in NOCASE is left as it is).
void registerJetFunctions(sqlite3 *db);
