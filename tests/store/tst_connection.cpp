// The connection: bad files refused with nothing touched, bad statement
// texts refused with nothing run, transactions left to the caller, and the
// Jet statements users type run as Jet would run them.

#include "StoreFixture.h"
#include "store/DbError.h"

#include <QDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixture;

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void openRefused_data();
    void openRefused();
    void openByConnectionString();
    void twoStatementsRunNeither_data();
    void twoStatementsRunNeither();
    void malformedRunsNothing_data();
    void malformedRunsNothing();
    void failureInsideTransaction_data();
    void failureInsideTransaction();
    void commitKeeps();
    void transactionMisuse();
    void jetStatements_data();
    void jetStatements();
    void closedConnection();
};

namespace {

const QString kRows = QStringLiteral(
    "SELECT rowid, Dates, Icon, Description, Details, ShowOnce FROM Calendar ORDER BY rowid");

QStringList folderListing(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The table the statement tests start from.
void addStatementEvents(Connection &db)
{
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("holiday"), QStringLiteral("Independence Day"));
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Ann's party"),
             QStringLiteral("cake"));
    addEvent(db, QDate(2026, 7, 5), QStringLiteral("anniversary"),
             QStringLiteral("anniversary of B"));
    addEvent(db, QDate(2026, 12, 7), QStringLiteral("doctor"), QStringLiteral("Dentist"), {}, true);
    addEvent(db, QDate(2026, 12, 8), QStringLiteral("doctor"), QStringLiteral("Eye doctor"), {},
             true);
    addEvent(db, QDate(2025, 1, 1), QStringLiteral("reminder"), QStringLiteral("Joanne"));
    db.Execute(QStringLiteral("INSERT INTO Calendar (Dates, Description, ShowOnce) VALUES "
                              "(#12/7/2026 11:00 PM#, 'Late call', True)"));
    db.Execute(QStringLiteral("INSERT INTO Calendar (Dates, Description, ShowOnce) VALUES "
                              "(#12/8/2026 10:00 AM#, 'Morning call', True)"));
}

} // namespace

void TestConnection::openRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("description"); // %1 is the path

    QTest::newRow("text file") << "text"
                               << "Unrecognized database format '%1'.";
    QTest::newRow("damaged database header") << "header"
                                             << "Unrecognized database format '%1'.";
    QTest::newRow("missing file") << "missing"
                                  << "Could not find file '%1'.";
    QTest::newRow("missing folder") << "missing folder"
                                    << "Could not find file '%1'.";
    QTest::newRow("folder") << "folder"
                            << "Could not find file '%1'.";
    QTest::newRow("named pipe") << "fifo"
                                << "Unrecognized database format '%1'.";
    QTest::newRow("unreadable file")
        << "unreadable"
        << "The database engine cannot open the file '%1'. You need permission to view its data.";
}

void TestConnection::openRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, description);
    TestEnv env;
    const QString folder = env.path(QStringLiteral("db"));
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + QStringLiteral("/Almarik.MDB");
    QByteArray content;
    if (kind == QLatin1String("text")) {
        content = "Almarik events\r\n07/04/2026 birthday Ann\r\n";
    } else if (kind == QLatin1String("header")) {
        content = QByteArray("SQLite format 3", 16) + QByteArray(200, '\xff');
    } else if (kind == QLatin1String("unreadable")) {
        if (::geteuid() == 0)
            QSKIP("root can read any file");
        content = "SQLite format 3";
    } else if (kind == QLatin1String("missing folder")) {
        path = folder + QStringLiteral("/nowhere/Almarik.MDB");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        if (kind == QLatin1String("unreadable"))
            QVERIFY(f.setPermissions({}));
    }
    const QStringList before = folderListing(folder);

    Connection db;
    try {
        db.Open(Connection::connectionStringFor(path));
        QFAIL("opened");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::General);
        QCOMPARE(e.description(), description.arg(path));
    }
    QVERIFY(!db.isOpen());
    QCOMPARE(folderListing(folder), before);
    if (!content.isEmpty()) {
        QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(fileBytes(path), content);
    }
}

void TestConnection::openByConnectionString()
{
    TestEnv env;
    const QString path = env.path(QStringLiteral("Almarik.MDB"));
    CreateDatabase(path);
    const QString text =
        QStringLiteral(
            "Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=") +
        path;
    QCOMPARE(Connection::connectionStringFor(path), text);
    Connection db;
    db.Open(text);
    QVERIFY(db.isOpen());
    QCOMPARE(db.ConnectionString(), text);
    QCOMPARE(db.path(), path);
    addEvent(db, QDate(2026, 7, 4), QStringLiteral("birthday"), QStringLiteral("Ann"));
    db.Close();
    QVERIFY(!db.isOpen());
    QCOMPARE(rawRows(path, QStringLiteral("SELECT Description FROM Calendar")), QStringList{"Ann"});
}

