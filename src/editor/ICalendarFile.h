// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// iCalendar files (RFC 5545), so that events travel to and from calendar
// programs. libical reads and writes the text; this maps its events to
// ours: one VEVENT per event, yearly ones with a yearly rule.

#include "editor/ShareFile.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTimeZone>

class RecordSet;

// The rule a yearly event gets. 29 February falls on the last day of
// February, so that calendar programs show it on 28 February in common
// years, as the month list does. libical writes the parts in its own
// fixed order.
QString yearlyRuleText(const QDate &day);

// The UID of an event: the same date and description give the same UID
// on every export.
QString eventUid(const QDate &day, const QString &description);

// The iCalendar text of every visible row of rs, in its order, stamped
// with stamp. *count receives the number of events. Throws AppError, naming
// the event, for a row without a date or with a date outside the years 1 to
// 9999.
QByteArray icalendarText(const RecordSet &rs, const QDateTime &stamp, int *count = nullptr);

// One event as a calendar object of its own: a VCALENDAR holding only its
// VEVENT, the text the export writes of it.
struct CalendarObject
{
    QString uid;
    QDate day;
    QString description;
    QByteArray text;
};

// Each visible row of rs as such an object, in its order; throws as
// icalendarText does.
QList<CalendarObject> calendarObjects(const RecordSet &rs, const QDateTime &stamp);

// Writes icalendarText(rs) to path, creating or replacing the file only
// once the whole text is written. Returns the number of events. Throws
// AppError; the file is then as it was.
int ExportICalendarFile(const RecordSet &rs, const QString &path, const QDateTime &stamp);

// A longer line is refused before libical reads it: its line reader takes
// minutes over one of 24 MB. Calendar programs fold theirs at 75 bytes.
inline constexpr qsizetype kMaxICalendarLineBytes = 1000000;

// The events of an iCalendar file's bytes (UTF-8, or UTF-16 with its mark;
// blank lines before it and stray lines after END:VCALENDAR aside) as
// import candidates, in file order. today decides which one-off events are
// past (listed unticked); a date-time becomes its date in zone. A yearly
// rule that moves or ends (BYDAY, INTERVAL, COUNT, UNTIL ...) and any other
// rule are taken as the start's day every year, unticked with a note.
// Events without a summary are skipped and counted; a changed instance of
// a repeating event (RECURRENCE-ID) is skipped, being no event of its own.
// Texts keep their blanks. Throws AppError, naming what is wrong, for a
// text that is not iCalendar, is not UTF-8, has a line over
// kMaxICalendarLineBytes, ends before END:VCALENDAR, or holds an event
// whose DTSTART is missing, not a date or not a real day, or that libical
// could not read. progress is told the bytes read of the whole.
ImportRead parseICalendar(const QByteArray &bytes, const QDate &today,
                          const QTimeZone &zone = QTimeZone::systemTimeZone(),
                          const ReadProgress &progress = {});

// Reads the file at path as parseICalendar does. Throws AppError as
// readWholeFile and parseICalendar do.
ImportRead readICalendarFile(const QString &path, const QDate &today,
                             const ReadProgress &progress = {});
