#pragma once
// The SQL functions Jet statements need, for every connection: text
// comparison as Jet does it (NOCASE and LIKE ignore case beyond ASCII too,
// LIKE knows Jet's classes and "#"), Jet's operators and its built-in
// functions as "jet_<name>", which the translator calls.

struct sqlite3;

// Replaces the NOCASE collation and the like() function on db and adds the
// jet_ functions.
void registerJetFunctions(sqlite3 *db);
