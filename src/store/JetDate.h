// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Date texts between the Jet literal form and the stored ISO form.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

// The inside of a "#...#" literal (m/d/yyyy, mm/dd/yyyy, yyyy-mm-dd,
// yyyy/mm/dd, English month names as in "Jan 2, 2027" or "2-Jan-2027", each
// with an optional time; two-digit years as Jet reads them) as stored text:
// "yyyy-mm-dd", or "yyyy-mm-dd hh:mm:ss" when a time was given. Nothing for
// an impossible date.
std::optional<QString> jetDateToIso(const QString &inside);

// The day as stored, "yyyy-mm-dd": written by hand for the years 1 to 9999
// (QDate's own formatting costs more than a whole calendar object's
// other work), by QDate beyond them.
QByteArray isoDateBytes(const QDate &day);

// A stored date text as a QDate (no time) or QDateTime; a null QVariant
// when the text is not a stored date.
QVariant isoToDateValue(const char *text, int length);

// The parts of a stored date text; msecs is the time of day in
// milliseconds, -1 when the text holds no time.
struct IsoParts
{
    int year = 0;
    int month = 0;
    int day = 0;
    int msecs = -1;
};
// False when the text is not a stored date.
bool isoToParts(const char *text, int length, IsoParts *parts);

// The same as the day's Julian day number and the time of day, without
// building a QVariant.
bool isoToDayAndTime(const char *text, int length, qint64 *julianDay, int *msecsOfDay);

// A date value for storage: QDate as "yyyy-mm-dd", QDateTime with a time as
// "yyyy-mm-dd hh:mm:ss". Texts are read in the stored form, then in the
// user's short date form (a two-digit year as Jet reads it), then as a Jet
// literal's inside. Nothing when the value is not a date.
std::optional<QString> dateValueToIso(const QVariant &value);
