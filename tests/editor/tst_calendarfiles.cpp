// SPDX-License-Identifier: GPL-3.0-or-later
// iCalendar and vCard files without windows: the exported text and its
// yearly rules, a round trip into an empty table, how each kind of VEVENT
// becomes a candidate; the date forms address books write, the vCard
// reader's unfolding, quoted-printable, character sets and escapes, the
// birthday and anniversary candidates; every kind of bad file refused; and
// a long file read in parts, its progress told and stopped.

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
    void read_data();
    void read();
    void readProgress_data();
    void readProgress();

private:
    TestEnv m_env;
};

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
    newDatabase(m_env.path("from.mdb"), from, values);
    rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), from);
    const QString file = m_env.path("round.ics");
    QCOMPARE(ExportICalendarFile(rs, file, kStamp), 8);
    const QByteArray text = fileBytes(file);
    for (const char *line :
         {"\r\nBEGIN:VEVENT\r\nUID:d58c8cbe7dbdac2f52f1cfc3e18d2382f2a97bda@almarik\r\n"
          "DTSTAMP:20261206T120000Z\r\nDTSTART;VALUE=DATE:20000229\r\n"
          "SUMMARY:Leap\\, day\\; Ann\r\nDESCRIPTION:two\\nlines\r\nCATEGORIES:birthday\r\n"
          "TRANSP:TRANSPARENT\r\nRRULE:FREQ=YEARLY;BYMONTHDAY=-1;BYMONTH=2\r\nEND:VEVENT\r\n",
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
    newDatabase(m_env.path("to.mdb"), to);
    QCOMPARE(importCandidates(to, read.candidates, std::vector<bool>(8, true), false), 8);
    QStringList got = calendarRows(to), expected = calendarRows(from);
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
}

void TestCalendarFiles::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("vcard");
    // The candidates (an event's whole, a contact's "dd/mm/yyyy|type|
    // description"), then the skipped texts; or why the file was refused.
    QTest::addColumn<QStringList>("read");
    const auto add = [](const char *name, const QByteArray &lines, const char *candidate) {
        QTest::newRow(name) << calendar(vevent(lines)) << false
                            << QStringList{QString::fromUtf8(candidate)};
    };
    const auto bad = [](const char *name, const QByteArray &bytes, const char *message) {
        QTest::newRow(name) << bytes << false
                            << QStringList{"This is not a readable iCalendar file: " +
                                           QString(message)};
    };
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
    // The first yearly rule is the one taken, however it is written.
    const QByteArray annual = "DTSTART;VALUE=DATE:20270101\r\nSUMMARY:Ann\r\n";
    add("a plain yearly rule before a counted one",
        annual + "RRULE:FREQ=YEARLY\r\nRRULE:FREQ=YEARLY;COUNT=3\r\n",
        "01/01/2027|-|Ann|False|-|ticked|");
    add("a counted yearly rule before a plain one",
        annual + "RRULE:FREQ=YEARLY;COUNT=3\r\nRRULE:FREQ=YEARLY\r\n",
        "01/01/2027|-|Ann|False|-|unticked|ends 2029: taken as 1 January yearly");
    add("a weekly rule before a plain yearly one",
        annual + "RRULE:FREQ=WEEKLY\r\nRRULE:FREQ=YEARLY\r\n", "01/01/2027|-|Ann|False|-|ticked|");
    add("a counted yearly rule folded after its FREQ",
        annual + "RRULE:FREQ=YEARLY\r\n ;COUNT=3\r\n",
        "01/01/2027|-|Ann|False|-|unticked|ends 2029: taken as 1 January yearly");
    add("a plain yearly rule with a blank after it", annual + "RRULE:FREQ=YEARLY \r\n",
        "01/01/2027|-|Ann|False|-|ticked|");
    add("a plain yearly rule in small letters, then a counted one",
        annual + "rrule:freq=yearly\r\nRRULE:FREQ=YEARLY;COUNT=3\r\n",
        "01/01/2027|-|Ann|False|-|ticked|");
    add("a summary of a byte-order mark alone is a text",
        "DTSTART;VALUE=DATE:20270101\r\nSUMMARY:\xEF\xBB\xBF\r\n",
        "01/01/2027|-|\uFEFF|True|-|ticked|");
    add("blanks and tabs at both ends kept, escapes as libical reads them",
        "DTSTART;VALUE=DATE:20270101\r\nSUMMARY: \\, a \r\nDESCRIPTION:\t\\tb\\n \r\n",
        "01/01/2027|-| , a |True|\t\tb\\n |ticked|");
    const QByteArray good = vevent("DTSTART;VALUE=DATE:20270101\r\nSUMMARY:Ann\r\n");
    bad("a share file", "[Almarik Export File]\r\n 0\r\n",
        "it does not begin with BEGIN:VCALENDAR.");
    bad("not UTF-8 on line 6", calendar(vevent("SUMMARY:Caf\xE9\r\n")),
        "line 6 is not UTF-8 text.");
    bad("a NUL byte", calendar(QByteArray("X-A:\0\r\n", 7) + good), "line 4 holds a NUL byte.");
    bad("DTSTART not a date", calendar(good + vevent("DTSTART:someday\r\nSUMMARY:Bob\r\n")),
        "its event 2 (\"Bob\") could not be read: Can't parse as DATE-TIME value in DTSTART "
        "property. Removing entire property: someday");
    bad("a rule libical cannot read after a plain yearly one",
        calendar(vevent(annual + "RRULE:FREQ=YEARLY\r\nRRULE:FREQ=SOMETIMES\r\n")),
        "its event 1 (\"Ann\") could not be read: Can't parse as RECUR value in RRULE property. "
        "Removing entire property: FREQ=SOMETIMES");
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

    const auto row = [](const char *name, const QByteArray &lines, const QStringList &read) {
        QTest::newRow(name) << "BEGIN:VCARD\r\n" + lines + "END:VCARD\r\n" << true << read;
    };
    const auto badCard = [](const char *name, const QByteArray &bytes, const char *message) {
        QTest::newRow(name) << bytes << true
                            << QStringList{"This is not a readable vCard file: " +
                                           QString(message)};
    };
    row("4.0: year-less BDAY and ANNIVERSARY",
        "VERSION:4.0\r\nFN:Bo\r\nBDAY:--0229\r\nANNIVERSARY:20100612\r\n",
        {"29/02/1604|birthday|Bo's birthday", "12/06/2010|anniversary|Bo's anniversary"});
    row("3.0: grouped X-ANNIVERSARY, name from N",
        "VERSION:3.0\r\nN:Smith;Jo;Q;Dr.;Jr.\r\nitem1.X-ANNIVERSARY:1980-01-31\r\n",
        {"31/01/1980|anniversary|Dr. Jo Q Smith Jr.'s anniversary"});
    row("2.1: quoted-printable Latin-1 name over a soft break",
        "VERSION:2.1\r\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCl=\r\nler;J=\r\n"
        "=F6rg\r\nBDAY:19700101\r\n",
        {"01/01/1970|birthday|J\u00f6rg M\u00fcller's birthday"});
    row("folded, escaped and quoted parameter",
        "VERSION:4.0\r\nFN;X-NOTE=\"a:b;c\":Lee\\, Ann\r\n  (work)\r\nBDAY;VALUE=date:--12-31\r\n",
        {"31/12/1604|birthday|Lee, Ann (work)'s birthday"});
    row("long name cut, with a note",
        "VERSION:3.0\r\nFN:" + QByteArray(45, 'n') + "\r\nBDAY:1990-05-17\r\n",
        {"17/05/1990|birthday|" + QString(45, 'n') + "'s bi (description cut to 50 characters)"});
    // Several cards in one file.
    row("contacts without a date or a name are counted",
        "VERSION:3.0\r\nFN:Al\r\nBDAY:1990-05-17\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nobody\r\nTEL:1\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Text\r\nBDAY;VALUE=text:circa 1800\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\r\nBDAY:1990-05-17\r\n",
        {"17/05/1990|birthday|Al's birthday", "2 contacts had no date", "1 contacts had no name"});
    const QByteArray ann = "VERSION:3.0\r\nFN:Ann\r\nBDAY:1990-05-17\r\n";
    const QStringList annRead = {"17/05/1990|birthday|Ann's birthday"};
    row("undeclared 8-bit text that is no UTF-8 is Windows-1252",
        "VERSION:2.1\r\nFN:Ren\xE9 \x80\r\nBDAY:1990-05-17\r\n",
        {"17/05/1990|birthday|Ren\u00e9 \u20ac's birthday"});
    row("a character set the system knows",
        "VERSION:2.1\r\nFN;CHARSET=KOI8-R:\xE9\xD7\xC1\xCE\r\nBDAY:1990-05-17\r\n",
        {"17/05/1990|birthday|\u0418\u0432\u0430\u043d's birthday"});
    row("an X-ABDATE of another label, another group's label",
        ann + "item1.X-ABDATE:2001-01-01\r\nitem1.X-ABLabel:_$!<Other>!$_\r\n"
              "item2.X-ABDATE:2002-02-02\r\nitem3.X-ABLabel:_$!<Anniversary>!$_\r\n",
        annRead);
    row("the standard's anniversary before the others, a text one passed over",
        ann + "X-MS-ANNIVERSARY:20030303\r\nANNIVERSARY;VALUE=text:long ago\r\n"
              "X-ANNIVERSARY:2004-04-04\r\n",
        annRead + QStringList{"04/04/2004|anniversary|Ann's anniversary"});
    const QByteArray card = "BEGIN:VCARD\r\n" + ann;
    const auto changed = [&](const char *from, const char *to) -> QByteArray {
        return QByteArray(card).replace(from, to) + "END:VCARD\r\n";
    };
    badCard("cut short", card + "END:VCARD\r\n" + card,
            "it ends inside the card that begins at line 6; the file is incomplete.");
    badCard("a line outside a card", card + "END:VCARD\r\nFN:Stray\r\n",
            "line 6 lies outside any card.");
    badCard("a line without a colon", changed("BDAY", "NOTE\r\nBDAY"),
            "line 4 is no vCard property (it has no colon).");
    badCard("a year before 100", changed("1990", "0099"),
            "line 4 gives the BDAY \"0099-05-17\" of \"Ann\", which is not a real date.");
    badCard("a BDAY on 29 February of a common year", changed("1990-05-17", "2023-02-29"),
            "line 4 gives the BDAY \"2023-02-29\" of \"Ann\", which is not a real date.");
    badCard("not UTF-8 where it says so", changed("FN:Ann", "FN;CHARSET=UTF-8:Ren\xE9"),
            "line 3 is not UTF-8 text.");
    badCard("an unknown CHARSET on the name", changed("FN:", "FN;CHARSET=X-KLINGON:"),
            "line 3 names the character set \"X-KLINGON\", which cannot be read.");
    badCard("broken quoted-printable", changed("FN:Ann", "FN;ENCODING=QUOTED-PRINTABLE:A=4"),
            "line 3 holds broken quoted-printable text.");
}

