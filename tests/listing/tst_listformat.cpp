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
    void colour_data();
    void colour();
    void notification_data();
    void notification();
};

namespace {

MonthRow row(int days, const QString &description, const QString &icon = QString(),
             bool once = false, const QString &years = QString())
{
    MonthRow r;
    r.days = days;
    r.dayText = (days >= 0 ? QStringLiteral(" ") : QString()) + QString::number(days);
    r.dateText = QStringLiteral("05-12-2026");
    r.description = description;
    r.icon = icon;
    r.hasIcon = !icon.isEmpty();
    r.showOnce = once;
    r.yearsText = years;
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
    const int text = int(ListFormat::Text);
    QTest::newRow("a short option") << "-h"
                                    << "invalid option -- 'h'" << text;
    QTest::newRow("short options together") << "-xh"
                                            << "invalid option -- 'x'" << text;
    QTest::newRow("an abbreviation") << "--form tsv"
                                     << "" << int(ListFormat::Tsv);
    QTest::newRow("an abbreviation with =") << "--fo=json"
                                            << "" << int(ListFormat::Json);
    QTest::newRow("ambiguous") << "--dat x"
                               << "option '--dat' is ambiguous; possibilities: '--database' "
                                  "'--date'"
                               << text;
    QTest::newRow("ambiguous with a value")
        << "--da=3"
        << "option '--da=3' is ambiguous; possibilities: '--database' '--days' '--date'" << text;
    QTest::newRow("a flag given a value, abbreviated")
        << "--he=1"
        << "option '--help' doesn't allow an argument" << text;
    QTest::newRow("a value missing, abbreviated")
        << "--form"
        << "option '--format' requires an argument" << text;
    QTest::newRow("unknown, with a value") << "--colour=x"
                                           << "unrecognized option '--colour=x'" << text;
    QTest::newRow("-- ends the options") << "-- --help"
                                         << "extra operand '--help'" << text;
    QTest::newRow("- is an operand") << "-"
                                     << "extra operand '-'" << text;
    QTest::newRow("options are read before operands") << "x --bogus"
                                                      << "unrecognized option '--bogus'" << text;
    QTest::newRow("--help acts at once") << "x --help --bogus"
                                         << "" << text;
    QTest::newRow("the first wrong option") << "--days 0 --bogus"
                                            << "invalid number of days '0' (1 to 366)" << text;
}

void TestListFormat::options()
{
    QFETCH(QString, arguments);
    QFETCH(QString, error);
    QFETCH(int, format);
    const ParsedListOptions parsed = parseListArguments(arguments.split(QLatin1Char(' ')));
    QCOMPARE(parsed.error, error.isEmpty() ? QString() : QStringLiteral("almarik-list: ") + error);
    QCOMPARE(int(parsed.options.format), format);
}

void TestListFormat::text_data()
{
    QTest::addColumn<std::vector<MonthRow>>("rows");
    QTest::addColumn<QString>("text");
    QTest::newRow("escape sequences and line breaks shown, not sent")
        << std::vector<MonthRow>{row(0, QStringLiteral("a\x1b]0;owned\x07\x1b[31mb\r\nc\td\x7f"),
                                     QStringLiteral("x"))}
        << QStringLiteral("05-12-2026     0  a\u241b]0;owned\u2407\u241b[31mb\u240d\u240ac\u2409d"
                          "\u2421  x\n");
    QTest::newRow("C1 controls and a bidirectional override as codes")
        << std::vector<MonthRow>{row(1, QStringLiteral("\u009b31m \u202eevil"))}
        << QStringLiteral("05-12-2026     1  <U+009B>31m <U+202E>evil\n");
    // 日本 takes four cells, "é" as e + combining accent one: the types line up.
    QTest::newRow("columns by display width")
        << std::vector<MonthRow>{row(1, QStringLiteral("日本"), QStringLiteral("holiday")),
                                 row(2, QStringLiteral("Rene\u0301e"), QStringLiteral("birthday")),
                                 row(3, QStringLiteral("Jo"), QStringLiteral("race"))}
        << QStringLiteral("05-12-2026     1  日本   holiday\n"
                          "05-12-2026     2  Rene\u0301e  birthday\n"
                          "05-12-2026     3  Jo     race\n");
    QTest::newRow("one-off events marked")
        << std::vector<MonthRow>{row(0, QStringLiteral("Ida"), QStringLiteral("reminder"), true,
                                     QStringLiteral("Today!!")),
                                 row(12, QStringLiteral("Jo"), QString(), false,
                                     QStringLiteral("3 Years"))}
        << QStringLiteral("05-12-2026  Today!!    0  once  Ida  reminder\n"
                          "05-12-2026  3 Years   12        Jo\n");
}

void TestListFormat::text()
{
    QFETCH(std::vector<MonthRow>, rows);
    QFETCH(QString, text);
    QCOMPARE(QString::fromUtf8(formatListedRows(rows, ListFormat::Text)), text);
}

void TestListFormat::colour_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QString>("term");
    QTest::addColumn<QString>("noColor");
    QTest::addColumn<bool>("wanted");
    QTest::newRow("a terminal") << true << "xterm-256color"
                                << "" << true;
    QTest::newRow("TERM=dumb") << true << "dumb"
                               << "" << false;
    QTest::newRow("no TERM") << true << ""
                             << "" << false;
    QTest::newRow("NO_COLOR") << true << "xterm"
                              << "1" << false;
    QTest::newRow("a pipe") << false << "xterm"
                            << "" << false;
}

void TestListFormat::colour()
{
    QFETCH(bool, terminal);
    QFETCH(QString, term);
    QFETCH(QString, noColor);
    QFETCH(bool, wanted);
    QCOMPARE(wantsColour(terminal, term, noColor), wanted);
}

void TestListFormat::notification_data()
{
    QTest::addColumn<std::vector<MonthRow>>("rows");
    QTest::addColumn<bool>("markup");
    QTest::addColumn<QString>("body");
    std::vector<MonthRow> many;
    QStringList first;
    for (int i = 1; i <= 41; ++i) {
        many.push_back(row(i == 41 ? 1 : 0, QStringLiteral("E%1").arg(i)));
        if (i <= 8)
            first << QStringLiteral("Today: E%1").arg(i);
    }
    many.push_back(row(2, QStringLiteral("later")));
    QTest::newRow("41 events: eight and the count of the rest")
        << many << false << (first.join('\n') + QStringLiteral("\nand 33 more"));
    const std::vector<MonthRow> marked{
        row(0, QStringLiteral("Tom & Jerry <b>"), QString(), false, QStringLiteral("5 Years")),
        row(1, QStringLiteral("a\nb"))};
    QTest::newRow("markup escaped where the server reads it")
        << marked << true
        << QStringLiteral("Today: Tom &amp; Jerry &lt;b&gt; (5 Years)\nTomorrow: a\u240ab");
    QTest::newRow("plain where it does not")
        << marked << false
        << QStringLiteral("Today: Tom & Jerry <b> (5 Years)\nTomorrow: a\u240ab");
}

void TestListFormat::notification()
{
    QFETCH(std::vector<MonthRow>, rows);
    QFETCH(bool, markup);
    QFETCH(QString, body);
    QCOMPARE(notificationBody(rows, markup), body);
}

QTEST_APPLESS_MAIN(TestListFormat)
#include "tst_listformat.moc"
