// SPDX-License-Identifier: GPL-3.0-or-later
// almarik-list's rules without the process: its command line by getopt's
// rules, the text a terminal is given (control characters, widths, the
// one-off mark), when it is coloured, and the notification's body.

#include "listing/ListFormat.h"
#include "listing/ListOptions.h"
#include "listing/TerminalText.h"
#include "support/TestEnv.h"

#include <QTest>

class TestListFormat : public QObject
{
    Q_OBJECT
private slots:
    void options_data();
    void options();
    void text_data();
    void text();
    void colour();
};

namespace {

MonthRow row(int days, const QString &description, const QString &icon = QString(),
             bool once = false, std::optional<int> years = std::nullopt)
{
    MonthRow r;
    r.days = days;
    r.date = QDate(2026, 12, 5);
    r.description = description;
    r.icon = icon;
    r.hasIcon = !icon.isEmpty();
    r.showOnce = once;
    r.hasYears = years.has_value();
    r.years = years.value_or(0);
    return r;
}

} // namespace

void TestListFormat::options_data()
{
    // The error is getopt_long's own text (glibc), "" for arguments taken;
    // format is what --format became.
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("format");
    const auto add = [](const char *name, const char *arguments, const char *error,
                        ListFormat format = ListFormat::Text) {
        QTest::newRow(name) << QString(arguments) << QString(error) << int(format);
    };
    add("short options: the first is wrong", "-xh", "invalid option -- 'x'");
    add("an abbreviation", "--form tsv", "", ListFormat::Tsv);
    add("an abbreviation with =", "--fo=json", "", ListFormat::Json);
    add("ambiguous", "--dat x",
        "option '--dat' is ambiguous; possibilities: '--database' '--date'");
    add("ambiguous with a value", "--da=3",
        "option '--da=3' is ambiguous; possibilities: '--database' '--days' '--date'");
    add("a flag given a value, abbreviated", "--he=1", "option '--help' doesn't allow an argument");
    add("a value missing, abbreviated", "--form", "option '--format' requires an argument");
    add("unknown, with a value", "--colour=x", "unrecognized option '--colour=x'");
    add("-- ends the options", "-- --help", "extra operand '--help'");
    add("- is an operand", "-", "extra operand '-'");
    add("options are read before operands", "x --bogus", "unrecognized option '--bogus'");
    add("--help acts at once", "x --help --bogus", "");
    add("the first wrong option", "--days 0 --bogus", "invalid number of days '0' (1 to 366)");
    add("days 367", "--days=367", "invalid number of days '367' (1 to 366)");
    add("29 February of a common year", "--date 2027-02-29",
        "invalid date '2027-02-29' (YYYY-MM-DD)");
}

void TestListFormat::options()
{
    QFETCH(QString, arguments);
    QFETCH(QString, error);
    const ParsedListOptions parsed = parseListArguments(arguments.split(QLatin1Char(' ')));
    QCOMPARE(parsed.error, error.isEmpty() ? QString() : QStringLiteral("almarik-list: ") + error);
    QTEST(int(parsed.options.format), "format");
}

void TestListFormat::text_data()
{
    // form: "text" for a terminal, "notification" for the body of one,
    // "markup" for one on a server that reads markup.
    QTest::addColumn<std::vector<MonthRow>>("rows");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("text");
    QTest::newRow("escape sequences and line breaks shown, not sent")
        << std::vector<MonthRow>{row(0, "a\x1b]0;owned\x07\x1b[31mb\r\nc\td\x7f", "x")} << "text"
        << QStringLiteral("05-12-2026     0  a\u241b]0;owned\u2407\u241b[31mb\u240d\u240ac\u2409d"
                          "\u2421  x\n");
    QTest::newRow("C1 controls and a bidirectional override as codes")
        << std::vector<MonthRow>{row(1, "\u009b31m \u202eevil")} << "text"
        << "05-12-2026     1  <U+009B>31m <U+202E>evil\n";
    // 日本 takes four cells, "é" as e + combining accent one: the types line up.
    QTest::newRow("columns by display width")
        << std::vector<MonthRow>{row(1, "日本", "holiday"), row(2, "Rene\u0301e", "birthday"),
                                 row(3, "Jo", "race")}
        << "text"
        << QStringLiteral("05-12-2026     1  日本   holiday\n"
                          "05-12-2026     2  Rene\u0301e  birthday\n"
                          "05-12-2026     3  Jo     race\n");
    QTest::newRow("one-off events marked")
        << std::vector<MonthRow>{row(0, "Ida", "reminder", true, 0),
                                 row(12, "Jo", QString(), false, 3)}
        << "text"
        << QStringLiteral("05-12-2026  Today!!    0  once  Ida  reminder\n"
                          "05-12-2026  3 Years   12        Jo\n");
    std::vector<MonthRow> many;
    QStringList first;
    for (int i = 1; i <= 41; ++i) {
        many.push_back(row(i == 41 ? 1 : 0, QStringLiteral("E%1").arg(i)));
        if (i <= 8)
            first << QStringLiteral("Today: E%1").arg(i);
    }
    many.push_back(row(2, "later"));
    QTest::newRow("notification of 41 events: eight and the count of the rest")
        << many << "notification" << (first.join('\n') + "\nand 33 more");
    const std::vector<MonthRow> marked{row(0, "Tom & Jerry <b>", QString(), false, 5),
                                       row(1, "a\nb")};
    QTest::newRow("notification markup escaped where the server reads it")
        << marked << "markup"
        << "Today: Tom &amp; Jerry &lt;b&gt; (5 Years)\nTomorrow: a\u240ab";
    QTest::newRow("notification plain where it does not")
        << marked << "notification"
        << "Today: Tom & Jerry <b> (5 Years)\nTomorrow: a\u240ab";
}

void TestListFormat::text()
{
    QFETCH(std::vector<MonthRow>, rows);
    QFETCH(QString, form);
    QTEST(form == "text" ? QString::fromUtf8(formatListedRows(rows, ListFormat::Text))
                         : notificationBody(rows, form == "markup"),
          "text");
}

// Colour needs a terminal, a TERM other than dumb, and no NO_COLOR.
void TestListFormat::colour()
{
    QVERIFY(wantsColour(true, "xterm-256color", ""));
    QVERIFY(!wantsColour(true, "dumb", ""));
    QVERIFY(!wantsColour(true, "", ""));
    QVERIFY(!wantsColour(true, "xterm", "1"));
    QVERIFY(!wantsColour(false, "xterm", ""));
}

QTEST_APPLESS_MAIN(TestListFormat)
#include "tst_listformat.moc"