void TestConnection::twoStatementsRunNeither_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("two deletes") << "DELETE FROM Calendar; DELETE FROM Almarik_Type";
    QTest::newRow("insert then delete")
        << "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES (#07/04/2026#, "
           "'birthday', 'x', Null, False);DELETE FROM Calendar";
    QTest::newRow("drop hidden after a quote")
        << "UPDATE Calendar SET Details = 'a'';' ; DROP TABLE Calendar";
    QTest::newRow("two semicolons") << "DELETE FROM Calendar;;";
}

void TestConnection::twoStatementsRunNeither()
{
    QFETCH(QString, statement);
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addStatementEvents(db);
    const QStringList before = rawRows(path, kRows);
    const QStringList types = rawRows(path, QStringLiteral("SELECT * FROM Almarik_Type"));
    try {
        db.Execute(statement);
        QFAIL("ran");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::Syntax);
        QCOMPARE(e.description(), QStringLiteral("Characters found after end of SQL statement."));
    }
    QCOMPARE(rawRows(path, kRows), before);
    QCOMPARE(rawRows(path, QStringLiteral("SELECT * FROM Almarik_Type")), types);
    QVERIFY(!db.inTransaction());
}

void TestConnection::malformedRunsNothing_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("description");
    QTest::newRow("unterminated quote")
        << "UPDATE Calendar SET Details = 'abc WHERE Description = 'Dentist'"
        << "Syntax error in string in query expression '''.";
    QTest::newRow("unterminated double quote")
        << "UPDATE Calendar SET Details = \"abc"
        << "Syntax error in string in query expression '\"abc'.";
    QTest::newRow("unterminated date") << "DELETE FROM Calendar WHERE Dates < #12/08/2026"
                                       << "Syntax error in date in query expression '#12/08/2026'.";
    QTest::newRow("impossible date") << "DELETE FROM Calendar WHERE Dates < #13/45/2026#"
                                     << "Syntax error in date in query expression '#13/45/2026#'.";
    QTest::newRow("no such column") << "UPDATE Calendar SET Colour = 1"
                                    << "no such column: Colour";
    QTest::newRow("empty text") << "   "
                                << "Invalid SQL statement; expected 'DELETE', 'INSERT', "
                                   "'PROCEDURE', 'SELECT', or 'UPDATE'.";
}

void TestConnection::malformedRunsNothing()
{
    QFETCH(QString, statement);
    QFETCH(QString, description);
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addStatementEvents(db);
    const QStringList before = rawRows(path, kRows);
    try {
        db.Execute(statement);
        QFAIL("ran");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::Syntax);
        QCOMPARE(e.description(), description);
    }
    QCOMPARE(rawRows(path, kRows), before);
}

void TestConnection::failureInsideTransaction_data()
{
    QTest::addColumn<QString>("failing");
    QTest::newRow("refused by the translator") << "DELETE FROM Calendar WHERE Dates < #2/30/2026#";
    QTest::newRow("refused by the engine") << "DELETE FROM NoSuchTable";
    QTest::newRow("failing while running") << "UPDATE Calendar SET ShowOnce = Null";
}

void TestConnection::failureInsideTransaction()
{
    QFETCH(QString, failing);
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addStatementEvents(db);
    const QStringList before = rawRows(path, kRows);

    db.BeginTrans();
    QCOMPARE(db.Execute(QStringLiteral("DELETE FROM Calendar WHERE Description ='Dentist'")), 1);
    addEvent(db, QDate(2026, 3, 15), QStringLiteral("birthday"), QStringLiteral("Jo's party"));
    QVERIFY_THROWS_EXCEPTION(DbError, db.Execute(failing));
    QVERIFY(db.inTransaction()); // the caller decides
    QCOMPARE(db.Execute(QStringLiteral("UPDATE Calendar SET Details = 'changed'")), 8);
    db.RollbackTrans();
    QVERIFY(!db.inTransaction());
    QCOMPARE(rawRows(path, kRows), before);
}

void TestConnection::commitKeeps()
{
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addStatementEvents(db);
    db.BeginTrans();
    db.Execute(QStringLiteral("DELETE FROM Calendar WHERE Description ='Joanne'"));
    addEvent(db, QDate(2007, 3, 15), QStringLiteral("birthday"), QStringLiteral("Jo's party"));
    QVERIFY_THROWS_EXCEPTION(DbError, db.Execute(QStringLiteral("DELETE FROM Nowhere")));
    db.CommitTrans();
    QCOMPARE(
        rawRows(path, QStringLiteral("SELECT count(*) FROM Calendar WHERE Description = 'Joanne'")),
        QStringList{"0"});
    QCOMPARE(rawRows(path, QStringLiteral(
                               "SELECT Dates FROM Calendar WHERE Description = 'Jo''s party'")),
             QStringList{"2007-03-15"});
}

