// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Jet's General sort order for the texts the translated statements compare:
// case ignored, accented letters beside their base letter (É with E),
// Unicode's collation (ICU, through QCollator) rather than code points. It
// is registered under a name of its own, so that SQLite's built-in NOCASE,
// which other programs use on the same file, keeps its meaning.

struct sqlite3;

// The collation's name in translated statements.
inline constexpr char kJetCollation[] = "jet_general";

// <0, 0 or >0 as a sorts before, with or after b (UTF-8 texts).
int jetCompareTexts(const char *a, int aBytes, const char *b, int bBytes);

void registerJetCollation(sqlite3 *db);
