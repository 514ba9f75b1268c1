// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Table RegEdit as the registry tool changes it: a check that the tasks can
// be stored before the user is asked anything, and the deletion of a task.

#include <QString>
#include <optional>

class Connection;

// Throws the database's error (naming the table or column) when table
// RegEdit or one of the columns Task, hKey, SubKey, key, NewValue is missing.
void CheckTaskTable(Connection &db);

// The question asked before a task is deleted: Delete the task for "<key>"?
QString deleteTaskQuestion(const QString &key);

// The key path one level up from path, the last character skipped so that
// a path ending in a backslash goes to its parent: "A\\B\\C" and "A\\B\\C\\"
// give "A\\B\\"; nothing for a path with no level above it.
std::optional<QString> parentKeyPath(const QString &path);

// The task the tool's "add to list" records for a value: an answer sets
// it, a blank answer (or Cancel) deletes it.
struct TaskRow
{
    qint32 hKey = 0;
    QString SubKey;
    QString key;
    QString Task;     // "edit" or "delete"
    QString NewValue; // the answer, "x" for a deletion
};
TaskRow taskRowFor(qint32 root, const QString &subKey, const QString &key, const QString &answer);

// Deletes the task stored in RegEdit's row rowid with one statement.
// Returns the number of rows deleted (0 when the row is gone). Throws
// DbError.
int DeleteTask(Connection &db, qint64 rowid);
