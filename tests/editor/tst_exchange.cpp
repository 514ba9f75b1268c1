// SPDX-License-Identifier: GPL-3.0-or-later
// Exchange files without windows: the share file's bytes and statements,
// the text forms read and written, every kind of bad file refused with the
// database untouched, the holiday file's lines and appending in the file's
// own form, and the key notation.

#include "FileBytes.h"
#include "editor/ExchangeText.h"
#include "editor/HolidayFile.h"
#include "editor/KeyNotation.h"
#include "editor/ShareFile.h"
#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QKeySequence>
#include <QStringEncoder>
#include <QTest>
#include <sqlite3.h>

const QByteArray kHead = "[Almarik Export File]\r\n";

// What step gave, or the description of the error it threw.
QString outcome(const std::function<QString()> &step)
{
    try {
        return step();
    } catch (const AppError &e) {
        return e.description();
    }
}

// A share file read: "read", "" when it is not a share file, or why it was refused.
QString shareFileRead(const QString &path, QList<ImportCandidate> *read)
{
    return outcome([&] { return QString(readShareFile(path, read) ? "read" : ""); });
}

class TestExchange : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exportBytes();
    void insertStatement_data();
    void insertStatement();
    void textForms_data();
    void textForms();
    void badFiles_data();
    void badFiles();
    void failedImportRollsBack();
    void holidayLine_data();
    void holidayLine();
    void holidayAppend_data();
    void holidayAppend();
    void keyNotation_data();
    void keyNotation();

private:
    std::unique_ptr<TestEnv> m_env;
    QString m_db;
    Connection m_conn;
};

void TestExchange::init()
{
    m_env = std::make_unique<TestEnv>();
    m_db = m_env->path("Almarik.MDB");
    newDatabase(m_db, m_conn);
}

void TestExchange::cleanup()
{
    m_conn.Close();
    m_env.reset();
}

void TestExchange::exportBytes()
{
    addEvents(m_conn, {"(#03/15/2007#, 'birthday', 'Jo''s party', Null, False)",
                       "(#02/29/2024#, Null, 'Leap', 'one\r\ntwo', True)",
                       "(#12/31/1999#, 'holiday', 'Eve', '', False)"});
    RecordSet rs;
    rs.Open("SELECT * FROM Calendar ORDER BY Dates", m_conn);
    const QString path = m_env->path("Almarik.Txt");
    QCOMPARE(ExportShareFile(rs, path), 3);
    QCOMPARE(fileBytes(path), kHead +
                                  " 3\r\n"
                                  "[31/12/1999]\r\nholiday\r\nEve\r\nFalse\r\n\r\n\r\n"
                                  "[15/03/2007]\r\nbirthday\r\nJo's party\r\nFalse\r\nNull\r\n\r\n"
                                  "[29/02/2024]\r\nNull\r\nLeap\r\nTrue\r\none\r\ntwo\r\n\r\n");
}

void TestExchange::insertStatement_data()
{
    QTest::addColumn<QString>("record"); // date|icon|description|show once|details
    QTest::addColumn<QString>("statement");
    const auto row = [](const char *name, const char *record, const QString &statement) {
        QTest::newRow(name) << QString(record) << statement;
    };
    const QString insert =
        "INSERT INTO Calendar (Dates, icon, Description, ShowOnce, Details) VALUES ";
    row("the example", "15/03/2007|birthday|Jo's party|False|Null",
        insert + "(#03/15/2007#, 'birthday', 'Jo''s party', False, Null)");
    row("null type, quotes, true kept", "29/02/2024|Null|a#b*c\td|true|it's\r\nhere",
        insert + "(#02/29/2024#, Null, 'a#b*c\td', true, 'it''s\r\nhere')");
    row("not a day", "29/02/2023|Null|D|True|Null",
        "The record \"29/02/2023 D\" has the date \"29/02/2023\", which is not a dd/mm/yyyy date.");
    row("show-once text crafted", "01/01/2000|Null|D|True); DELETE FROM Calendar|Null",
        "The record \"01/01/2000 D\" has the show-once value \"True); DELETE FROM Calendar\", "
        "which is neither True nor False.");
}

void TestExchange::insertStatement()
{
    QFETCH(QString, record);
    const QStringList f = record.split('|');
    const ImportCandidate c{f[0], f[1], f[2], f[3], f[4], {}, false};
    QTEST(outcome([&] { return importInsertStatement(c); }), "statement");
}

void TestExchange::textForms_data()
{
    QTest::addColumn<QByteArray>("description"); // as the file holds it
    QTest::addColumn<QString>("read");
    QTest::addColumn<QByteArray>("mark"); // before a file written with it
    QTest::newRow("Windows-1252") << QByteArray("\xE4 \xE9 \x80") << QString::fromUtf8("ä é €")
                                  << QByteArray();
    QTest::newRow("UTF-8") << QByteArray("\xC5\x81 \xE6\x97\xA5\xE6\x9C\xAC")
                           << QString::fromUtf8("Ł 日本") << QByteArray("\xEF\xBB\xBF");
}

