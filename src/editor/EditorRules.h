// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor window's rules, apart from its controls so that they can be
// tested alone.

#include <QDate>
#include <QString>
#include <QVariant>

// The question asked before the Delete key deletes count rows' events:
// Delete the event "<description>"? for one, Delete these <n> events? for
// more.
QString deleteEventsQuestion(qsizetype count, const QString &firstDescription);

// True when the date picker leaves the cell as it is: the cell's date
// (invalid for none) equals the picked day to the second, so a date that
// carries a time of day is replaced by the day alone.
bool pickedDateUnchanged(const QVariant &cellDate, const QDate &picked);
