// SPDX-License-Identifier: GPL-3.0-or-later
// iCalendar files without windows: the exported text and its yearly rules, a
// round trip into an empty table, how each kind of VEVENT becomes a
// candidate, and every kind of bad file refused.

#include "CandidateText.h"
#include "FileBytes.h"
#include "editor/ICalendarFile.h"
#include "editor/VCardFile.h"
#include "platform/AppError.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"
#include "support/TestEnv.h"

#include <QStringEncoder>
#include <QTest>

namespace {

const QDateTime kStamp(QDate(2026, 12, 6), QTime(12, 0), QTimeZone::utc());
const QDate kToday(2026, 12, 6);

QByteArray calendar(const QByteArray &events)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + events +
           "END:VCALENDAR\r\n";
}

QByteArray vevent(const QByteArray &lines)
{
    return "BEGIN:VEVENT\r\nUID:1@test\r\n" + lines + "END:VEVENT\r\n";
}

} // namespace

class TestCalendarFiles : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip();
    void readEvent_data();
    void readEvent();
    void manyEvents();
    void readProgress_data();
    void readProgress();

private:
    TestEnv m_env;
    int m_files = 0;
    void openTable(Connection &db, RecordSet &rs, const QStringList &values);
};

void TestCalendarFiles::openTable(Connection &db, RecordSet &rs, const QStringList &values)
{
    const QString path = m_env.path(QStringLiteral("db%1.mdb").arg(++m_files));
    newDatabase(path, db, values);
    rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), db);
}

void TestCalendarFiles::roundTrip()
{
    // Exported, then read and imported into an empty table: the same events.
    const QStringList values = {
        "(#02/29/2000#, 'birthday', 'Leap, day; Ann', 'two\r\nlines', False)",
        "(#12/31/1999#, 'holiday', 'Year''s end', Null, False)",
        "(#12/24/2026#, Null, 'Once', '', True)",
        "(#12/24/2026#, Null, 'Once', '', True)",
        "(#01/01/2027#, 'doctor', 'Null', 'Null', True)",
        "(#06/17/1604#, 'anniversary', 'No year', Null, False)",
        "(#03/10/3001#, Null, '  padded  ', ' both ends ', False)",
        "(#12/31/9999#, Null, 'Last day', Null, True)"};
    Connection from;
    RecordSet rs;
    openTable(from, rs, values);
    const QString file = m_env.path("round.ics");
    QCOMPARE(ExportICalendarFile(rs, file, kStamp), 8);
    const QByteArray text = fileBytes(file);
    for (const char *line :
         {"\r\nDTSTART;VALUE=DATE:20000229\r\n",
          "\r\nRRULE:FREQ=YEARLY;BYMONTHDAY=-1;BYMONTH=2\r\n", "\r\nSUMMARY:Leap\\, day\\; Ann\r\n",
          "\r\nDESCRIPTION:two\\nlines\r\n", "\r\nCATEGORIES:birthday\r\n",
          "\r\nTRANSP:TRANSPARENT\r\n", "\r\nDTSTAMP:20261206T120000Z\r\n",
          "\r\nDTSTART;VALUE=DATE:30010310\r\n", "\r\nDTSTART;VALUE=DATE:99991231\r\n"})
        QVERIFY2(text.contains(line), line);
    QCOMPARE(text.count("RRULE:"), 4); // the one-off events repeat not
    QCOMPARE(yearlyRuleText(QDate(2000, 2, 28)), QStringLiteral("FREQ=YEARLY"));
    // UIDs are stable, even at another time; the same event twice still
    // gets a UID each.
    // (SHA-1 of "2026-12-24", a line feed and "Once".)
    const QByteArray once = "20e5d7597b9c1ec0c115e9e4a68be8cea549ae65@almarik";
    QVERIFY(text.contains(QByteArray("UID:" + once + "\r\n")) &&
            text.contains(QByteArray("UID:" + once.chopped(8) + "@almarik-2\r\n")));
    QCOMPARE(icalendarText(rs, kStamp.addDays(400)).count(once), 2);

    ImportRead read = readICalendarFile(file, kToday);
    QCOMPARE(read.skipped, QStringList());
    for (const ImportCandidate &c : read.candidates)
        QVERIFY2(c.suggested && c.note.isEmpty(), qPrintable(c.description));
    Connection to;
    RecordSet empty;
    openTable(to, empty, {});
    QCOMPARE(importCandidates(to, read.candidates, std::vector<bool>(8, true), false), 8);
    QStringList got = calendarRows(to), expected = calendarRows(from);
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
}

