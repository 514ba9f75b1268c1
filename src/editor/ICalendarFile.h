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
// with stamp. *count receives the number of events. Throws AppError for a
// row without a date or with a date outside the years 100 to 9999.
QByteArray icalendarText(const RecordSet &rs, const QDateTime &stamp, int *count = nullptr);

// Writes icalendarText(rs) to path, creating or replacing the file only
// once the whole text is written. Returns the number of events. Throws
// AppError; the file is then as it was.
int ExportICalendarFile(const RecordSet &rs, const QString &path, const QDateTime &stamp);

// The events of an iCalendar text as import candidates, in file order.
// today decides which one-off events are past (listed unticked); a
// date-time becomes its date in zone. Events without a summary are
// skipped and counted; a changed instance of a repeating event
// (RECURRENCE-ID) is skipped, being no event of its own. Throws AppError,
// naming what is wrong, for a text that is not iCalendar, is not UTF-8,
// ends before END:VCALENDAR, or holds an event whose DTSTART is missing,
// not a date or not a real day, or that libical could not read.
ImportRead parseICalendar(const QByteArray &bytes, const QDate &today,
                          const QTimeZone &zone = QTimeZone::systemTimeZone());

// Reads the file at path as parseICalendar does. Throws AppError as
// readWholeFile and parseICalendar do.
ImportRead readICalendarFile(const QString &path, const QDate &today);
