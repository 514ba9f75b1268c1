// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a terminal is given: texts from the database cannot send it escape
// sequences or break a row, columns line up by the cells a text takes, and
// colours only where the terminal shows them.

#include <QString>

// text with each control character shown instead of sent: C0 controls and
// DEL as their Unicode control pictures (a tab as U+2409, an escape as
// U+241B), C1 controls and the bidirectional overrides as "<U+XXXX>".
QString visibleText(const QString &text);

// The terminal cells text takes, by wcwidth in UTF-8 whatever the user's
// locale: two for wide CJK characters, none for combining marks.
int displayWidth(const QString &text);

// Whether to colour the rows: standard output is a terminal, NO_COLOR is
// unset or empty, and TERM names a terminal other than "dumb".
bool wantsColour(bool isTerminal, const QString &term, const QString &noColor);
