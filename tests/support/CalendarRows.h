// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Events in and out of table Calendar for tests that check what reached
// the table: rows go in as the VALUES part of the usual insert and come
// back as one text per row, so that a whole table compares at once.

#include "store/Connection.h"
#include "store/RecordSet.h"

#include <QStringList>

// Runs "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce)
// VALUES " + each of values, e.g. "(#07/04/2026#, Null, 'Ann', Null, False)".
inline void addEvents(Connection &db, const QStringList &values)
{
    for (const QString &v : values)
        db.Execute(QStringLiteral(
                       "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES ") +
                   v);
}

// Every row of Calendar (those matching where, when given) as
// "Dates|icon|Description|Details|ShowOnce", a Null shown as "-", in the
// table's order: "2026-07-04|-|Ann|-|false".
inline QStringList calendarRows(Connection &db, const QString &where = {})
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT Dates, icon, Description, Details, ShowOnce FROM Calendar") +
                (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where),
            db);
    QStringList out;
    for (; !rs.isEOF(); rs.MoveNext()) {
        QStringList cells;
        for (const char *name : {"Dates", "icon", "Description", "Details", "ShowOnce"}) {
            const QVariant v = rs.Fields(QLatin1String(name));
            cells << (v.isNull() ? QStringLiteral("-") : v.toString());
        }
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}