void TestCalendarFiles::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, vcard);
    QStringList got;
    try {
        const ImportRead read =
            vcard ? parseVCardFile(bytes) : parseICalendar(bytes, kToday, QTimeZone("Asia/Tokyo"));
        for (const ImportCandidate &c : read.candidates) {
            // A contact's date is a yearly event of plain texts, ticked.
            QVERIFY(!vcard || (c.plainTexts && c.suggested && c.details.isNull() &&
                               c.showOnceText == "False"));
            got << (vcard ? c.dateText + '|' + c.iconText + '|' + importListText(c).mid(11)
                          : candidateText(c));
        }
        got += read.skipped;
    } catch (const AppError &e) {
        got << e.description();
    }
    QTEST(got, "read");
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
    // 250 entries, read in parts of 100: told more than once, on and on, and
    // stopped with nothing offered. Read whole, every event keeps its number
    // (its blanks) and finds the time zone defined after all of them.
    QFETCH(bool, vcard);
    QFETCH(int, stopAt);
    QByteArray file;
    for (int i = 0; i < 250; ++i) {
        const QByteArray n = QByteArray::number(i);
        file += vcard ? QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:P" + n +
                                   "\r\nBDAY:1990-01-02\r\nEND:VCARD\r\n")
                      : "BEGIN:VEVENT\r\nUID:" + n +
                            "\r\nDTSTART;TZID=Far east:20270101T110000\r\nSUMMARY: e" + n +
                            " \r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nEND:VALARM\r\nEND:VEVENT\r\n";
    }
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
        vcard ? parseVCardFile(file, told)
              : parseICalendar(calendar(file +
                                        "BEGIN:VTIMEZONE\r\nTZID:Far east\r\nBEGIN:STANDARD\r\n"
                                        "DTSTART:19700101T000000\r\nTZOFFSETFROM:+1400\r\n"
                                        "TZOFFSETTO:+1400\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"),
                               kToday, QTimeZone::utc(), told);
    QVERIFY(!wholeChanged);
    QCOMPARE(read.stopped, stopAt > 0);
    QCOMPARE(read.candidates.size(), stopAt > 0 ? 0 : 250);
    if (stopAt > 0) {
        QCOMPARE(done.size(), stopAt);
    } else {
        QCOMPARE_GE(done.size(), 3);
        QCOMPARE(candidateText(read.candidates[249]),
                 vcard ? "02/01/1990|birthday|P249's birthday|False|-|ticked|"
                       : "31/12/2026|-| e249 |True|-|ticked|");
    }
    QVERIFY(std::is_sorted(done.cbegin(), done.cend()));
    QCOMPARE_LE(done.last(), whole);
    QCOMPARE_LT(done.first(), whole);
}

QTEST_APPLESS_MAIN(TestCalendarFiles)
#include "tst_calendarfiles.moc"
