// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The listed rows as almarik-list writes them: aligned text (coloured by
// nearness on a terminal), tab-separated values or JSON, and the text of the
// notification of today's and tomorrow's events.

#include "listing/ListOptions.h"
#include "startup/MonthList.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

// The ANSI start of each colour entry 0-5 (a 24-bit background with black
// text), from ColourTable; "" for an entry that is no colour number.
std::array<QByteArray, 6> ansiColours();

// The rows in format, UTF-8. colours (from ansiColours) paint the
// description in text as the window paints the "Event" cell; empty texts,
// or any other format, paint nothing.
QByteArray formatListedRows(const std::vector<MonthRow> &rows, ListFormat format,
                            const std::array<QByteArray, 6> &colours = {});

// How many events a notification names; servers show few lines.
inline constexpr qsizetype kNotificationLines = 8;

// One line per event of today and tomorrow, as "Today: " or "Tomorrow: ",
// the description and the years text in brackets when it says more; "" when
// there is none. After kNotificationLines events, "and N more". With markup
// (the server reads body markup) "&", "<" and ">" are escaped.
QString notificationBody(const std::vector<MonthRow> &rows, bool markup);
