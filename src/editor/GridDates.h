// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dates as the editor's grid shows and reads them: the system's short date
// form, always with a four-digit year so that a date read back is the date
// that was shown.

#include <QString>
#include <QVariant>

// The locale's short date format with its year widened to four digits.
QString cellDateFormat();

// A Dates value as the grid shows it: a QDate in cellDateFormat(), a
// QDateTime with a time of day followed by " hh:mm:ss", any other value as
// its text, null as "".
QString cellDateText(const QVariant &value);

// The date a typed text means, as a QDate (or a QDateTime when a time of day
// was given); an invalid QVariant when it is no date. Read in the grid's own
// form first, with one- or two-digit day and month in the region's order
// (also with a two-digit year, 1930 to 2029), then "dd-mm-yyyy", then
// yyyy-mm-dd. Day and month are never read in another order than the
// region's.
QVariant parseCellDate(const QString &text);
