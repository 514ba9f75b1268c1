// SPDX-License-Identifier: GPL-3.0-or-later
// The connection: bad files refused with nothing touched, a failing
// statement inside a transaction left to the caller to undo or keep; its
// wrappers: a transaction guard that undoes everything an exception passes
// through, checked binds, and failures that keep SQLite's extended code;
// the write-ahead log a writer keeps while it has the file open, and the
// files it must not leave behind when closed.

#include "StoreFixture.h"
#include "store/Statement.h"
#include "store/Transaction.h"
#include "support/ChildProcess.h"

#include <QDir>
#include <QTest>
#include <stdexcept>
#include <sys/stat.h>
#include <tuple>

using namespace fixture;

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void openRefused();
    void transaction();
    void transactionRollsBack_data();
    void transactionRollsBack();
    void failuresNumbered();
    void writeAheadLog();
};

namespace {

const QString kDescriptions = QStringLiteral("SELECT Description FROM Calendar ORDER BY rowid");

} // namespace

void TestConnection::openRefused()
{
    // A text file is the main window test's, a missing one the list program test's.
    TestEnv env;
    const QString pipe = env.path(QStringLiteral("Pipe.MDB"));
    const QString locked = env.path(QStringLiteral("Almarik.MDB"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QFile f(locked);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("SQLite format 3") == 15 && f.flush());
    QVERIFY(f.setPermissions({}));
    const QDir folder(env.root(), {}, QDir::Name, QDir::AllEntries | QDir::Hidden | QDir::System);
    const QStringList before = folder.entryList();
    const auto refusal = [](const QString &path) {
        Connection db;
        const DbError e = thrown([&] { db.Open(Connection::connectionStringFor(path)); });
        return db.isOpen() || e.number() != DbErrNo::General ? QString() : e.description();
    };
    QCOMPARE(refusal(pipe), "Unrecognized database format '" + pipe + "'.");
    // Asked by a user who may not read it, as root may.
    QCOMPARE(::chmod(QFile::encodeName(env.root()).constData(), 0705), 0);
    QCOMPARE(unprivileged([&] { return refusal(locked); }),
             "The database engine cannot open the file '" + locked +
                 "'. You need permission to view its data.");
    QCOMPARE(folder.entryList(), before);
    QVERIFY(f.setPermissions(QFile::ReadOwner));
    QCOMPARE(fileBytes(locked), QByteArray("SQLite format 3"));
}

void TestConnection::transaction()
{
    TestDatabase t;
    addEvents(t.db, {"(#7/4/2026#, 'holiday', 'Independence Day', Null, False)",
                     "(#12/7/2026#, 'doctor', 'Dentist', Null, True)"});
    QStringList rows = rawRows(t.path, kRows);
    QVERIFY(thrown([&] { t.db.CommitTrans(); }).number() != 0);
    t.db.BeginTrans();
    QVERIFY(thrown([&] { t.db.BeginTrans(); }).number() != 0);
    QCOMPARE(t.db.Execute(QStringLiteral("DELETE FROM Calendar WHERE Description ='Dentist'")), 1);
    t.db.Execute(QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) "
                                "VALUES (#03/15/2007#, 'birthday', 'Jo''s party', Null, False)"));
    // A statement failing while it runs undoes only itself; the caller decides.
    QVERIFY_THROWS_EXCEPTION(DbError, t.db.Execute("UPDATE Calendar SET ShowOnce = Null"));
    QVERIFY(t.db.inTransaction());
    t.db.CommitTrans();
    rows.removeAt(1);
    QCOMPARE(rawRows(t.path, kRows), rows << "2|2007-03-15|birthday|Jo's party|<null>|0");
    QVERIFY(!t.db.inTransaction());
}

void TestConnection::transactionRollsBack_data()
{
    QTest::addColumn<bool>("outerOpen");
    QTest::addColumn<bool>("committed");
    QTest::newRow("exception passes") << false << false;
    QTest::newRow("exception after commit") << false << true;
    QTest::newRow("exception passes, inside a transaction") << true << false;
}

