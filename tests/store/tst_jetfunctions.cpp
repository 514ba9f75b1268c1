// The Jet operators and functions that statements call: each expression
// runs in SQLite as the translator emits it, and its result (or error) is
// compared whole. Texts show in quotes so that a number cannot pass for one.

#include "store/JetFunctions.h"
#include "support/TestEnv.h"

#include <QTest>
#include <sqlite3.h>

class TestJetFunctions : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void operators_data();
    void operators();
    void like_data();
    void like();

private:
    QString evaluate(const QString &expression);
    TestEnv *m_env = nullptr;
    sqlite3 *m_db = nullptr;
};

void TestJetFunctions::init()
{
    m_env = new TestEnv;
    QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
    registerJetFunctions(m_db);
}

void TestJetFunctions::cleanup()
{
    sqlite3_close(m_db);
    m_db = nullptr;
    delete m_env;
    m_env = nullptr;
}

// "SELECT expression" as text: 'text', a number as SQLite writes it, Null,
// or "error: " and the message.
QString TestJetFunctions::evaluate(const QString &expression)
{
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = ("SELECT " + expression).toUtf8();
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return "prepare: " + QString::fromUtf8(sqlite3_errmsg(m_db));
    QString result;
    if (sqlite3_step(stmt) != SQLITE_ROW) {
        result = "error: " + QString::fromUtf8(sqlite3_errmsg(m_db));
    } else {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_NULL:
            result = QStringLiteral("Null");
            break;
        case SQLITE_TEXT:
            result = "'" + QString::fromUtf8(text) + "'";
            break;
        default:
            result = QString::fromUtf8(text);
        }
    }
    sqlite3_finalize(stmt);
    return result;
}

void TestJetFunctions::operators_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("result");
    const QString mismatch = "error: Data type mismatch in criteria expression.";
    auto row = [](const char *name, const char *expression, const QString &result) {
        QTest::newRow(name) << QString::fromUtf8(expression) << result;
    };
    row("date plus a week across the year end", "jet_add('2026-12-28', 7)", "'2027-01-04'");
    row("number plus date", "jet_add(1, '2028-02-28')", "'2028-02-29'");
    row("29 February plus a year of days", "jet_add('2024-02-29', 365)", "'2025-02-28'");
    row("half a day gives a time", "jet_add('2026-01-05', 0.5)", "'2026-01-05 12:00:00'");
    row("a time running into midnight drops it", "jet_add('2026-01-05 18:00:00', 0.25)",
        "'2026-01-06'");
    row("date minus a month of days", "jet_sub('2026-03-01', 30)", "'2026-01-30'");
    row("date minus date in days", "jet_sub('2027-01-04', '2026-12-28')", "7");
    row("date minus date with a time", "jet_sub('2026-01-02 12:00:00', '2026-01-01')", "1.5");
    row("numeric text plus date", "jet_add('2', '2026-01-01')", "'2026-01-03'");
    row("Jet's negative serial holds its time away from zero",
        "jet_add('1899-12-29 06:00:00', 2)", "'1899-12-30 18:00:00'");
    row("past year 9999", "jet_add('9999-12-31', 1)", "error: Overflow");
    row("before year 100", "jet_sub('0100-01-01', 1)", "error: Overflow");
    row("text plus text concatenates", "jet_add('Ann', ' (old)')", "'Ann (old)'");
    row("numeric texts concatenate too", "jet_add('1', '2')", "'12'");
    row("numeric text plus number adds", "jet_add(' 12', 1)", "13");
    row("text plus number", "jet_add('Ann', 1)", mismatch);
    row("text minus text", "jet_sub('b', 'a')", mismatch);
    row("Null plus", "jet_add(NULL, 1)", "Null");
    row("integers beyond 64 bits", "jet_add(9223372036854775807, 1)", "9.22337203685478e+18");
    row("times", "jet_mul(2.5, 4)", "10");
    row("date times uses its serial", "jet_mul('1900-01-01', 2)", "4");
    row("divide", "jet_div(7, 2)", "3.5");
    row("divide by zero", "jet_div(1, 0)", "error: Division by zero");
    row("integer division rounds halves to even", "jet_idiv(2.5, 1)", "2");
    row("integer division truncates", "jet_idiv(-7, 2)", "-3");
    row("integer division by a rounded zero", "jet_idiv(5, 0.4)", "error: Division by zero");
    row("integer division beyond a Long", "jet_idiv(3000000000, 1)", "error: Overflow");
    row("Mod rounds first", "jet_mod(19, 6.7)", "5");
    row("Mod keeps the dividend's sign", "jet_mod(-7, 3)", "-1");
    row("power", "jet_pow(2, 10)", "1024");
    row("root of a negative", "jet_pow(-8, 1.0/3)", "error: Invalid procedure call or argument");
    row("negate", "jet_neg('5')", "-5");
    row("negate Null", "jet_neg(NULL)", "Null");
    row("& renders a date US style", "jet_cat('Due ', '2027-01-04')", "'Due 1/4/2027'");
    row("& renders a time", "jet_cat('2027-01-04 13:05:09', '')", "'1/4/2027 1:05:09 PM'");
    row("& renders a bare time", "jet_cat('1899-12-30 00:30:00', '')", "'12:30:00 AM'");
    row("& renders day zero", "jet_cat('1899-12-30', '')", "'12:00:00 AM'");
    row("& renders numbers plainly", "jet_cat(jet_cat(2.50, '|'), 1e20)", "'2.5|1E+20'");
    row("& renders small numbers", "jet_cat(0.00001, '')", "'1E-05'");
    row("& renders yes/no as numbers", "jet_cat(-1, 0)", "'-10'");
    row("& with one Null", "jet_cat(NULL, 'x')", "'x'");
    row("& with two Nulls", "jet_cat(NULL, NULL)", "Null");
    row("a year-50 text is no date", "jet_add('0050-01-01', 'x')", "'0050-01-01x'");
}

