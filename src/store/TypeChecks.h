#pragma once
// Jet types its columns; SQLite types values. Triggers on each table's
// yes/no, date and sized text columns make every writer (statements, record
// sets, grid cells, another program) keep to Jet's rules: a non-zero yes/no
// is stored as -1, a yes/no that is no number or a date that is no stored
// date of the years 100 to 9999 is refused with Jet's type mismatch, and a
// text longer than its column's size with Jet's "The field is too small".
// The triggers use only SQLite's built-in functions, so they hold for
// every program that opens the file.

#include <QString>
#include <QStringList>

class Connection;

// What the triggers' refusal says.
QString typeMismatchText();

QString fieldTooSmallText();

// The names of every check a column may carry, for dropping the column.
QStringList typeCheckNames(const QString &table, const QString &column);

// Gives every table the checks of its yes/no, date and sized text columns (a column's
// kind comes from its declared type) that it lacks. Yes/no values already
// stored as another non-zero number become -1 as their column's checks are
// added. Writes nothing when every check is there. All or nothing: throws
// DbError with nothing changed.
void addTypeChecks(Connection &db);
