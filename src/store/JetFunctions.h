#pragma once
// Text comparison as Jet does it, for every connection: NOCASE and LIKE
// ignore case beyond ASCII too ("Ä" equals "ä"), which SQLite's own do not.

struct sqlite3;

// Replaces the NOCASE collation and the like() function on db.
void registerJetFunctions(sqlite3 *db);