void TestCalendarFiles::readEvent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("read"); // the candidate, or why the file was refused
    const auto add = [](const char *name, const QByteArray &lines, const char *candidate) {
        QTest::newRow(name) << calendar(vevent(lines)) << QString::fromUtf8(candidate);
    };
    const auto bad = [](const char *name, const QByteArray &bytes, const char *message) {
        QTest::newRow(name) << bytes
                            << "This is not a readable iCalendar file: " + QString(message);
    };
    add("a date, yearly",
        "DTSTART;VALUE=DATE:19900310\r\nSUMMARY:Ann\r\nRRULE:FREQ=YEARLY\r\n"
        "CATEGORIES:Birthday\r\n",
        "10/03/1990|birthday|Ann|False|-|ticked|");
    add("weekly: unticked, with a note",
        "DTSTART;VALUE=DATE:20270105\r\nSUMMARY:Gym\r\nRRULE:FREQ=WEEKLY;BYDAY=TU\r\n",
        "05/01/2027|-|Gym|False|-|unticked|repeats weekly, taken as yearly");
    add("once, two days back: still ticked", "DTSTART;VALUE=DATE:20261204\r\nSUMMARY:Fair\r\n",
        "04/12/2026|-|Fair|True|-|ticked|");
    add("once, three days back: unticked", "DTSTART;VALUE=DATE:20261203\r\nSUMMARY:Fair\r\n",
        "03/12/2026|-|Fair|True|-|unticked|past, once: removed at the next start");
    add("UTC late on 31 December is 1 January in Tokyo",
        "DTSTART:20261231T200000Z\r\nSUMMARY:New year\r\n", "01/01/2027|-|New year|True|-|ticked|");
    add("folded lines, escapes, details made CR LF",
        "DTSTART;VALUE=DATE:20270101\r\nSUMMARY:Tea\\, cake\\; an\r\n d more\r\n"
        "DESCRIPTION:first\\nsecond\r\nCATEGORIES:Work,HOLIDAY\r\n",
        "01/01/2027|holiday|Tea, cake; and more|True|first\\nsecond|ticked|");
    add("yearly, a weekday three times",
        "DTSTART;VALUE=DATE:20270913\r\nSUMMARY:Fair\r\nRRULE:FREQ=YEARLY;BYDAY=2MO;BYMONTH=9;"
        "COUNT=3\r\n",
        "13/09/2027|-|Fair|False|-|unticked|second Monday of September, 3 times: taken as 13 "
        "September yearly");
    add("yearly on another calendar",
        "DTSTART;VALUE=DATE:20270206\r\nSUMMARY:New year\r\nRRULE:RSCALE=CHINESE;FREQ=YEARLY\r\n",
        "06/02/2027|-|New year|False|-|unticked|by the rule RSCALE=CHINESE: taken as 6 February "
        "yearly");
    add("a summary of a byte-order mark alone is a text",
        "DTSTART;VALUE=DATE:20270101\r\nSUMMARY:\xEF\xBB\xBF\r\n",
        "01/01/2027|-|\uFEFF|True|-|ticked|");
    add("blanks and tabs at both ends kept, escapes as libical reads them",
        "DTSTART;VALUE=DATE:20270101\r\nSUMMARY: \\, a \r\nDESCRIPTION:\t\\tb\\n \r\n",
        "01/01/2027|-| , a |True|\t\tb\\n |ticked|");
    const QByteArray good = vevent("DTSTART;VALUE=DATE:20270101\r\nSUMMARY:Ann\r\n");
    bad("a share file", "[Almarik Export File]\r\n 0\r\n",
        "it does not begin with BEGIN:VCALENDAR.");
    bad("cut short", calendar(good).chopped(8),
        "it ends before its END:VCALENDAR line; the file is incomplete.");
    bad("not UTF-8 on line 6", calendar(vevent("SUMMARY:Caf\xE9\r\n")),
        "line 6 is not UTF-8 text.");
    bad("a NUL byte", calendar(QByteArray("X-A:\0\r\n", 7) + good), "line 4 holds a NUL byte.");
    bad("DTSTART not a date", calendar(good + vevent("DTSTART:someday\r\nSUMMARY:Bob\r\n")),
        "its event 2 (\"Bob\") could not be read: Can't parse as DATE-TIME value in DTSTART "
        "property. Removing entire property: someday");
    bad("29 February of a common year",
        calendar(vevent("DTSTART;VALUE=DATE:20230229\r\nSUMMARY:Leap\r\n")),
        "the DTSTART \"20230229\" of its event 1 (\"Leap\") is not a real date.");
    bad("no DTSTART", calendar(vevent("SUMMARY:Bob\r\n")), "its event 1 (\"Bob\") has no DTSTART.");
    bad("a line after the end that begins a calendar", calendar(good) + "BEGIN:VCALENDAR\r\n",
        "it ends before its END:VCALENDAR line; the file is incomplete.");
    bad("an unfolded line over the bound",
        calendar(vevent("DESCRIPTION:" + QByteArray(kMaxICalendarLineBytes, 'x') + "\r\n")),
        "line 6 is longer than 1,000,000 bytes; calendar programs fold their lines.");
    bad("UTF-16 with an odd byte at its end",
        QByteArray("\xFF\xFE") +
            QByteArray(
                QStringEncoder(QStringEncoder::Utf16LE)(QString::fromLatin1(calendar(good)))) +
            'x',
        "it is not UTF-16 text.");
}

