#pragma once
// Jet types its columns; SQLite types values. Triggers on each table's
// yes/no and date columns make every writer (statements, record sets, grid
// cells, another program) keep to Jet's rules: a non-zero yes/no is stored
// as -1, and a yes/no that is no number or a date that is no stored date
// of the years 100 to 9999 is refused with Jet's type mismatch.

#include <QString>

class Connection;

// What the triggers' refusal says.
QString typeMismatchText();

// Gives every table the checks of its yes/no and date columns (a column's
// kind comes from its declared type) that it lacks. Yes/no values already
// stored as another non-zero number become -1 as their column's checks are
// added. Writes nothing when every check is there. All or nothing: throws
// DbError with nothing changed.
void addTypeChecks(Connection &db);
