// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the iCalendar reader learns from a file's lines itself, before and
// beside libical: where the calendar ends (some programs write a line
// after it), and the blanks at either end of a text, which libical drops
// although they belong to the value.

#include <QByteArray>
#include <QHash>
#include <QSet>

#include <functional>

// A text value as written: its leading blanks, the value between them
// (still escaped) and its trailing blanks.
struct PaddedValue
{
    QByteArray lead;
    QByteArray core;
    QByteArray trail;
};

// The offset just past the last END:VCALENDAR line of text (any case); the
// lines after it are no part of the calendar unless one is a BEGIN: or an
// END: line (then the file was cut). -1 when it has no such line or was cut.
qsizetype calendarEnd(const QByteArray &text);

// What the walk over the lines learns of the events, by each event's
// number (counted from 1 in file order).
struct EventNotes
{
    // The first SUMMARY (at number * 2) and DESCRIPTION (number * 2 + 1)
    // that begin or end with a blank or a tab.
    QHash<qsizetype, PaddedValue> padded;
    // The events whose first RRULE line is "RRULE:FREQ=YEARLY" itself,
    // unfolded: that line is left out of the part, for the rule is known.
    QSet<qsizetype> plainYearly;
};

// value as libical gives it (the unescaped text without its end blanks)
// with the blanks of padded, when padded is written value; else value.
QByteArray withBlanks(const QByteArray &value, const PaddedValue *padded);

// Calls read with the calendar of text in parts, each a VCALENDAR text of
// its own holding every VTIMEZONE of text and the next eventsPerPart
// VEVENTs (with the other components between them), in file order. One
// libical tree of 100,000 events costs more in memory and malloc than
// reading them; the time zones come along so that each part resolves its
// TZIDs as the whole file would. Of the other components only the lines
// the import reads are kept (DTSTART, SUMMARY, DESCRIPTION, CATEGORIES,
// RRULE, RECURRENCE-ID, with their folded lines): libical's time goes into
// every property it parses. Properties of the calendar itself, components
// inside an event (VALARM) and lines outside the calendar are left out.
// read is also told how many bytes of text are behind it. Before each part
// is read, notes holds what was noted of its VEVENTs and of those before
// it. Throws what read throws.
void forEachCalendarPart(const QByteArray &text, int eventsPerPart, EventNotes &notes,
                         const std::function<void(const QByteArray &part, qsizetype done)> &read);