void TestExchange::textForms()
{
    QFETCH(QByteArray, description);
    QFETCH(QString, read);
    // With CR LF, after a byte order mark, with LF alone, and in UTF-16 behind
    // either mark.
    const QByteArray crlf =
        kHead + " 1\r\n[15/03/2007]\r\nNull\r\n" + description + "\r\nFalse\r\nNull\r\n\r\n";
    const QString text = decodeText(crlf);
    const QString path = m_env->path("Almarik.Txt");
    for (const QByteArray &bytes : QList<QByteArray>{
             crlf, "\xEF\xBB\xBF" + crlf, QByteArray(crlf).replace("\r\n", "\n"),
             "\xFF\xFE" + QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(text)),
             "\xFE\xFF" + QByteArray(QStringEncoder(QStringEncoder::Utf16BE)(text))}) {
        writeBytes(path, bytes);
        QList<ImportCandidate> got;
        QVERIFY(readShareFile(path, &got));
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].description, read);
        QCOMPARE(got[0].dateText, "15/03/2007");
    }
    // Written back in the form that holds it: the same bytes, UTF-8 behind
    // the mark Windows programs need to read it as UTF-8.
    QFETCH(QByteArray, mark);
    QCOMPARE(encodeFile(read, TextForm::Undecided), mark + description);
    // Its first byte alone is no UTF-8, wherever it falls among ASCII bytes.
    for (int at = 0; at < 17; ++at)
        QCOMPARE(invalidUtf8Line("a\n" + QByteArray(at, 'a') + description.left(1) + "aaaaaaaaa"),
                 2);
}

void TestExchange::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error"); // "" for not a share file
    QTest::addColumn<qint64>("size");   // the file's, when larger than its bytes
    const auto row = [](const char *name, const QByteArray &bytes, const QString &error,
                        qint64 size = 0) { QTest::newRow(name) << bytes << error << size; };
    const QByteArray rec = "[15/03/2007]\r\nNull\r\nA\r\nFalse\r\nNull\r\n\r\n";
    row("empty", {}, "");
    row("header only, no line end", "[Almarik Export File]",
        "Line 2 of the share file should hold the number of records, but holds \"\".");
    row("header then more", "[Almarik Export File] \r\n 0\r\n", "");
    row("UTF-16 without a mark", QByteArray("[\0A\0l\0m\0", 8) + kHead, "");
    row("UTF-16 header then more",
        QByteArray("\xFF\xFE", 2) +
            QByteArray::fromRawData(reinterpret_cast<const char *>(u"[Almarik Export File]x\r\n"),
                                    48),
        "");
    row("count not a number", kHead + "abc\r\n" + rec,
        "Line 2 of the share file should hold the number of records, but holds \"abc\".");
    row("count larger", kHead + " 3\r\n" + rec + rec, "The share file ends before record 3 of 3.");
    row("count smaller", kHead + " 1\r\n" + rec + rec,
        "The share file holds more records than the 1 its line 2 gives: another begins at line 9.");
    row("ends in a record", kHead + " 1\r\n[15/03/2007]\r\nNull\r\n",
        "The share file ends inside record 1 of 1, before the empty line that closes it.");
    row("bad date", kHead + " 2\r\n" + rec + QByteArray(rec).replace("15/03", "31/02"),
        "Record 2 of the share file (line 9) has the date \"31/02/2007\", which is not a "
        "dd/mm/yyyy date.");
    // Larger than anything read whole (sparse: costs no disk): only a share
    // file's header makes it worth reading, and then it is too large.
    row("large, not a share file", "\177ELF\r\n", "", kMaxWholeFileBytes + 1);
    row("large share file", kHead, "The file is larger than 256 MB and is not read",
        kMaxWholeFileBytes + 1);
}

void TestExchange::badFiles()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_env->path("bad.txt");
    writeBytes(path, bytes);
    QFETCH(qint64, size);
    QVERIFY(size == 0 || QFile::resize(path, size));
    QList<ImportCandidate> read;
    QTEST(shareFileRead(path, &read), "error");
    QVERIFY(read.isEmpty());
}