void TestCalendarFiles::readEvent()
{
    QFETCH(QByteArray, bytes);
    try {
        const ImportRead read = parseICalendar(bytes, kToday, QTimeZone("Asia/Tokyo"));
        QCOMPARE(read.candidates.size(), 1);
        QTEST(candidateText(read.candidates[0]), "read");
    } catch (const AppError &e) {
        QTEST(e.description(), "read");
    }
}

void TestCalendarFiles::manyEvents()
{
    // Read in parts of 100 events: every event keeps its number (its
    // blanks) and finds the time zone defined after all of them.
    QByteArray events;
    for (int i = 0; i < 250; ++i)
        events += "BEGIN:VEVENT\r\nUID:" + QByteArray::number(i) +
                  "\r\nDTSTART;TZID=Far east:20270101T110000\r\nSUMMARY: e" +
                  QByteArray::number(i) +
                  " \r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                  "END:VALARM\r\nEND:VEVENT\r\n";
    const ImportRead read =
        parseICalendar(calendar(events + "BEGIN:VTIMEZONE\r\nTZID:Far east\r\nBEGIN:STANDARD\r\n"
                                         "DTSTART:19700101T000000\r\nTZOFFSETFROM:+1400\r\n"
                                         "TZOFFSETTO:+1400\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"),
                       kToday, QTimeZone::utc());
    QCOMPARE(read.candidates.size(), 250);
    QCOMPARE(candidateText(read.candidates[249]), "31/12/2026|-| e249 |True|-|ticked|");
}

void TestCalendarFiles::readProgress_data()
{
    QTest::addColumn<bool>("vcard");
    QTest::addColumn<int>("stopAt"); // the call answered false; 0 for none
    for (const bool vcard : {false, true}) {
        const char *kind = vcard ? "vCard" : "iCalendar";
        QTest::addRow("%s read whole", kind) << vcard << 0;
        QTest::addRow("%s stopped at once", kind) << vcard << 1;
        QTest::addRow("%s stopped later", kind) << vcard << 2;
    }
}

void TestCalendarFiles::readProgress()
{
    // 250 events: told more than once, on and on, and stopped with nothing
    // offered.
    QFETCH(bool, vcard);
    QFETCH(int, stopAt);
    QByteArray file;
    for (int i = 0; i < 250; ++i)
        file += vcard ? "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:P" + QByteArray::number(i) +
                            "\r\nBDAY:1990-01-02\r\nEND:VCARD\r\n"
                      : vevent("DTSTART;VALUE=DATE:20270102\r\nSUMMARY:e" + QByteArray::number(i) +
                               "\r\n");
    QList<qint64> done;
    qint64 whole = -1;
    bool wholeChanged = false;
    const ReadProgress told = [&](qint64 d, qint64 total) {
        wholeChanged |= whole >= 0 && total != whole;
        whole = total;
        done << d;
        return done.size() != stopAt;
    };
    const ImportRead read =
        vcard ? parseVCardFile(file, told) : parseICalendar(calendar(file), kToday, {}, told);
    QVERIFY(!wholeChanged);
    QCOMPARE(read.stopped, stopAt > 0);
    QCOMPARE(read.candidates.size(), stopAt > 0 ? 0 : 250);
    if (stopAt > 0)
        QCOMPARE(done.size(), stopAt);
    else
        QCOMPARE_GE(done.size(), 3);
    QVERIFY(std::is_sorted(done.cbegin(), done.cend()));
    QCOMPARE_LE(done.last(), whole);
    QCOMPARE_LT(done.first(), whole);
}

QTEST_APPLESS_MAIN(TestCalendarFiles)
#include "tst_calendarfiles.moc"
