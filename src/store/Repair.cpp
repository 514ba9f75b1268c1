// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Repair.h"

#include "platform/Prompts.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/OwnTables.h"
#include "store/RecordSet.h"
#include "store/Statement.h"
#include "store/TypeChecks.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUuid>
#include <functional>
#include <optional>
#include <sqlite3.h>

namespace {

using StepFailure = std::function<void(const QString &title, const DbError &error)>;

// The schema catalog: the tables and columns of the file, read through a
// connection of its own.
class Catalog
{
public:
    explicit Catalog(const QString &connectionString) { m_db.Open(connectionString); }

    // Views count, as queries are among a Jet catalog's tables.
    bool TableExists(const QString &name)
    {
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view')"),
                m_db);
        for (; !rs.isEOF(); rs.MoveNext()) {
            if (rs.Fields(QStringLiteral("name")).toString().compare(name, Qt::CaseInsensitive) ==
                0)
                return true;
        }
        return false;
    }

    bool ColumnExists(const QString &table, const QString &name) const
    {
        Statement stmt(m_db,
                       QStringLiteral("PRAGMA table_info(\"") + table + QStringLiteral("\")"));
        while (stmt.step()) {
            const QString column = QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(stmt.handle(), 1)));
            if (column.toUpper() == name.toUpper())
                return true;
        }
        return false;
    }

    void CreateTable(const QString &name, const QList<ColumnDef> &columns)
    {
        QStringList defs;
        for (const ColumnDef &c : columns)
            defs << QLatin1Char('"') + c.name + QStringLiteral("\" ") + c.type;
        exec(QStringLiteral("CREATE TABLE \"") + name + QStringLiteral("\" (") +
             defs.join(QStringLiteral(", ")) + QLatin1Char(')'));
    }

    void AppendColumn(const QString &table, const ColumnDef &column)
    {
        exec(QStringLiteral("ALTER TABLE \"") + table + QStringLiteral("\" ADD COLUMN \"") +
             column.name + QStringLiteral("\" ") + column.type);
    }

    Connection &connection() { return m_db; }

private:
    void exec(const QString &sql) { Statement(m_db, sql).step(); }

    Connection m_db;
};

// A table of one of the own tables' names but with other columns is
// another program's: the repair would convert its values and add checks
// that refuse that program's rows. The refusal, or none when every such
// table is the program's own.
std::optional<DbError> foreignTable(Catalog &cat)
{
    for (const QString &table : ownTableNames()) {
        if (!cat.TableExists(table))
            continue;
        Statement stmt(cat.connection(),
                       QStringLiteral("PRAGMA table_info(\"") + table + QStringLiteral("\")"));
        while (stmt.step()) {
            const auto *declared =
                reinterpret_cast<const char *>(sqlite3_column_text(stmt.handle(), 2));
            const QString column = QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(stmt.handle(), 1)));
            if (isOwnColumn(table, column, declared))
                continue;
            const QString found =
                QString(column + QLatin1Char(' ') + QString::fromUtf8(declared)).trimmed();
            return DbError(DbErrNo::General,
                           QStringLiteral("The table '%1' is not Almarik's: Almarik's table has "
                                          "no column '%2'. The repair changed nothing.")
                               .arg(table, found));
        }
    }
    return std::nullopt;
}

void CreateCalendarTable(Catalog &cat)
{
    cat.CreateTable(QStringLiteral("Calendar"), calendarColumns());
}

void AddMissingCalendarColumns(Catalog &cat)
{
    for (const ColumnDef &c : addedCalendarColumns()) {
        if (!cat.ColumnExists(QStringLiteral("Calendar"), c.name))
            cat.AppendColumn(QStringLiteral("Calendar"), c);
    }
}

void CreateTypeTable(Catalog &cat)
{
    cat.CreateTable(QStringLiteral("Almarik_Type"), typeColumns());
}

void CreateWallpapersTable(Catalog &cat)
{
    cat.CreateTable(QStringLiteral("Wallpapers"), wallpaperColumns());
}

void CreateRegEditTable(Catalog &cat)
{
    cat.CreateTable(QStringLiteral("RegEdit"), regEditColumns());
}

