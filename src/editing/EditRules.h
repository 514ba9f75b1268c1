// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rules of the editing windows, apart from their controls so that they
// can be tested alone: the SQL builder's statement and the single event
// dialog's change check.

#include <QString>

struct EventRecord;

// What the SQL builder's option buttons select.
enum class SqlMode
{
    None,
    Update,
    Delete
};

// The statement the SQL builder offers: values go in as typed, since the
// user writes them as literals; the WHERE part only when whereValue is
// given. None gives "".
QString builtStatement(SqlMode mode, const QString &setColumn, const QString &setValue,
                       const QString &whereColumn, const QString &whereValue);

// True when the form differs from the event as loaded (an event never
// loaded always differs): its description, day, type, details (compared as
// stored, with CR LF) or show-once mark.
bool eventDiffers(const EventRecord &loaded, const EventRecord &form);