void TestJetFunctions::operators()
{
    QFETCH(QString, expression);
    QFETCH(QString, result);
    QCOMPARE(evaluate(expression), result);
}

void TestJetFunctions::like_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern"); // as the translator emits it
    QTest::addColumn<QString>("result");
    QTest::newRow("class") << "Bob" << "[abc]%" << "1";
    QTest::newRow("class misses") << "Dan" << "[abc]%" << "0";
    QTest::newRow("range, other case") << "carl" << "[A-C]%" << "1";
    QTest::newRow("negated range") << "Dan" << "[!a-c]%" << "1";
    QTest::newRow("negated range misses") << "Bob" << "[!a-c]%" << "0";
    QTest::newRow("hyphen first is literal") << "-x" << "[-a]x" << "1";
    QTest::newRow("escaped bracket is literal") << "a[b" << "%\\[%" << "1";
    QTest::newRow("star in a class") << "a*b" << "%[*]%" << "1";
    QTest::newRow("digit") << "Room 12" << "Room ##" << "1";
    QTest::newRow("digit misses a letter") << "Room 1a" << "Room ##" << "0";
    QTest::newRow("escaped hash is literal") << "#1" << "\\##" << "1";
    QTest::newRow("empty class takes nothing") << "ab" << "a[]b" << "1";
    QTest::newRow("unicode class, folded") << "Ärger" << "[ä-ö]%" << "1";
    QTest::newRow("backtracking over a class") << "xxab" << "%[a]b" << "1";
    QTest::newRow("no closing bracket") << "a" << "[a" << "error: Invalid pattern string.";
    QTest::newRow("malformed after a miss") << "b" << "a[a" << "error: Invalid pattern string.";
    QTest::newRow("range running down") << "a" << "[z-a]" << "error: Invalid pattern string.";
}

void TestJetFunctions::like()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, result);
    QCOMPARE(evaluate("'" + text + "' LIKE '" + pattern + "' ESCAPE '\\'"), result);
}

QTEST_APPLESS_MAIN(TestJetFunctions)
#include "tst_jetfunctions.moc"
