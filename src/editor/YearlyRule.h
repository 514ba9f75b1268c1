// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Calendar programs write more yearly rules than "the same day every
// year": Mother's Day is the second Sunday of May, an election comes every
// four years, a series ends. Our table holds only the first kind, so the
// others are imported as it, unticked and with a note saying so.

#include <QDate>
#include <QString>

struct icalrecurrencetype;

// "" when rule (FREQ=YEARLY) repeats start's day every year without end;
// else the candidate's note: what the rule does and what is taken instead,
// e.g. "second Sunday of May: taken as 10 May yearly", "every 4 years, ends
// 2013: taken as 29 February yearly".
QString yearlyRuleNote(const icalrecurrencetype &rule, const QDate &start);
