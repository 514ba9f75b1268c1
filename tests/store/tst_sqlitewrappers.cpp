// The SQLite wrappers: a transaction guard that undoes everything an
// exception passes through, checked binds, and failures that keep SQLite's
// own code so that a busy, full or refused write can be told apart.

#include "StoreFixture.h"
#include "store/Statement.h"
#include "store/Transaction.h"

#include <QTest>
#include <stdexcept>

using namespace fixture;

class TestSqliteWrappers : public QObject
{
    Q_OBJECT
private slots:
    void transactionRollsBack_data();
    void transactionRollsBack();
    void bindsChecked();
    void failureKeepsEngineCode_data();
    void failureKeepsEngineCode();
};

namespace {

const QString kRows = QStringLiteral("SELECT Description FROM Calendar ORDER BY rowid");

QStringList descriptions(Connection &db)
{
    QStringList out;
    Statement st(db, kRows);
    while (st.step())
        out << QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(st.handle(), 0)));
    return out;
}

void insert(Connection &db, const char *description)
{
    db.Execute(QStringLiteral("INSERT INTO Calendar (Dates, Description) VALUES (#1/2/2026#, '") +
               QLatin1String(description) + QStringLiteral("')"));
}

} // namespace

void TestSqliteWrappers::transactionRollsBack_data()
{
    QTest::addColumn<bool>("outerOpen");
    QTest::addColumn<bool>("committed");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("exception passes") << false << false << QStringList{"Ann"};
    QTest::newRow("exception after commit") << false << true << QStringList{"Ann", "Bob"};
    QTest::newRow("exception passes, inside a transaction") << true << false << QStringList{"Ann"};
    QTest::newRow("committed inside a transaction") << true << true << QStringList{"Ann", "Bob"};
}

void TestSqliteWrappers::transactionRollsBack()
{
    QFETCH(bool, outerOpen);
    QFETCH(bool, committed);
    QFETCH(QStringList, kept);
    NewDatabase t;
    insert(t.db, "Ann");
    if (outerOpen)
        t.db.BeginTrans();
    try {
        Transaction transaction(t.db);
        insert(t.db, "Bob");
        if (committed)
            transaction.commit();
        throw std::runtime_error("failed after the write");
    } catch (const std::runtime_error &) {
    }
    QCOMPARE(descriptions(t.db), kept);
    // An outer transaction stays the caller's to end.
    QCOMPARE(t.db.inTransaction(), outerOpen);
    if (outerOpen)
        t.db.CommitTrans();
    QCOMPARE(rawRows(t.path, kRows), kept);
}

void TestSqliteWrappers::bindsChecked()
{
    NewDatabase t;
    Statement st(t.db, QStringLiteral("INSERT INTO Calendar (Dates, Description) VALUES (?, ?)"));
    QVERIFY(thrown([&] { st.bind(3, qint64(1)); }).number() != 0);
    st.bindText(1, "2026-01-02");
    // The description was never bound: nothing runs.
    QCOMPARE(thrown([&] { st.step(); }).number(), DbErrNo::NoValue);
    QCOMPARE(rawRows(t.path, kRows), QStringList{});
    st.bind(2, QVariant(QStringLiteral("Ann")));
    QVERIFY(!st.step());
    QCOMPARE(rawRows(t.path, kRows), QStringList{"Ann"});
}

void TestSqliteWrappers::failureKeepsEngineCode_data()
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

void TestSqliteWrappers::failureKeepsEngineCode()
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

QTEST_APPLESS_MAIN(TestSqliteWrappers)
#include "tst_sqlitewrappers.moc"
