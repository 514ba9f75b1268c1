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
    void connectionString();
    void refusedRunsNothing_data();
    void refusedRunsNothing();
    void transaction_data();
    void transaction();
    void jetStatements_data();
    void jetStatements();
};

namespace {

const QString kRows = QStringLiteral(
    "SELECT rowid, Dates, Icon, Description, Details, ShowOnce FROM Calendar ORDER BY rowid");

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
}

// The table the statement tests start from: rowids 1 to 7.
struct WithEvents : NewDatabase
{
    WithEvents()
    {
        addEvents(db, {"#7/4/2026#, 'holiday', 'Independence Day', Null, False",
                       "#7/4/2026#, 'birthday', 'Ann''s party', 'cake', False",
                       "#7/5/2026#, 'anniversary', 'anniversary of B', Null, False",
                       "#12/7/2026#, 'doctor', 'Dentist', Null, True",
                       "#12/8/2026#, 'doctor', 'Eye doctor', Null, True",
                       "#12/7/2026 11:00 PM#, Null, 'Late call', Null, True",
                       "#12/8/2026 10:00 AM#, Null, 'Morning call', Null, True"});
    }
};

} // namespace

void TestConnection::openRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("description"); // %1 is the path
    const QString format = QStringLiteral("Unrecognized database format '%1'.");
    const QString missing = QStringLiteral("Could not find file '%1'.");
    QTest::newRow("text file") << "text" << format;
    QTest::newRow("damaged database header") << "header" << format;
    QTest::newRow("named pipe") << "fifo" << format;
    QTest::newRow("missing file") << "missing" << missing;
    QTest::newRow("missing folder") << "nowhere/" << missing;
    QTest::newRow("folder") << "folder" << missing;
    QTest::newRow("unreadable file")
        << "unreadable"
        << "The database engine cannot open the file '%1'. You need permission to view its data.";
}

void TestConnection::openRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, description);
    TestEnv env;
    const QString path =
        env.path((kind == QLatin1String("nowhere/") ? kind : QString()) + "Almarik.MDB");
    QByteArray content;
    if (kind == QLatin1String("text"))
        content = "Almarik events\r\n07/04/2026 birthday Ann\r\n";
    else if (kind == QLatin1String("header"))
        content = QByteArray("SQLite format 3", 16) + QByteArray(200, '\xff');
    else if (kind == QLatin1String("unreadable"))
        content = "SQLite format 3";
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
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
    addEvents(t.db, {"#7/4/2026#, 'birthday', 'Ann', Null, False"});
    QCOMPARE(rawRows(t.path, QStringLiteral("SELECT Description FROM Calendar")),
             QStringList{"Ann"});
}

void TestConnection::refusedRunsNothing_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("description");
    const QString twoStatements = QStringLiteral("Characters found after end of SQL statement.");
    QTest::newRow("two deletes") << "DELETE FROM Calendar; DELETE FROM Almarik_Type"
                                 << twoStatements;
    QTest::newRow("drop hidden after a quote")
        << "UPDATE Calendar SET Details = 'a'';' ; DROP TABLE Calendar" << twoStatements;
    QTest::newRow("unterminated quote")
        << "UPDATE Calendar SET Details = 'abc WHERE Description = 'Dentist'"
        << "Syntax error in string in query expression '''.";
    QTest::newRow("impossible date") << "DELETE FROM Calendar WHERE Dates < #13/45/2026#"
                                     << "Syntax error in date in query expression '#13/45/2026#'.";
    QTest::newRow("no such column") << "UPDATE Calendar SET Colour = 1"
                                    << "No value given for one or more required parameters.";
    QTest::newRow("empty text") << "   "
                                << "Invalid SQL statement; expected 'DELETE', 'INSERT', "
                                   "'PROCEDURE', 'SELECT', or 'UPDATE'.";
}