void TestConnection::transactionMisuse()
{
    TestEnv env;
    Connection db;
    newDatabase(env, db);
    QVERIFY_THROWS_EXCEPTION(DbError, db.CommitTrans());
    QVERIFY_THROWS_EXCEPTION(DbError, db.RollbackTrans());
    db.BeginTrans();
    QVERIFY_THROWS_EXCEPTION(DbError, db.BeginTrans());
    QVERIFY(db.inTransaction());
    db.RollbackTrans();
}

void TestConnection::jetStatements_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("affected");
    QTest::addColumn<QStringList>("after"); // rowid|Dates|Icon|Description|Details|ShowOnce

    const QStringList start = {"1|2026-07-04|holiday|Independence Day|<null>|0",
                               "2|2026-07-04|birthday|Ann's party|cake|0",
                               "3|2026-07-05|anniversary|anniversary of B|<null>|0",
                               "4|2026-12-07|doctor|Dentist|<null>|-1",
                               "5|2026-12-08|doctor|Eye doctor|<null>|-1",
                               "6|2025-01-01|reminder|Joanne|<null>|0",
                               "7|2026-12-07 23:00:00|<null>|Late call|<null>|-1",
                               "8|2026-12-08 10:00:00|<null>|Morning call|<null>|-1"};
    auto with = [&](std::initializer_list<std::pair<int, QString>> changes) {
        QStringList rows = start;
        for (const auto &[row, text] : changes)
            rows[row] = text;
        rows.removeAll(QString());
        return rows;
    };

    QTest::newRow("show once by date")
        << "Update Calendar SET ShowOnce = True WHERE Dates = #7/4/2026#" << 2
        << with({{0, "1|2026-07-04|holiday|Independence Day|<null>|-1"},
                 {1, "2|2026-07-04|birthday|Ann's party|cake|-1"}});
    QTest::newRow("delete star with a like pattern, case ignored")
        << "DELETE * FROM Calendar WHERE Description like 'Ann*'" << 2 << with({{1, {}}, {2, {}}});
    QTest::newRow("double-quoted text")
        << "UPDATE Calendar SET Details = \"Jet's double-quoted text\"" << 8 << [&] {
               QStringList rows = start;
               for (QString &r : rows) {
                   QStringList cells = r.split(QLatin1Char('|'));
                   cells[4] = QStringLiteral("Jet's double-quoted text");
                   r = cells.join(QLatin1Char('|'));
               }
               return rows;
           }();
    QTest::newRow("the start-up purge")
        << "DELETE FROM Calendar WHERE ShowOnce = TRUE AND Dates < #12/08/2026#" << 2
        << with({{3, {}}, {6, {}}});
    QTest::newRow("the event update")
        << "UPDATE Calendar SET  Dates = #07/05/2026#, Description ='Ann''s party', icon = NULL,  "
           "Details = 'bring cake', ShowOnce = True WHERE Dates = #07/04/2026# AND Description "
           "='Ann''s "
           "party'"
        << 1 << with({{1, "2|2026-07-05|<null>|Ann's party|bring cake|-1"}});
    QTest::newRow("the event delete, description without case")
        << "DELETE FROM Calendar WHERE Description ='DENTIST' AND Dates =#12/07/2026#" << 1
        << with({{3, {}}});
    QTest::newRow("the builder's delete")
        << "Delete FROM Calendar  WHERE Description = 'Dentist'" << 1 << with({{3, {}}});
    QTest::newRow("the builder's update") << "Update Calendar SET icon = 'memorial'" << 8 << [&] {
        QStringList rows = start;
        for (QString &r : rows) {
            QStringList cells = r.split(QLatin1Char('|'));
            cells[2] = QStringLiteral("memorial");
            r = cells.join(QLatin1Char('|'));
        }
        return rows;
    }();
    QTest::newRow("bracketed names and false")
        << "UPDATE [Calendar] SET [ShowOnce] = false WHERE "
           "[Dates] > #12/07/2026#"
        << 3
        << with({{4, "5|2026-12-08|doctor|Eye doctor|<null>|0"},
                 {6, "7|2026-12-07 23:00:00|<null>|Late call|<null>|0"},
                 {7, "8|2026-12-08 10:00:00|<null>|Morning call|<null>|0"}});
}

void TestConnection::jetStatements()
{
    QFETCH(QString, statement);
    QFETCH(int, affected);
    QFETCH(QStringList, after);
    TestEnv env;
    Connection db;
    const QString path = newDatabase(env, db);
    addStatementEvents(db);
    QCOMPARE(db.Execute(statement), affected);
    QCOMPARE(rawRows(path, kRows), after);
}

void TestConnection::closedConnection()
{
    Connection db;
    try {
        db.Execute(QStringLiteral("DELETE FROM Calendar"));
        QFAIL("ran on a closed connection");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), DbErrNo::Closed);
    }
    QVERIFY_THROWS_EXCEPTION(DbError, db.BeginTrans());
}

QTEST_APPLESS_MAIN(TestConnection)
#include "tst_connection.moc"
