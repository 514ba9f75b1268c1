// SPDX-License-Identifier: GPL-3.0-or-later
// Any text run as a Jet statement by Connection::Execute on a prepared event
// database. A statement may succeed or throw DbError; one that throws must
// not have changed a row of any table (nor the schema): checked inside a
// transaction before and after the rollback, and again outside any
// transaction on a second copy of the starting file, where nothing else could undo
// a partial change. Successful statements are rolled back to keep the starting rows.

#include "store/Connection.h"
#include "store/DbError.h"
#include "store/Repair.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

namespace {

// The rows the statements meet: ordinary events and the edges that date and
// text rules trip on (29 February, year ends, times, Null, quotes, non-ASCII).
const char *const kStartStatements[] = {
    "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES "
    "(#7/4/2026#, 'holiday', 'Independence Day', Null, False)",
    "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES "
    "(#7/4/2026#, 'birthday', 'Ann''s party', 'cake', False)",
    "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES "
    "(#2/29/2024#, 'birthday', 'Leap Day Lou', Null, False)",
    "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES "
    "(#12/31/2026#, 'holiday', 'New Year''s Eve', 'fireworks', False)",
    "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES "
    "(#1/1/2027#, 'holiday', 'New Year', Null, False)",
    "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES "
    "(#12/7/2026 11:00 PM#, Null, 'Late call', Null, True)",
    "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES "
    "(#3/15/2026#, 'doctor', 'Dentist', 'bring card', True)",
    "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES "
    "(#5/8/1945#, 'memorial', 'Ämter [old] 100%', Null, False)",
    "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES "
    "(#6/1/2026#, 'car_race', Null, Null, False)",
    "INSERT INTO Wallpapers (FileName,path,Active) VALUES ('beach.jpg', '/home/a/Pictures', True)",
    "INSERT INTO Wallpapers (FileName,path,Active) VALUES ('snow.png', Null, False)",
    "INSERT INTO RegEdit (hKey,SubKey,[Key],Task,NewValue) VALUES "
    "(2147483649, 'Control Panel\\Desktop', 'Wallpaper', 'set', 'C:\\a.bmp')",
    "INSERT INTO RegEdit (hKey,SubKey,[Key],Task,NewValue) VALUES "
    "(2147483650, 'Software\\Almarik', 'Start', 'delete', Null)",
};

[[noreturn]] void finding(const QString &what)
{
    std::fprintf(stderr, "\n== FINDING: %s\n", qPrintable(what));
    std::abort();
}

QString cell(sqlite3_stmt *st, int c)
{
    switch (sqlite3_column_type(st, c)) {
    case SQLITE_NULL:
        return QStringLiteral("null");
    case SQLITE_INTEGER:
        return QStringLiteral("int:") + QString::number(sqlite3_column_int64(st, c));
    case SQLITE_FLOAT:
        return QStringLiteral("real:") + QString::number(sqlite3_column_double(st, c), 'g', 17);
    case SQLITE_TEXT:
        return QStringLiteral("text:'") +
               QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)),
                                 sqlite3_column_bytes(st, c)) +
               QLatin1Char('\'');
    default:
        return QStringLiteral("blob:") +
               QString::fromLatin1(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, c)),
                                              sqlite3_column_bytes(st, c))
                                       .toHex());
    }
}

// Every row of query as "prefix|cell|cell..", each cell with its storage
// class, so that 1 and '1' differ.
void readRows(sqlite3 *db, const QByteArray &query, const QString &prefix, QStringList &out)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, query.constData(), int(query.size()), &st, nullptr) != SQLITE_OK) {
        out << prefix + QStringLiteral("|unreadable: ") + QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(st);
        return;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QStringList cells{prefix};
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            cells << cell(st, c);
        out << cells.join(QLatin1Char('|'));
    }
    if (rc != SQLITE_DONE)
        out << prefix + QStringLiteral("|read failed: ") + QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
}

