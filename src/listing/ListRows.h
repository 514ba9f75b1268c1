// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The month list read straight from the Calendar table for almarik-list:
// only the four columns it shows, no record set, the window's rules.

#include "startup/MonthList.h"

#include <vector>

class Connection;

// The listed rows in the list's order, each with its date, years and day
// texts, colour, description, type (icon) and show-once mark; a table
// without the icon or ShowOnce column lists no types or marks. Rows come in the order the
// table keeps them, as the window reads them. A row whose date is Null or no
// date goes to failed, with the window's message, and is left out. Throws
// DbError when the table cannot be read.
std::vector<MonthRow> readListedRows(const Connection &db, const MonthListRules &rules,
                                     const FillFailure &failed);
