// Yes/no and date columns keep Jet's rules whatever statement writes them:
// any non-zero yes/no is stored as -1, and a value that is no yes/no or no
// date of the years 100 to 9999 is refused with nothing changed.

#include "StoreFixture.h"

#include <QTest>

using namespace fixture;

class TestTypedColumns : public QObject
{
    Q_OBJECT
private slots:
    void statements_data();
    void statements();
};

void TestTypedColumns::statements_data()
{
    QTest::addColumn<QString>("set");  // an UPDATE's assignments
    QTest::addColumn<QString>("rows"); // Dates|ShowOnce of each row; empty: refused
    const auto row = [](const char *name, const char *set, const char *rows) {
        QTest::newRow(name) << QString::fromUtf8(set) << QString::fromUtf8(rows);
    };
    row("yes/no 1", "ShowOnce = 1", "2026-07-04|-1 2026-07-05|-1");
    row("yes/no 5", "ShowOnce = 5", "2026-07-04|-1 2026-07-05|-1");
    row("yes/no True", "ShowOnce = True", "2026-07-04|-1 2026-07-05|-1");
    row("yes/no 0", "ShowOnce = 0", "2026-07-04|0 2026-07-05|0");
    row("yes/no False", "ShowOnce = False", "2026-07-04|0 2026-07-05|0");
    row("yes/no 'abc'", "ShowOnce = 'abc'", "");
    row("date year 100", "Dates = #1/1/0100#", "0100-01-01|0 0100-01-01|-1");
    row("date year 9999", "Dates = #12/31/9999#", "9999-12-31|0 9999-12-31|-1");
    row("date year 99", "Dates = '0099-12-31'", "");
    row("date year 10000", "Dates = '10000-01-01'", "");
    row("date 'next week'", "Dates = 'next week'", "");
    row("date 30 February", "Dates = '2026-02-30'", "");
    // Ann's details are a date, Bob's are not: the whole statement is refused.
    row("dates from texts, one bad", "Dates = Details", "");
}

void TestTypedColumns::statements()
{
    QFETCH(QString, set);
    QFETCH(QString, rows);
    NewDatabase t;
    addEvents(t.db, {"#7/4/2026#, 'birthday', 'Ann', '2026-01-01', False",
                     "#7/5/2026#, 'birthday', 'Bob', 'soon', True"});
    const QString unchanged = QStringLiteral("2026-07-04|0 2026-07-05|-1");
    const DbError e = thrown([&] { t.db.Execute("UPDATE Calendar SET " + set); });
    QCOMPARE(e.description(), rows.isEmpty()
                                  ? QStringLiteral("Data type mismatch in criteria expression.")
                                  : QStringLiteral("nothing thrown"));
    QCOMPARE(e.number(), rows.isEmpty() ? DbErrNo::Conversion : 0);
    QCOMPARE(rawRows(t.path, QStringLiteral("SELECT Dates, ShowOnce FROM Calendar ORDER BY rowid"))
                 .join(' '),
             rows.isEmpty() ? unchanged : rows);
}

QTEST_APPLESS_MAIN(TestTypedColumns)
#include "tst_typedcolumns.moc"
