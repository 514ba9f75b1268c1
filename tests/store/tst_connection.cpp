// The connection: bad files refused with nothing touched, a failing
// statement inside a transaction left to the caller to undo or keep; its
// wrappers: a transaction guard that undoes everything an exception passes
// through, checked binds, and failures that keep SQLite's own code so that a
// busy, full or refused write can be told apart.

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
    void openRefused_data();
    void openRefused();
    void connectionString();
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

void TestConnection::openRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("description"); // %1 is the path
    const QString format = QStringLiteral("Unrecognized database format '%1'.");
    QTest::newRow("text file") << "text" << format;
    QTest::newRow("named pipe") << "fifo" << format;
    QTest::newRow("missing file") << "missing"
                                  << "Could not find file '%1'.";
    QTest::newRow("unreadable file")
        << "unreadable"
        << "The database engine cannot open the file '%1'. You need permission to view its data.";
}

void TestConnection::openRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, description);
    TestEnv env;
    const QString path = env.path(QStringLiteral("Almarik.MDB"));
    QByteArray content;
    if (kind == QLatin1String("text"))
        content = "Almarik events\r\n07/04/2026 birthday Ann\r\n";
    else if (kind == QLatin1String("unreadable"))
        content = "SQLite format 3";
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        f.close();
        if (kind == QLatin1String("unreadable")) {
            if (::geteuid() == 0)
                QSKIP("root can read any file");
            QVERIFY(f.setPermissions({}));
        }
    }
    const QStringList before = listing(env.root());
    Connection db;
    const DbError e = thrown([&] { db.Open(Connection::connectionStringFor(path)); });
    QCOMPARE(e.number(), DbErrNo::General);
    QCOMPARE(e.description(), description.arg(path));
    QVERIFY(!db.isOpen());
    QCOMPARE(listing(env.root()), before);
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    if (!content.isEmpty())
        QCOMPARE(fileBytes(path), content);
}

void TestConnection::connectionString()
{
    NewDatabase t;
    const QString text =
        "Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=" + t.path;
    QCOMPARE(Connection::connectionStringFor(t.path), text);
    t.db.Close();
    QCOMPARE(thrown([&] { t.db.Execute(QStringLiteral("DELETE FROM Calendar")); }).number(),
             DbErrNo::Closed);
    t.db.Open(text);
    QCOMPARE(t.db.ConnectionString(), text);
    addEvents(t.db, {"(#7/4/2026#, 'birthday', 'Ann', Null, False)"});
    QCOMPARE(rawRows(t.path, QStringLiteral("SELECT Description FROM Calendar")),
             QStringList{"Ann"});
}

void TestConnection::transaction_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("commit");
    QTest::newRow("refused by the translator, rolled back")
        << "DELETE FROM Calendar WHERE Dates < #2/30/2026#" << false;
    QTest::newRow("refused by the engine, rolled back") << "DELETE FROM NoSuchTable" << false;
    QTest::newRow("failing while running, rolled back")
        << "UPDATE Calendar SET ShowOnce = Null" << false;
    QTest::newRow("failing while running, committed")
        << "UPDATE Calendar SET ShowOnce = Null" << true;
}

void TestConnection::transaction()
{
    QFETCH(QString, failing);
    QFETCH(bool, commit);
    NewDatabase t;
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
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("exception passes") << false << false << QStringList{"Ann"};
    QTest::newRow("exception after commit") << false << true << QStringList{"Ann", "Bob"};
    QTest::newRow("exception passes, inside a transaction") << true << false << QStringList{"Ann"};
    QTest::newRow("committed inside a transaction") << true << true << QStringList{"Ann", "Bob"};
}

void TestConnection::transactionRollsBack()
{
    QFETCH(bool, outerOpen);
    QFETCH(bool, committed);
    QFETCH(QStringList, kept);
    NewDatabase t;
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
    QCOMPARE(rawRows(t.path, kDescriptions), kept);
}

void TestConnection::bindsChecked()
{
    NewDatabase t;
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
    QTest::newRow("full") << "CREATE TABLE Big (b LONGTEXT)" << DbErrNo::General << SQLITE_FULL;
    QTest::newRow("busy") << "INSERT INTO T (a) VALUES (2)" << DbErrNo::General << SQLITE_BUSY;
}

void TestConnection::failureKeepsEngineCode()
{
    QFETCH(QString, statement);
    QFETCH(int, number);
    QFETCH(int, code);
    NewDatabase t;
    t.db.Execute(QStringLiteral("CREATE TABLE T (a INTEGER NOT NULL UNIQUE)"));
    t.db.Execute(QStringLiteral("INSERT INTO T (a) VALUES (1)"));
    const QString contents =
        QStringLiteral("SELECT (SELECT group_concat(a) FROM T), (SELECT count(*) FROM Calendar)");
    const QStringList before = rawRows(t.path, contents);
    sqlite3 *other = nullptr;
    if (QByteArray(QTest::currentDataTag()) == "full") {
        // The file may not grow by a page.
        sqlite3_exec(t.db.handle(), "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr);
    } else if (QByteArray(QTest::currentDataTag()) == "busy") {
        // Another writer holds the file; this one does not wait for it.
        QCOMPARE(sqlite3_open(QFile::encodeName(t.path).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_busy_timeout(t.db.handle(), 0);
    }
    const DbError e = thrown([&] { t.db.Execute(statement); });
    sqlite3_close(other);
    QCOMPARE(e.number(), number);
    QCOMPARE(e.sqliteCode(), code);
    QCOMPARE(rawRows(t.path, contents), before);
}

QTEST_APPLESS_MAIN(TestConnection)
#include "tst_connection.moc"
