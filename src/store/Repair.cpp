#include "store/Repair.h"

#include "platform/Prompts.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/RecordSet.h"
#include "store/Statement.h"
#include "store/TypeChecks.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUuid>
#include <functional>
#include <sqlite3.h>

namespace {

// The column kinds the tables are made of, as SQLite declarations whose
// types carry the kind to record sets.
QString adDate()
{
    return QStringLiteral("DATETIME");
}
QString adVarWChar(int size)
{
    return QStringLiteral("VARCHAR(%1) COLLATE NOCASE").arg(size);
}
QString adLongVarWChar()
{
    return QStringLiteral("LONGTEXT COLLATE NOCASE");
}
QString adBoolean()
{
    return QStringLiteral("YESNO NOT NULL DEFAULT 0");
}
QString adCurrency()
{
    return QStringLiteral("CURRENCY");
}

struct ColumnDef
{
    QString name;
    QString type;
};

using StepFailure = std::function<void(const QString &title, const DbError &error)>;

// The schema catalog: the tables and columns of the file, read through a
// connection of its own.
class Catalog
{
public:
    explicit Catalog(const QString &connectionString) { m_db.Open(connectionString); }

    // Views count, as queries are among a Jet catalog's tables.
    bool TableExists(const QString &name) const
    {
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view')"),
                const_cast<Connection &>(m_db));
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

    void CreateTable(const QString &name, const QList<ColumnDef> &columns,
                     const QString &extra = {})
    {
        QStringList defs;
        for (const ColumnDef &c : columns)
            defs << QLatin1Char('"') + c.name + QStringLiteral("\" ") + c.type;
        if (!extra.isEmpty())
            defs << extra;
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

void CreateCalendarTable(Catalog &cat)
{
    cat.CreateTable(QStringLiteral("Calendar"), {{QStringLiteral("Dates"), adDate()},
                                                 {QStringLiteral("Icon"), adVarWChar(15)},
                                                 {QStringLiteral("Description"), adVarWChar(50)},
                                                 {QStringLiteral("Details"), adLongVarWChar()},
                                                 {QStringLiteral("ShowOnce"), adBoolean()}});
}

void AddMissingCalendarColumns(Catalog &cat)
{
    const QList<ColumnDef> wanted = {{QStringLiteral("Dates"), adDate()},
                                     {QStringLiteral("Icon"), adVarWChar(50)},
                                     {QStringLiteral("Description"), adVarWChar(50)},
                                     {QStringLiteral("Details"), adVarWChar(255)},
                                     {QStringLiteral("ShowOnce"), adBoolean()}};
    for (const ColumnDef &c : wanted) {
        if (!cat.ColumnExists(QStringLiteral("Calendar"), c.name))
            cat.AppendColumn(QStringLiteral("Calendar"), c);
    }
}

void CreateTypeTable(Catalog &cat)
{
    cat.CreateTable(QStringLiteral("Almarik_Type"), {{QStringLiteral("icon"), adVarWChar(15)},
                                                     {QStringLiteral("descr"), adVarWChar(50)}});
}

void CreateWallpapersTable(Catalog &cat)
{
    // The selector deletes rows by ID and inserts without it.
    cat.CreateTable(QStringLiteral("Wallpapers"),
                    {{QStringLiteral("FileName"), adVarWChar(255)},
                     {QStringLiteral("path"), adLongVarWChar()},
                     {QStringLiteral("Active"), adBoolean()}},
                    QStringLiteral("\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT"));
}

void CreateRegEditTable(Catalog &cat)
{
    cat.CreateTable(QStringLiteral("RegEdit"), {{QStringLiteral("hKey"), adCurrency()},
                                                {QStringLiteral("SubKey"), adLongVarWChar()},
                                                {QStringLiteral("Key"), adVarWChar(255)},
                                                {QStringLiteral("Task"), adVarWChar(50)},
                                                {QStringLiteral("NewValue"), adVarWChar(255)}});
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
    // ends the repair quietly, as the Calendar steps do.
    addTypeChecks(cat.connection());
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
        if (!QFile::rename(temp, path))
            throw DbError(DbErrNo::General, QStringLiteral("Could not create the database '") +
                                                path + QStringLiteral("'."));
    } catch (...) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
        throw;
    }
}