void TestExchange::failedImportRollsBack()
{
    addEvents(m_conn, {"(#03/15/2007#, 'birthday', 'A', Null, False)",
                       "(#03/16/2007#, Null, 'B', Null, False)"});
    // The database refuses the third record.
    QCOMPARE(sqlite3_exec(m_conn.handle(),
                          "CREATE TRIGGER refuse BEFORE INSERT ON Calendar WHEN "
                          "NEW.Description = 'B' BEGIN SELECT RAISE(ABORT, 'refused'); END",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    // Compared closed (while open, the last changes may wait in the log),
    // past the file header, whose counters each opening for writing moves.
    m_conn.Close();
    const QByteArray before = fileBytes(m_db).mid(100);
    m_conn.Open(Connection::connectionStringFor(m_db));
    QList<ImportCandidate> read;
    QVERIFY(parseShareFile(
        QString::fromLatin1(kHead + " 3\r\n[01/01/2001]\r\nNull\r\nA\r\nFalse\r\nNull\r\n\r\n"
                                    "[01/01/2002]\r\nNull\r\nC\r\nTrue\r\nd\r\n\r\n"
                                    "[01/01/2003]\r\nNull\r\nB\r\nFalse\r\nNull\r\n\r\n"),
        &read));
    QVERIFY_THROWS_EXCEPTION(AppError, importCandidates(m_conn, read, {true, true, true}, true));
    QVERIFY(!m_conn.inTransaction());
    m_conn.Close();
    QVERIFY(fileBytes(m_db).mid(100) == before);
}

void TestExchange::holidayLine_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("line");
    QTest::newRow("this year") << "A/B, c" << QDate(2007, 3, 15) << "A-B. c, 2007/03/15";
    QTest::newRow("year before") << "Eve" << QDate(2006, 12, 31) << "Eve (1 years), 2007/12/31";
    QTest::newRow("later year") << "Leap" << QDate(2008, 2, 29) << "Leap (-1 years), 2007/02/29";
    QTest::newRow("no year") << "Ann's birthday" << QDate(1604, 6, 17)
                             << "Ann's birthday, 2007/06/17";
}

void TestExchange::holidayLine()
{
    QFETCH(QString, description);
    QFETCH(QDate, date);
    QTEST(::holidayLine(description, date, "2007"), "line");
    QCOMPARE(holidaySectionHeader("2007", 25), QString("[Alma07] 25"));
}

void TestExchange::holidayAppend_data()
{
    QTest::addColumn<QByteArray>("existing"); // "-" for no file
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("after"); // "!" for refused, the file unchanged
    const auto row = [](const char *name, const QByteArray &existing, const char *text,
                        const QByteArray &after) {
        QTest::newRow(name) << existing << QString::fromUtf8(text) << after;
    };
    row("new file, UTF-8 with its mark when needed", "-", "日\r\n", "\xEF\xBB\xBF\xE6\x97\xA5\r\n");
    row("ASCII file gains the mark", "z\r\n", "日\r\n", "\xEF\xBB\xBFz\r\n\xE6\x97\xA5\r\n");
    row("ASCII file stays 8-bit", "z\r\n", "é\r\n", "z\r\n\xE9\r\n");
    row("Windows-1252 file", "\xE4\r\n", "é\r\n", "\xE4\r\n\xE9\r\n");
    row("Windows-1252 file refuses", "\xE4\r\n", "日\r\n", "!");
    row("UTF-8 file", "\xC3\xA4\r\n", "é\r\n", "\xC3\xA4\r\n\xC3\xA9\r\n");
    row("UTF-8 with mark", "\xEF\xBB\xBFz\r\n", "é\r\n", "\xEF\xBB\xBFz\r\n\xC3\xA9\r\n");
    row("UTF-16 with mark", QByteArray("\xFF\xFEz\0\r\0\n\0", 8), "日\r\n",
        QByteArray("\xFF\xFEz\0\r\0\n\0\xE5\x65\r\0\n\0", 14));
}

void TestExchange::holidayAppend()
{
    QFETCH(QByteArray, existing);
    QFETCH(QString, text);
    QFETCH(QByteArray, after);
    const QString path = m_env->path("Outlook.Txt");
    if (existing != "-")
        writeBytes(path, existing);
    try {
        appendToHolidayFile(path, text);
        QCOMPARE(fileBytes(path), after);
    } catch (const AppError &) {
        QCOMPARE(after, QByteArray("!"));
        QCOMPARE(fileBytes(path), existing);
    }
}

void TestExchange::keyNotation_data()
{
    QTest::addColumn<QString>("notation");
    QTest::addColumn<QString>("strokes"); // "|"-joined, or the error
    const auto row = [](const char *name, const char *notation, const QString &strokes) {
        QTest::newRow(name) << QString(notation) << strokes;
    };
    const QString bad = "Invalid procedure call or argument: ";
    row("end, two enters, alt f4", "^{End}~~%{F4}", "Ctrl+End|Return|Return|Alt+F4");
    row("shift group", "+(ab)c", "Shift+A|Shift+B|C");
    row("repeat, names any case", "{left 2}{ENTER}", "Left|Left|Return");
    row("unknown name", "{Nope}", bad + "no key is named {Nope}");
    row("unclosed brace", "a{End", bad + "a \"{\" without its \"}\"");
    row("modifier alone", "x^", bad + "a modifier with no key after it");
    row("unclosed group", "+(ab", bad + "a group without its \")\"");
}

void TestExchange::keyNotation()
{
    QFETCH(QString, notation);
    QTEST(outcome([&] {
              QStringList got;
              for (const KeyStroke &s : parseKeyNotation(notation))
                  got << QKeySequence(QKeyCombination(s.modifiers, Qt::Key(s.key))).toString();
              return got.join('|');
          }),
          "strokes");
    // Any text typed through literalKeys arrives as it is.
    const QString text = QString::fromUtf8("Jo (40 years) + {x} ^ ~ % [a] 😀, 2007/03/15");
    QString typed;
    for (const KeyStroke &s : parseKeyNotation(literalKeys(text)))
        typed += s.text;
    QCOMPARE(typed, text);
}

QTEST_APPLESS_MAIN(TestExchange)
#include "tst_exchange.moc"
