// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The event database's own four tables: their columns as the repair makes
// them, the forms in which Calendar's columns are added to an existing
// table, and the test that tells one of them from another program's table
// of the same name, whose values the program must never change.

#include <QList>
#include <QString>
#include <QStringList>

struct ColumnDef
{
    QString name;
    QString type; // the SQLite declaration, whose type carries the kind to record sets
};

// As the repair creates them.
const QList<ColumnDef> &calendarColumns();
const QList<ColumnDef> &typeColumns();
const QList<ColumnDef> &wallpaperColumns();
const QList<ColumnDef> &regEditColumns();
// As the repair adds them to an existing Calendar (Icon and Details differ).
const QList<ColumnDef> &addedCalendarColumns();

// Calendar, Almarik_Type, Wallpapers, RegEdit.
const QStringList &ownTableNames();

// True when the column of the own table (names in any case) is one of that
// table's columns in one of their forms: a declared type of the same kind
// and, for a sized text, the same size. False for any other table.
bool isOwnColumn(const QString &table, const QString &column, const char *declared);
