// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which event a row of the month list stands for, and which row a
// right-click picks: the grid rules of the main window's commands, kept
// apart from the widgets so that they can be tested alone.

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

// An event as a month-list row names it: its own date and its description.
struct GridEvent
{
    QDate date;
    QString description;
};

// The event of a row from its "Date" ("dd-mm-yyyy") and "Event" texts;
// nothing when the date text is not a date (the header row, an empty grid).
std::optional<GridEvent> gridEventAt(const QString &dateText, const QString &descriptionText);

// The row a right-click at y picks among rows 0 .. rows - 1, rowPos(r)
// giving the top of row r: the row above the first row whose top lies below
// y; a click in the header row picks row 0, one below the last row the last.
int rowUnderPointer(int y, int rows, const std::function<int(int)> &rowPos);
