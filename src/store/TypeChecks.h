// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Jet types its columns; SQLite types values. Triggers on the yes/no, date
// and sized text columns of the program's own tables make every writer (statements, record
// sets, grid cells, another program) keep to Jet's rules: a non-zero yes/no
// is stored as -1, a yes/no that is no number or a date that is no stored
// date of the years 100 to 9999 is refused with Jet's type mismatch, and a
// text longer than its column's size with Jet's "The field is too small".
// The triggers use only SQLite's built-in functions, so they hold for
// every program that opens the file.

#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>

class Connection;

// What the triggers' refusal says.
QString typeMismatchText();

QString fieldTooSmallText();

// The names of every check a column may carry, for dropping the column.
QStringList typeCheckNames(const QString &table, const QString &column);

// Each table's column names, read before a data definition runs so that
// afterwards its new columns can be told from those that were there.
using ColumnNames = QSet<std::pair<QString, QString>>; // (table, column)
ColumnNames columnNames(Connection &db);

// Gives the named tables (names compared without regard to case; one that
// does not exist is passed over) the checks of their yes/no, date and sized
// text columns (a column's kind comes from its declared type) that they
// lack. Yes/no values already stored as another non-zero number become -1
// as their column's checks are added. No other table is touched: it may be
// another program's. Writes nothing when every check is there. All or
// nothing: throws DbError with nothing changed.
void addTypeChecks(Connection &db, const QStringList &tables);

// The same for the columns not in before, which the program's own data
// definition has just made, wherever they are.
void addTypeChecksToNewColumns(Connection &db, const ColumnNames &before);
