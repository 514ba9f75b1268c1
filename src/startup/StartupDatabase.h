// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding, opening and tidying the event database at start-up.

#include <QDateTime>
#include <QString>
#include <QStringList>

class AppError;
class Connection;
class Prompts;
class RecordSet;

// The hint every "the database may be damaged" message ends with.
QString repairHint();

// The command line as one text: the arguments joined by single blanks.
QString commandLineText(const QStringList &arguments);

// The database found without asking or creating anything: Almarik.MDB in
// the program's folder, else in the user's data folder; "" when neither
// exists.
QString existingDatabase(const QString &programFolder);

// The database for this start, in this order: the command line, unchanged;
// Almarik.MDB in the program's folder when it exists; Almarik.MDB in the
// user's data folder when it exists; a new database created there (with its
// folder); and only when that creation fails, the file the user picks in
// the "Select Almarik DataBase" dialog. Throws AppError when the dialog fails
// or is cancelled (32755).
QString LocateDatabase(const QString &commandLine, const QString &programFolder, Prompts &prompts);

// What to tell the user when locating failed: "" for a cancelled dialog
// (the program ends quietly), otherwise the message to show before ending.
QString locateFailureMessage(const AppError &error, const QString &databasename);

// Opens db on the file and the month's record set rs over it. Throws DbError.
void OpenMonthDatabase(Connection &db, RecordSet &rs, const QString &databasename);
// The repair command: closes the month's record set, repairs db (which
// reports through prompts) and opens the record set again; a failing
// reopen is skipped without a word (the list then shows nothing).
void RepairAndReopen(Connection &db, RecordSet &month, Prompts &prompts);
// "Error- " + description + number + CR LF + Databasename.
QString openFailureMessage(const AppError &error, const QString &databasename);

// The purge statement for the moment now: one-off events dated before the
// day before yesterday.
QString purgeStatement(const QDateTime &now);
// Runs the purge on db; a failure is shown with the repair hint and the
// start-up goes on.
void PurgeExpiredEvents(Connection &db, Prompts &prompts, const QDateTime &now);
