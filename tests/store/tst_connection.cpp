// The connection: bad files refused with nothing touched, a failing
// statement inside a transaction left to the caller to undo or keep; its
// wrappers: a transaction guard that undoes everything an exception passes
// through, checked binds, and failures that keep SQLite's extended code.

#include "StoreFixture.h"
#include "store/DbError.h"
#include "store/Statement.h"
#include "store/Transaction.h"

#include <QDir>
#include <QTest>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixture;

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void openRefused();
    void transaction_data();
    void transaction();
    void transactionRollsBack_data();
    void transactionRollsBack();
    void bindsChecked();
    void failureKeepsEngineCode_data();
    void failureKeepsEngineCode();
};

namespace {

const QString kDescriptions = QStringLiteral("SELECT Description FROM Calendar ORDER BY rowid");

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
}

} // namespace

void TestConnection::openRefused()
{
    // A text file and a missing one are the main window test's.
    TestEnv env;
    const QString pipe = env.path(QStringLiteral("Pipe.MDB"));
    const QString locked = env.path(QStringLiteral("Almarik.MDB"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QFile f(locked);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("SQLite format 3") == 15 && f.flush());
    QVERIFY(f.setPermissions({}));
    const QStringList before = listing(env.root());
    const auto refusal = [](const QString &path) {
        Connection db;
        const DbError e = thrown([&] { db.Open(Connection::connectionStringFor(path)); });
        return db.isOpen() || e.number() != DbErrNo::General ? QString() : e.description();
    };
    QCOMPARE(refusal(pipe), "Unrecognized database format '" + pipe + "'.");
    if (::geteuid() != 0) // root can read any file
        QCOMPARE(refusal(locked), "The database engine cannot open the file '" + locked +
                                      "'. You need permission to view its data.");
    QCOMPARE(listing(env.root()), before);
    QVERIFY(f.setPermissions(QFile::ReadOwner));
    QCOMPARE(fileBytes(locked), QByteArray("SQLite format 3"));
}

void TestConnection::transaction_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("commit");
    QTest::newRow("refused by the translator, rolled back")
        << "DELETE FROM Calendar WHERE Dates < #2/30/2026#" << false;
    QTest::newRow("failing while running, committed")
        << "UPDATE Calendar SET ShowOnce = Null" << true;
}

void TestConnection::transaction()
{
    QFETCH(QString, failing);
    QFETCH(bool, commit);
    TestDatabase t;
    addEvents(t.db, {"(#7/4/2026#, 'holiday', 'Independence Day', Null, False)",
                     "(#12/7/2026#, 'doctor', 'Dentist', Null, True)"});
    const QStringList before = rawRows(t.path, kRows);
    QVERIFY(thrown([&] { t.db.CommitTrans(); }).number() != 0);
    t.db.BeginTrans();
    QVERIFY(thrown([&] { t.db.BeginTrans(); }).number() != 0);
    QCOMPARE(t.db.Execute(QStringLiteral("DELETE FROM Calendar WHERE Description ='Dentist'")), 1);
    t.db.Execute(QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) "
                                "VALUES (#03/15/2007#, 'birthday', 'Jo''s party', Null, False)"));
    QVERIFY_THROWS_EXCEPTION(DbError, t.db.Execute(failing));
    QVERIFY(t.db.inTransaction()); // the caller decides
    QStringList after = before;
    if (commit) {
        t.db.CommitTrans();
        after.removeAt(1);
        after << "2|2007-03-15|birthday|Jo's party|<null>|0";
    } else {
        t.db.RollbackTrans();
    }
    QCOMPARE(rawRows(t.path, kRows), after);
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

void TestConnection::bindsChecked()
{
    TestDatabase t;
    Statement st(t.db, QStringLiteral("INSERT INTO Calendar (Dates, Description) VALUES (?, ?)"));
    QVERIFY(thrown([&] { st.bind(3, qint64(1)); }).number() != 0);
    st.bindText(1, "2026-01-02");
    // The description was never bound: nothing runs.
    QCOMPARE(thrown([&] { st.step(); }).number(), DbErrNo::NoValue);
    QCOMPARE(rawRows(t.path, kDescriptions), QStringList{});
    st.bind(2, QVariant(QStringLiteral("Ann")));
    QVERIFY(!st.step());
    QCOMPARE(rawRows(t.path, kDescriptions), QStringList{"Ann"});
}

void TestConnection::failureKeepsEngineCode_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("code");
    QTest::newRow("not null") << "INSERT INTO T (a) VALUES (Null)" << DbErrNo::General
                              << SQLITE_CONSTRAINT_NOTNULL;
    QTest::newRow("type check") << "INSERT INTO Calendar (Dates) VALUES ('soon')"
                                << DbErrNo::Conversion << SQLITE_CONSTRAINT_TRIGGER;
}

void TestConnection::failureKeepsEngineCode()
{
    QFETCH(QString, statement);
    QFETCH(int, number);
    QFETCH(int, code);
    TestDatabase t;
    t.db.Execute(QStringLiteral("CREATE TABLE T (a INTEGER NOT NULL UNIQUE)"));
    t.db.Execute(QStringLiteral("INSERT INTO T (a) VALUES (1)"));
    const QString contents =
        QStringLiteral("SELECT (SELECT group_concat(a) FROM T), (SELECT count(*) FROM Calendar)");
    const QStringList before = rawRows(t.path, contents);
    const DbError e = thrown([&] { t.db.Execute(statement); });
    QCOMPARE(e.number(), number);
    QCOMPARE(e.sqliteCode(), code);
    QCOMPARE(rawRows(t.path, contents), before);
}

QTEST_APPLESS_MAIN(TestConnection)
#include "tst_connection.moc"