// The schema and every row of every table, as the connection sees them
// (its own uncommitted changes included).
QStringList snapshot(sqlite3 *db)
{
    QStringList out;
    readRows(db, "SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name",
             QStringLiteral("schema"), out);
    QStringList tables;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1,
                       &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW)
        tables << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    for (const QString &table : tables) {
        const QString quoted = QLatin1Char('"') +
                               QString(table).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                               QLatin1Char('"');
        readRows(db, ("SELECT rowid, * FROM " + quoted + " ORDER BY rowid").toUtf8(), table, out);
    }
    return out;
}

void mustEqualStart(const QStringList &before, const QStringList &now, const QString &statement,
                    const QString &error, const char *when)
{
    if (now == before)
        return;
    QString diff;
    for (qsizetype i = 0; i < std::max(before.size(), now.size()); ++i) {
        if (before.value(i) != now.value(i)) {
            diff = QStringLiteral("\n   was: ") + before.value(i, QStringLiteral("(none)")) +
                   QStringLiteral("\n   now: ") + now.value(i, QStringLiteral("(none)"));
            break;
        }
    }
    finding(QStringLiteral("rows changed %1\n   statement: %2\n   error: %3%4")
                .arg(QLatin1String(when), statement, error, diff));
}

// Runs statement; returns the DbError's description, or a null text when it
// succeeded. Any other exception is a finding.
QString run(Connection &db, const QString &statement)
{
    try {
        db.Execute(statement);
        return {};
    } catch (const DbError &e) {
        return e.description().isNull() ? QStringLiteral("") : e.description();
    } catch (const std::exception &e) {
        finding(QStringLiteral("Execute threw %1 (not a DbError) for: %2")
                    .arg(QString::fromUtf8(e.what()), statement));
    } catch (...) {
        finding(QStringLiteral("Execute threw something not a DbError for: ") + statement);
    }
}

class Harness
{
public:
    Harness()
    {
        if (!m_dir.isValid())
            finding(QStringLiteral("no temporary folder"));
        const QString building = m_dir.filePath(QStringLiteral("building.MDB"));
        try {
            CreateDatabase(building);
            Connection db;
            db.Open(building);
            for (const char *s : kStartStatements)
                db.Execute(QString::fromUtf8(s));
            db.Close();
        } catch (const AppError &e) {
            finding(QStringLiteral("the starting database cannot be made: ") + e.description());
        }
        QFile::rename(building, m_startFile);
        reopen(m_work, m_workPath);
        reopen(m_copy, m_copyPath);
        m_startRows = snapshot(m_work.handle());
    }

    void test(const QString &statement)
    {
        m_work.BeginTrans();
        const QString error = run(m_work, statement);
        if (!m_work.inTransaction())
            finding(QStringLiteral("the statement ended the caller's transaction: ") + statement);
        if (!error.isNull())
            mustEqualStart(m_startRows, snapshot(m_work.handle()), statement, error,
                           "by a failed statement, before the rollback");
        m_work.RollbackTrans();
        mustEqualStart(m_startRows, snapshot(m_work.handle()), statement, error,
                       "after the rollback");
        if (error.isNull())
            return;
        // SQLite undoes a failed statement on its own; this proves it without
        // the caller's transaction.
        const QString alone = run(m_copy, statement);
        if (alone.isNull()) {
            // It fails only inside a transaction (a clock, say): put the
            // starting file back for the next input.
            reopen(m_copy, m_copyPath);
            return;
        }
        mustEqualStart(m_startRows, snapshot(m_copy.handle()), statement, alone,
                       "by a failed statement outside a transaction");
    }

private:
    void reopen(Connection &db, const QString &path)
    {
        db.Close();
        QFile::remove(path);
        if (!QFile::copy(m_startFile, path))
            finding(QStringLiteral("cannot copy the starting database to ") + path);
        db.Open(Connection::connectionStringFor(path));
        // The harness's own files need no durability; atomicity is unchanged.
        sqlite3_exec(db.handle(), "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/almarik-fuzz-XXXXXX")};
    const QString m_startFile = m_dir.filePath(QStringLiteral("start.MDB"));
    const QString m_workPath = m_dir.filePath(QStringLiteral("work.MDB"));
    const QString m_copyPath = m_dir.filePath(QStringLiteral("alone.MDB"));
    Connection m_work;
    Connection m_copy;
    QStringList m_startRows;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Harness harness;
    harness.test(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
