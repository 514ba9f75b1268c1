// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/StartupDatabase.h"

#include "platform/AppError.h"
#include "platform/ErrorStyles.h"
#include "platform/Files.h"
#include "platform/Prompts.h"
#include "store/Connection.h"
#include "store/Literals.h"
#include "store/RecordSet.h"
#include "store/Repair.h"
#include "store/Statement.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kDatabaseFile = QStringLiteral("Almarik.MDB");
const QString kCrLf = QStringLiteral("\r\n");

// Creates the per-user database and its folder; false when that fails.
bool createUserDatabase(const QString &path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    try {
        CreateDatabase(path);
        return true;
    } catch (const AppError &) {
        return false;
    }
}

bool isFileAccessError(int number)
{
    switch (number) {
    case ErrNo::BadFileName:
    case ErrNo::FileNotFound:
    case ErrNo::DeviceIO:
    case ErrNo::BadFileNameOrNumber:
    case ErrNo::DiskNotReady:
    case ErrNo::DiskMediaError:
    case ErrNo::PathFileAccess:
    case ErrNo::PathNotFound:
        return true;
    default:
        return false;
    }
}

} // namespace

QString repairHint()
{
    return QStringLiteral("The database may require repair. Use the option under the File Menu");
}

QString commandLineText(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' '));
}

QString existingDatabase(const QString &programFolder)
{
    const QString beside = QDir(programFolder).filePath(kDatabaseFile);
    if (FileExists(beside))
        return beside;
    const QString own = QDir(userDataFolder()).filePath(kDatabaseFile);
    if (FileExists(own))
        return own;
    return QString();
}

QString LocateDatabase(const QString &commandLine, const QString &programFolder, Prompts &prompts)
{
    if (!commandLine.isEmpty())
        return commandLine;
    const QString existing = existingDatabase(programFolder);
    if (!existing.isEmpty())
        return existing;
    const QString own = QDir(userDataFolder()).filePath(kDatabaseFile);
    // Never over an existing entry (a folder of that name, say): that is
    // the user's to sort out, in the dialog below.
    if (!QFileInfo::exists(own) && createUserDatabase(own))
        return own;
    return prompts.OpenFileDialog(
        QStringLiteral("Select Almarik DataBase"),
        QStringLiteral("Access Databases(*.mdb)|*.mdb|All Files (*.*)|*.*"), programFolder,
        kDatabaseFile);
}

QString locateFailureMessage(const AppError &error, const QString &databasename)
{
    const QString number = QLatin1Char(' ') + QString::number(error.number());
    if (error.number() == ErrNo::DialogCancelled)
        return QString();
    if (isFileAccessError(error.number()))
        return QStringLiteral("Database access Error, unable to load. ") + error.description() +
               number;
    return QStringLiteral("Error- ") + error.description() + number + kCrLf + databasename;
}

void OpenMonthDatabase(Connection &db, RecordSet &rs, const QString &databasename)
{
    db.Open(Connection::connectionStringFor(databasename));
    rs.Close();
    rs.Open(QStringLiteral("SELECT * FROM calendar"), db, adOpenDynamic, adLockOptimistic);
}

void RepairAndReopen(Connection &db, RecordSet &month, Prompts &prompts)
{
    month.Close();
    RepairDatabase(db, prompts);
    ignoringErrors([&] {
        month.Open(QStringLiteral("SELECT * FROM calendar"), db, adOpenDynamic, adLockOptimistic);
    });
}

QString openFailureMessage(const AppError &error, const QString &databasename)
{
    return QStringLiteral("Error- ") + error.description() + QString::number(error.number()) +
           kCrLf + databasename;
}

QString purgeStatement(const QDateTime &now)
{
    // Any non-zero ShowOnce is true to Jet, whatever number a writer left.
    return QStringLiteral("DELETE FROM Calendar WHERE ShowOnce <> FALSE AND Dates < #") +
           DateText(now.addDays(-2).date()) + QLatin1Char('#');
}

void PurgeExpiredEvents(Connection &db, Prompts &prompts, const QDateTime &now)
{
    // One-off events are few: an index of them alone spares the purge a
    // scan of the whole table at every start. Made once; where it cannot
    // be made (a read-only or damaged file) the purge scans as before.
    try {
        Statement(db, QStringLiteral("CREATE INDEX IF NOT EXISTS CalendarShownOnce ON Calendar "
                                     "(ShowOnce) WHERE ShowOnce <> 0"))
            .step();
    } catch (const AppError &) {
    }
    try {
        db.Execute(purgeStatement(now));
    } catch (const AppError &e) {
        prompts.MsgBox(e.description() + kCrLf + repairHint(), MsgButtons::OkOnly,
                       MsgIcon::Critical);
    }
}
