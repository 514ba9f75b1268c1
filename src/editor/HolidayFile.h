// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Outlook holiday file: a section "[Almayy] N" with one line per event
// of a chosen year, appended to the file in the form it already has.

#include <QDate>
#include <QString>

class RecordSet;

// "[Alma" + the year's last two characters + "] " + count.
QString holidaySectionHeader(const QString &year, int count);

// One event's line: the description with "/" as "-" and "," as ".", the
// years since its date when not 0 (" (40 years)", negative for a later
// date), ", " and year + "/mm/dd" of its date.
QString holidayLine(const QString &description, const QDate &date, const QString &year);

// The header and a line per visible row of rs, each ended by CR LF. Throws
// AppError for an event without a date, before anything is written.
QString holidaySectionText(const RecordSet &rs, const QString &year);

// What the user does next, once the section is in the file.
QString holidayInstruction(const QString &year);

// Appends text to the file (created when missing) in the form its bytes
// already have: UTF-16 or UTF-8 with a mark, UTF-8, Windows-1252; a new or
// plain ASCII file gets Windows-1252 when that holds every character, else
// UTF-8 with its mark. Throws AppError (the file as it was) when a
// Windows-1252 file cannot hold a character of text, or the file cannot be
// written.
void appendToHolidayFile(const QString &path, const QString &text);
