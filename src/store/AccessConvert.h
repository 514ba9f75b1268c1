// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Brings the Windows version's Access (Jet) database over: every row of
// its four tables written into a new database of ours, made as
// CreateDatabase makes one (tables, checks, the nine type rows), in one
// transaction, and checked before anything else changes. Values our tables
// do not take are changed or left out as the event editor would, each
// such row named in the report.

#include "store/DbError.h"

#include <QString>
#include <QStringList>
#include <functional>

struct AccessConversion
{
    qint64 events = 0;     // Calendar rows written
    qint64 types = 0;      // Almarik_Type rows of the file taken over (renamed or added)
    qint64 wallpapers = 0; // Wallpapers rows written
    qint64 tasks = 0;      // RegEdit rows written
    qint64 timesOfDay = 0; // events stored with their day alone
    qint64 changed = 0;    // rows written with a value changed (times of day apart)
    qint64 leftOut = 0;    // rows not written
    QStringList notes;     // the first kMaxNotes changed or left-out rows, each with what happened
};

inline constexpr int kMaxNotes = 10;

// Called now and then with the rows done and the rows to do.
using ConversionProgress = std::function<void(qint64 done, qint64 total)>;

// Writes a new database at target (which must not exist) from the Jet file
// at jetPath, which is only read. Throws DbError when jetPath is no Jet
// file, has no table Calendar ("... has no table 'Calendar' ..."), has a
// table of ours whose column is of another kind, is damaged, or when the
// new database cannot be written or fails its check; target then does not
// exist.
AccessConversion convertAccessDatabase(const QString &jetPath, const QString &target,
                                       const ConversionProgress &progress = {});

// Where the original is kept: path + ".access".
QString accessBackupPath(const QString &path);

// The refusal of a Jet file that is not the program's: "The Access
// database '<path>' is not Almarik's: <what>. Nothing was changed."
DbError notOurs(const QString &path, const QString &what);

// Converts the Jet file at path in place: into a new file beside it, which
// is checked; then the original is kept as accessBackupPath(path) and the
// new file takes its name. Refuses (DbError) when the backup name is taken
// already, since that may be the original of an earlier conversion. Throws
// DbError or AppError on any failure; path is then the original, byte for
// byte, no new file is left beside it and no backup made.
AccessConversion convertAccessDatabaseInPlace(const QString &path,
                                              const ConversionProgress &progress = {});

// The closing message: what was converted, the events whose time of day
// was dropped ("3 events had a time of day; only their day was kept."),
// and the rows changed or left out, the first ten named.
QString conversionMessage(const AccessConversion &c);
