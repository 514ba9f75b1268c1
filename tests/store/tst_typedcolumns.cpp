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

namespace {

const QString kRows =
    QStringLiteral("SELECT Dates, Description, Details, ShowOnce FROM Calendar ORDER BY rowid");
const QString kMismatch = QStringLiteral("Data type mismatch in criteria expression.");
const QStringList kSeeded = {"2026-07-04|Ann|2026-01-01|0", "2026-07-05|Bob|soon|-1"};

} // namespace

void TestTypedColumns::statements_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("rows"); // empty: refused with the mismatch, nothing changed
    const auto set = [](const char *name, const char *assignment, const char *ann,
                        const char *bob) {
        QTest::newRow(name) << QStringLiteral("UPDATE Calendar SET ") + assignment
                            << (ann ? QStringList{ann, bob} : QStringList{});
    };
    set("yes/no 1", "ShowOnce = 1", "2026-07-04|Ann|2026-01-01|-1", "2026-07-05|Bob|soon|-1");
    set("yes/no 5", "ShowOnce = 5", "2026-07-04|Ann|2026-01-01|-1", "2026-07-05|Bob|soon|-1");
    set("yes/no 0.5", "ShowOnce = 0.5", "2026-07-04|Ann|2026-01-01|-1", "2026-07-05|Bob|soon|-1");
    set("yes/no text '1'", "ShowOnce = '1'", "2026-07-04|Ann|2026-01-01|-1",
        "2026-07-05|Bob|soon|-1");
    set("yes/no True", "ShowOnce = True", "2026-07-04|Ann|2026-01-01|-1",
        "2026-07-05|Bob|soon|-1");
    set("yes/no 0", "ShowOnce = 0", "2026-07-04|Ann|2026-01-01|0", "2026-07-05|Bob|soon|0");
    set("yes/no False", "ShowOnce = False", "2026-07-04|Ann|2026-01-01|0",
        "2026-07-05|Bob|soon|0");
    set("yes/no text 'abc'", "ShowOnce = 'abc'", nullptr, nullptr);
    set("yes/no from a text column", "ShowOnce = Description", nullptr, nullptr);
    set("date year 100", "Dates = #1/1/0100#", "0100-01-01|Ann|2026-01-01|0",
        "0100-01-01|Bob|soon|-1");
    set("date year 9999", "Dates = #12/31/9999#", "9999-12-31|Ann|2026-01-01|0",
        "9999-12-31|Bob|soon|-1");
    set("date with a time", "Dates = '2026-07-04 13:45:00'", "2026-07-04 13:45:00|Ann|2026-01-01|0",
        "2026-07-04 13:45:00|Bob|soon|-1");
    set("date Null", "Dates = Null", "<null>|Ann|2026-01-01|0", "<null>|Bob|soon|-1");
    set("date year 99", "Dates = '0099-12-31'", nullptr, nullptr);
    set("date year 10000", "Dates = '10000-01-01'", nullptr, nullptr);
    set("date text 'next week'", "Dates = 'next week'", nullptr, nullptr);
    set("date number", "Dates = 2034", nullptr, nullptr);
    set("date 30 February", "Dates = '2026-02-30'", nullptr, nullptr);
    set("date hour 24", "Dates = '2026-07-04 24:00:00'", nullptr, nullptr);
    set("date other separator", "Dates = '2026-07-04T13:45:00'", nullptr, nullptr);
    // Ann's details would do; Bob's refuse the whole statement.
    set("date from texts, one bad", "Dates = Details", nullptr, nullptr);

    const auto insert = [](const char *name, const char *values, const char *added) {
        QTest::newRow(name) << QStringLiteral("INSERT INTO Calendar (Dates, Description, "
                                              "ShowOnce) VALUES (") +
                                   values + QLatin1Char(')')
                            << (added ? kSeeded + QStringList{added} : QStringList{});
    };
    insert("insert yes/no -7", "#7/6/2026#, 'Cy', -7", "2026-07-06|Cy|<null>|-1");
    insert("insert yes/no No", "#7/6/2026#, 'Cy', False", "2026-07-06|Cy|<null>|0");
    insert("insert yes/no 'yes'", "#7/6/2026#, 'Cy', 'yes'", nullptr);
    insert("insert date 'tomorrow'", "'tomorrow', 'Cy', 0", nullptr);
    insert("insert date 31 April", "'2026-04-31', 'Cy', 0", nullptr);
}

void TestTypedColumns::statements()
{
    QFETCH(QString, statement);
    QFETCH(QStringList, rows);
    NewDatabase t;
    addEvents(t.db, {"#7/4/2026#, 'birthday', 'Ann', '2026-01-01', False",
                     "#7/5/2026#, 'birthday', 'Bob', 'soon', True"});
    QCOMPARE(rawRows(t.path, kRows), kSeeded);
    const DbError e = thrown([&] { t.db.Execute(statement); });
    QCOMPARE(e.description(), rows.isEmpty() ? kMismatch : QStringLiteral("nothing thrown"));
    QCOMPARE(rawRows(t.path, kRows), rows.isEmpty() ? kSeeded : rows);
}

QTEST_APPLESS_MAIN(TestTypedColumns)
#include "tst_typedcolumns.moc"