void AddTypeRows(Connection &db, const StepFailure &failed)
{
    static const char *const rows[][2] = {{"'anniversary'", "'Anniversary'"},
                                          {"'bike_race'", "'Bike Race'"},
                                          {"'birthday'", "'Birthday'"},
                                          {"'car_race'", "'Car Race'"},
                                          {"'holiday'", "'Holiday'"},
                                          {"'memorial'", "'Memorial'"},
                                          {"'reminder'", "'Reminder'"},
                                          {"'unknown'", "'Unknown'"},
                                          {"'doctor'", "'Doctor'"}};
    const QString title = QStringLiteral("Error Creating Almarik Type values");
    for (const auto &row : rows) {
        const QString key = QString::fromLatin1(row[0]);
        const QString name = QString::fromLatin1(row[1]);
        RecordSet rs;
        bool empty = false;
        try {
            rs.Open(QStringLiteral("SELECT * FROM Almarik_Type WHERE icon =") + key, db,
                    adOpenStatic, adLockReadOnly);
            empty = rs.isEOF();
        } catch (const DbError &e) {
            // Without the look-up there is nothing to decide on: one box for
            // this row, and on to the next.
            failed(title, e);
            continue;
        }
        if (empty) {
            try {
                db.Execute(QStringLiteral("INSERT INTO Almarik_Type (icon, descr) values (") + key +
                           QStringLiteral(", ") + name + QLatin1Char(')'));
            } catch (const DbError &e) {
                failed(title, e);
            }
        }
        rs.Close();
    }
}

// One guarded step: a failure is handed to failed and the repair goes on.
void guarded(const QString &title, const StepFailure &failed, const std::function<void()> &step)
{
    try {
        step();
    } catch (const DbError &e) {
        failed(title, e);
    }
}

void repair(Connection &db, const StepFailure &failed)
{
    Catalog cat(db.ConnectionString());
    if (const auto refused = foreignTable(cat)) {
        failed(QStringLiteral("Error Repairing Database"), *refused);
        return;
    }
    if (cat.TableExists(QStringLiteral("Calendar")))
        AddMissingCalendarColumns(cat);
    else
        CreateCalendarTable(cat);
    if (!cat.TableExists(QStringLiteral("Almarik_Type")))
        guarded(QStringLiteral("Error Creating Almarik Type Table"), failed,
                [&] { CreateTypeTable(cat); });
    AddTypeRows(db, failed);
    if (!cat.TableExists(QStringLiteral("Wallpapers")))
        guarded(QStringLiteral("Error Creating Wallpapers Table"), failed,
                [&] { CreateWallpapersTable(cat); });
    if (!cat.TableExists(QStringLiteral("RegEdit")))
        guarded(QStringLiteral("Error Creating RegEdit Table"), failed,
                [&] { CreateRegEditTable(cat); });
    // Last, so that every table made above gets its checks too; a failure
    // ends the repair quietly, as the Calendar steps do. Only the own
    // tables: any other may be another program's.
    addTypeChecks(cat.connection(), ownTableNames());
}

} // namespace

void RepairDatabase(Connection &db, Prompts &prompts)
{
    try {
        repair(db, [&](const QString &title, const DbError &e) {
            prompts.MsgBox(e.description(), MsgButtons::OkOnly, MsgIcon::Critical, title);
        });
    } catch (const AppError &) {
        // The catalog, the table tests and the Calendar steps end the repair quietly.
    }
}

void CreateDatabase(const QString &path)
{
    if (QFileInfo::exists(path))
        throw DbError(DbErrNo::General,
                      QStringLiteral("Database '") + path + QStringLiteral("' already exists."));
    const QString temp =
        path + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    try {
        Connection db;
        try {
            db.Create(temp);
        } catch (const DbError &e) {
            // The user knows the file by its own name, not the temporary one.
            QString text = e.description();
            throw DbError(e.number(), text.replace(temp, path), e.sqliteCode());
        }
        repair(db, [](const QString &, const DbError &e) { throw e; });
        db.Close();
        // The repair's own connection switched the file to the log; closed
        // last, its content is in the file, which alone is renamed.
        for (const QString &side : Connection::sideFiles(temp)) {
            if (QFileInfo::exists(side))
                throw DbError(DbErrNo::General, QStringLiteral("Could not create the database '") +
                                                    path + QStringLiteral("'."));
        }
        if (!QFile::rename(temp, path))
            throw DbError(DbErrNo::General, QStringLiteral("Could not create the database '") +
                                                path + QStringLiteral("'."));
    } catch (...) {
        QFile::remove(temp);
        for (const QString &side : Connection::sideFiles(temp))
            QFile::remove(side);
        throw;
    }
}