void TestConnection::refusedRunsNothing()
{
    QFETCH(QString, statement);
    QFETCH(QString, description);
    WithEvents t;
    const QString types = QStringLiteral("SELECT * FROM Almarik_Type");
    const QStringList before = rawRows(t.path, kRows) + rawRows(t.path, types);
    const DbError e = thrown([&] { t.db.Execute(statement); });
    QCOMPARE(e.number(), description.startsWith(QLatin1String("No value")) ? DbErrNo::NoValue
                                                                           : DbErrNo::Syntax);
    QCOMPARE(e.description(), description);
    QCOMPARE(rawRows(t.path, kRows) + rawRows(t.path, types), before);
    QVERIFY(!t.db.inTransaction());
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
    WithEvents t;
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
        after.removeAt(3);
        after << "8|2007-03-15|birthday|Jo's party|<null>|0";
    } else {
        t.db.RollbackTrans();
    }
    QCOMPARE(rawRows(t.path, kRows), after);
    QVERIFY(!t.db.inTransaction());
}

void TestConnection::jetStatements_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("affected");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("after");
    const QString descriptions = QStringLiteral("SELECT Description FROM Calendar ORDER BY rowid");

    QTest::newRow("show once by date")
        << "Update Calendar SET ShowOnce = True WHERE Dates = #7/4/2026#" << 2
        << "SELECT Description FROM Calendar WHERE ShowOnce = 0" << QStringList{"anniversary of B"};
    QTest::newRow("delete star, like pattern, case ignored")
        << "DELETE * FROM Calendar WHERE Description like 'Ann*'" << 2 << descriptions
        << QStringList{"Independence Day", "Dentist", "Eye doctor", "Late call", "Morning call"};
    QTest::newRow("double-quoted text")
        << "UPDATE Calendar SET Details = \"Jet's double-quoted text\"" << 7
        << "SELECT DISTINCT Details FROM Calendar" << QStringList{"Jet's double-quoted text"};
    QTest::newRow("the start-up purge, times on the last day kept")
        << "DELETE FROM Calendar WHERE ShowOnce = TRUE AND Dates < #12/08/2026#" << 2
        << descriptions
        << QStringList{"Independence Day", "Ann's party", "anniversary of B", "Eye doctor",
                       "Morning call"};
    QTest::newRow("the event update")
        << "UPDATE Calendar SET  Dates = #07/05/2026#, Description ='Ann''s party', icon = NULL,  "
           "Details = 'bring cake', ShowOnce = True WHERE Dates = #07/04/2026# AND Description "
           "='Ann''s party'"
        << 1 << "SELECT Dates, Icon, Description, Details, ShowOnce FROM Calendar WHERE rowid = 2"
        << QStringList{"2026-07-05|<null>|Ann's party|bring cake|-1"};
    QTest::newRow("the event delete, description in another case")
        << "DELETE FROM Calendar WHERE Description ='DENTIST' AND Dates =#12/07/2026#" << 1
        << "SELECT count(*) FROM Calendar WHERE Description = 'Dentist'" << QStringList{"0"};
    QTest::newRow("the share import")
        << "INSERT INTO Calendar (Dates, icon, Description, ShowOnce, Details) VALUES "
           "(#03/15/2007#, 'birthday', 'Jo''s party', False, Null)"
        << 1 << "SELECT * FROM Calendar WHERE rowid = 8"
        << QStringList{"2007-03-15|birthday|Jo's party|<null>|0"};
    QTest::newRow("the wallpaper selector's insert")
        << "INSERT INTO WallPapers (FileName,Path,Active) Values ('Ann''s.bmp', '/p', TRUE)" << 1
        << "SELECT ID, FileName, path, Active FROM Wallpapers" << QStringList{"1|Ann's.bmp|/p|-1"};
}

void TestConnection::jetStatements()
{
    QFETCH(QString, statement);
    QFETCH(int, affected);
    QFETCH(QString, query);
    QFETCH(QStringList, after);
    WithEvents t;
    QCOMPARE(t.db.Execute(statement), affected);
    QCOMPARE(rawRows(t.path, query), after);
}

QTEST_APPLESS_MAIN(TestConnection)
#include "tst_connection.moc"