void TestConnection::transactionRollsBack()
{
    QFETCH(bool, outerOpen);
    QFETCH(bool, committed);
    TestDatabase t;
    addEvents(t.db, {"(#1/2/2026#, Null, 'Ann', Null, False)"});
    if (outerOpen)
        t.db.BeginTrans();
    try {
        Transaction transaction(t.db);
        addEvents(t.db, {"(#1/2/2026#, Null, 'Bob', Null, False)"});
        if (committed)
            transaction.commit();
        throw std::runtime_error("failed after the write");
    } catch (const std::runtime_error &) {
    }
    // An outer transaction stays the caller's to end.
    QCOMPARE(t.db.inTransaction(), outerOpen);
    if (outerOpen)
        t.db.CommitTrans();
    QCOMPARE(rawRows(t.path, kDescriptions),
             (committed ? QStringList{"Ann", "Bob"} : QStringList{"Ann"}));
}

void TestConnection::failuresNumbered()
{
    TestDatabase t;
    const std::tuple<const char *, int, int> cases[] = {
        {"INSERT INTO Calendar (Dates, Description, ShowOnce) VALUES (#1/1/2026#, 'x', Null)",
         DbErrNo::General, SQLITE_CONSTRAINT_NOTNULL},
        // A value of no known kind reaches the column's own check.
        {"INSERT INTO Calendar (Dates) VALUES (IIf(True, 'soon', Null))", DbErrNo::Conversion,
         SQLITE_CONSTRAINT_TRIGGER},
        // A function's own mismatch, numbered by its code.
        {"INSERT INTO Calendar (Dates, Description) VALUES (DateValue('next week'), 'x')",
         DbErrNo::Conversion, SQLITE_MISMATCH}};
    for (const auto &[sql, number, code] : cases) {
        const DbError e = thrown([&] { t.db.Execute(QString::fromUtf8(sql)); });
        QCOMPARE(e.number(), number);
        QCOMPARE(e.sqliteCode(), code);
    }
    QCOMPARE(rawRows(t.path, kRows), QStringList{});
    // A bind out of range is refused; an unbound one runs nothing.
    Statement st(t.db, QStringLiteral("INSERT INTO Calendar (Dates, Description) VALUES (?, ?)"));
    QVERIFY(thrown([&] { st.bind(3, qint64(1)); }).number() != 0);
    st.bindText(1, "2026-01-02");
    QCOMPARE(thrown([&] { st.step(); }).number(), DbErrNo::NoValue);
    QCOMPARE(rawRows(t.path, kDescriptions), QStringList{});
    st.bind(2, QVariant(QStringLiteral("Ann")));
    QVERIFY(!st.step());
    QCOMPARE(rawRows(t.path, kDescriptions), QStringList{"Ann"});
}

// Open for writing the file keeps a log, so that readers need not wait;
// closed, it is one whole file again, even while a reader keeps the log.
void TestConnection::writeAheadLog()
{
    TestDatabase t;
    {
        // Another connection of this process (the repair's) closing keeps
        // the log for the window's.
        Connection repair;
        repair.Open(Connection::connectionStringFor(t.path));
    }
    QCOMPARE(rawRows(t.path, QStringLiteral("PRAGMA journal_mode")), QStringList{"wal"});
    addEvents(t.db, {"(#1/2/2026#, Null, 'Ann', Null, False)"});
    Connection reader;
    reader.Open(Connection::connectionStringFor(t.path), Connection::Access::ReadOnly);
    t.db.Close();
    // The main file alone, as a user would copy it, holds the events.
    const QString copy = t.path + QStringLiteral(".copy");
    QVERIFY(QFile::copy(t.path, copy));
    QCOMPARE(rawRows(copy, kDescriptions), QStringList{"Ann"});
    reader.Close();
    t.db.Open(Connection::connectionStringFor(t.path));
    t.db.Close();
    for (const QString &side : Connection::sideFiles(t.path))
        QVERIFY2(!QFileInfo::exists(side), qPrintable(side));
    QCOMPARE(rawRows(t.path, QStringLiteral("PRAGMA journal_mode")), QStringList{"delete"});
}

QTEST_APPLESS_MAIN(TestConnection)
#include "tst_connection.moc"
