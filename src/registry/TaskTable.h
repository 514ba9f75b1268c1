#pragma once
// Table RegEdit as the registry tool changes it: a check that the tasks can
// be stored before the user is asked anything, and the deletion of a task.

#include <QString>

class Connection;

// Throws the database's error (naming the table or column) when table
// RegEdit or one of the columns Task, hKey, SubKey, key, NewValue is missing.
void CheckTaskTable(Connection &db);

// The question asked before a task is deleted: Delete the task for "<key>"?
QString deleteTaskQuestion(const QString &key);

// Deletes the task stored in RegEdit's row rowid with one statement.
// Returns the number of rows deleted (0 when the row is gone). Throws
// DbError.
int DeleteTask(Connection &db, qint64 rowid);
