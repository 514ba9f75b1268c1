// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The literal rules statements are built with.

#include <QDate>
#include <QString>

// Doubles every single quote; adds no surrounding quotes.
QString QuoteSql(const QString &text);

// The calendar day as "mm/dd/yyyy", whatever the regional order.
QString DateText(const QDate &day);

// "#" + DateText(day) + "#".
QString DateLiteral(const QDate &day);
