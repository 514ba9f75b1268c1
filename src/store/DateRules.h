// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The date rules the program shares, kept in one place: Jet's reading of a
// two-digit year, the user's short date form with its year widened to four
// digits, and the "dd-MM-yyyy" texts of the month list and the title.

#include <QDate>
#include <QString>

// A year as Jet reads it: written with two digits, 0 to 29 are 2000 to 2029
// and 30 to 99 are 1930 to 1999; more digits stand as written.
int jetYear(int year, qsizetype digits = 2);

// A date Qt read from a two-digit year (as 19yy), moved to the year Jet reads.
QDate withJetYear(const QDate &readAs19yy);

// A date pattern with "yy" widened to "yyyy"; one with "yyyy" is unchanged.
QString withFourDigitYear(QString pattern);

// The locale's short date pattern, always with a four-digit year, so that a
// date read back is the date that was shown.
QString shortDateFormat();

// "dd-MM-yyyy", the pattern of the month list's dates.
QString dayMonthYearPattern();
// A day in that pattern, or with another separator.
QString dayMonthYearText(const QDate &day, char16_t separator = u'-');
// The day such a text names; an invalid QDate when it names none.
QDate dayFromDayMonthYearText(const QString &text);

// The year address books store a date without a year in (1604, a leap
// year, so that 29 February fits). The month list shows no years count for
// it; the vCard import stores year-less dates in it.
inline constexpr int kNoYear = 1604;
