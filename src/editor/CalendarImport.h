// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the calendar and address book imports share: turning a day, a
// title, a type and details read from another program into a candidate our
// table can hold, saying in its note what had to change.

#include "editor/ShareFile.h"

#include <QDate>

class AppError;

// The candidate for one event read from another program. The description
// is cut to 50 characters and the details (line breaks made CR LF) to
// 4,000, each cut noted; typeKey is one of the nine keys or a null QString,
// details a null QString for none.
ImportCandidate calendarCandidate(const QDate &day, const QString &description,
                                  const QString &typeKey, bool yearly, const QString &details);

// Adds a note to the candidate's list text, after any it has.
void addNote(ImportCandidate &c, const QString &note);

// The type key that text names, compared without case; a null QString when
// it names none of the nine.
QString typeKeyNamed(QStringView text);

// The AppError of a file an import cannot read: kind names the file's
// kind ("iCalendar", "vCard"), what says what is wrong.
AppError unreadableFile(const QString &kind, const QString &what);
