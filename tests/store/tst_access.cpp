// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows version's Access files: every value of the sample files as
// stored after conversion, the texts as Jet packs them, the refusals, and
// a conversion that fails leaving the original as it was.

#include "StoreFixture.h"
#include "store/AccessConvert.h"
#include "store/AccessFile.h"
#include "store/AccessText.h"
#include "support/FullDisk.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QTest>

using namespace fixture;

class TestAccess : public QObject
{
    Q_OBJECT
private slots:
    void events_data();
    void events();
    void jet4Text_data();
    void jet4Text();
    void changedValues();
    void refused_data();
    void refused();
    void inPlace();
    void fullDisk();
    void message_data();
    void message();
};

namespace {

QString sample(const QString &name)
{
    return QStringLiteral(ACCESS_DATA "/") + name;
}

// A copy of the small sample file with bytes replaced (UTF-16 texts, each
// found once on the given page) or cut to size bytes.
QString patched(const TestEnv &env, const QList<std::tuple<int, QString, QString>> &texts = {},
                qint64 size = -1)
{
    QByteArray bytes = fileBytes(sample(QStringLiteral("Almarik-small.mdb")));
    for (const auto &[page, from, to] : texts) {
        const QByteArray f(reinterpret_cast<const char *>(from.utf16()), from.size() * 2);
        const QByteArray t(reinterpret_cast<const char *>(to.utf16()), to.size() * 2);
        const qsizetype at = bytes.indexOf(f, page * 4096);
        if (at < 0 || at >= (page + 1) * 4096)
            return QStringLiteral("<not found>");
        bytes.replace(at, f.size(), t);
    }
    if (size >= 0)
        bytes.truncate(size);
    const QString path = env.path(QStringLiteral("Almarik.MDB"));
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    return path;
}

// Makes a value of row (in the order of the page's row table) Null, by
// clearing its bit of the row's null mask: the last byte of a Jet 4 row of
// up to eight columns.
void clearNullBit(const QString &path, int page, int row, int column)
{
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    QByteArray bytes = f.readAll();
    const auto at = [&](qsizetype i) { return quint8(bytes[page * 4096 + i]); };
    const int end =
        row == 0 ? 4096 : ((at(14 + 2 * (row - 1)) | at(15 + 2 * (row - 1)) << 8) & 0x1fff);
    bytes[page * 4096 + end - 1] = char(at(end - 1) & ~(1 << column));
    f.seek(0);
    f.write(bytes);
}

const QStringList kFifteen = {
    "1970-12-24|birthday|Anna Schröder|Call her in the morning.\r\nShe likes tulips.|0",
    "1996-02-29|birthday|Leap-day Léa|<null>|0",
    "1985-06-15|anniversary|O'Brien's wedding|Bring \"the\" album|0",
    "2003-01-01|holiday|New Year's Day|<null>|0",
    "1944-06-06|memorial|D-Day||0",
    "2026-12-09|doctor|Dentist 10:30|Dr. Łukasz Wiśniewski|-1",
    "2026-12-20|reminder|Renew passport|Time of day kept by an old version|-1",
    "1999-05-30|car_race|Indy 500|<null>|0",
    "2001-07-01|bike_race|Tour de France starts|<null>|0",
    "1990-03-03|<null>|No type at all|<null>|0",
    "1990-03-04|unknown|Type unknown|<null>|0",
    "1975-10-10|birthday|Zoë 50 € party|Price: 50 €; ½ off|0",
    "1960-01-31|birthday|日本の友達|<null>|0",
    "2020-12-25|holiday|Christmas|Line one\r\nLine two\r\n\r\nLine four|0",
    "1950-11-30|anniversary|12345678901234567890123456789012345678901234567890|<null>|0"};

const QString kEvents = QStringLiteral(
    "SELECT Dates, Icon, Description, Details, ShowOnce FROM Calendar ORDER BY rowid");

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

void TestAccess::events_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("timesOfDay");
    QTest::addColumn<QString>("birthday"); // the type's display name, renamed in one file
    QTest::newRow("as created") << "Almarik-small.mdb" << kFifteen << 1 << "Geburtstag";
    QTest::newRow("columns as added") << "Almarik-added-columns.mdb" << kFifteen << 1 << "Birthday";
    QTest::newRow("edges of Jet's dates")
        << "Almarik-wide.mdb"
        << kFifteen + QStringList{"0101-03-04|memorial|Year 101|<null>|0",
                                  "9998-11-30|reminder|Year 9998|<null>|0",
                                  "1899-12-29|holiday|Day before day zero|<null>|0",
                                  "1850-07-14|anniversary|Before 1900 with a time|<null>|0",
                                  "1990-09-09|birthday|Party 🎉 time|𝄞 music and 😀 faces|0"}
        << 2 << "Birthday";
}

void TestAccess::events()
{
    QFETCH(QString, file);
    QFETCH(QStringList, rows);
    QFETCH(int, timesOfDay);
    QFETCH(QString, birthday);
    TestEnv env;
    const QString target = env.path("new.MDB");
    const AccessConversion c = convertAccessDatabase(sample(file), target);
    QCOMPARE(rawRows(target, kEvents), rows);
    QCOMPARE((QList<qsizetype>{c.events, c.timesOfDay, c.changed + c.leftOut, c.notes.size()}),
             (QList<qsizetype>{rows.size(), timesOfDay, 0, 0}));
    // The other tables as they were.
    QCOMPARE(rawRows(target, "SELECT icon, descr FROM Almarik_Type ORDER BY rowid"),
             QStringList({"anniversary|Anniversary", "bike_race|Bike Race", "birthday|" + birthday,
                          "car_race|Car Race", "holiday|Holiday", "memorial|Memorial",
                          "reminder|Reminder", "unknown|Unknown", "doctor|Doctor"}));
    QCOMPARE(rawRows(target, "SELECT ID, FileName, path, Active FROM Wallpapers ORDER BY ID"),
             QStringList({"1|sunset.jpg|C:\\Pictures\\Holiday 2003|-1", "2|Bäume.bmp|D:\\Bilder|0",
                          "3|logo.gif|C:\\WINDOWS|-1"}));
    QCOMPARE(
        rawRows(target, "SELECT hKey, SubKey, \"Key\", Task, NewValue FROM RegEdit ORDER BY rowid"),
        QStringList({"-2147483647|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\|OldTool|"
                     "delete|<null>",
                     "-2147483647|Control Panel\\Desktop\\|WallpaperStyle|edit|2"}));
}

void TestAccess::jet4Text_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text"); // "(unreadable)": refused
    const auto row = [](const char *name, const QByteArray &bytes, const QString &text) {
        QTest::newRow(name) << bytes << text;
    };
    row("plain UTF-16", QByteArray("A\0\xe9\0", 4), "Aé");
    row("packed Latin-1", QByteArray("\xff\xfeZo\xeb", 5), "Zoë");
    // 00 switches to UTF-16 (𝄞 as its surrogate pair, then 日) and back.
    row("packed with a UTF-16 run", QByteArray("\xff\xfe\x61\0\x34\xd8\x1e\xdd\xe5\x65\0b", 12),
        "a𝄞日b");
    row("empty packed", QByteArray("\xff\xfe"), "");
    row("odd plain bytes", QByteArray("A\0B", 3), "(unreadable)");
    row("half a unit in a UTF-16 run", QByteArray("\xff\xfe\x61\0\x3d", 5), "(unreadable)");
}

void TestAccess::jet4Text()
{
    QFETCH(QByteArray, bytes);
    const auto decoded =
        decodeJet4Text(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
    QTEST(decoded.value_or(QStringLiteral("(unreadable)")), "text");
}

void TestAccess::changedValues()
{
    // Calendar's rows are on page 27 of the sample: one type made foreign,
    // one differing from its key in case only.
    TestEnv env;
    const QString jet = patched(env, {{27, "doctor", "doktor"}, {27, "car_race", "Car_Race"}});
    // And events without a date (Leap-day Léa) and without a description
    // (the one on 2003-01-01).
    clearNullBit(jet, 27, 1, 0);
    clearNullBit(jet, 27, 3, 2);
    const QString target = env.path("new.MDB");
    const AccessConversion c = convertAccessDatabase(jet, target);
    const QStringList rows = rawRows(target, kEvents);
    QCOMPARE((QList<qsizetype>{rows.size(), c.events, c.changed, c.leftOut}),
             (QList<qsizetype>{13, 13, 2, 2}));
    QCOMPARE(rows.at(3), "2026-12-09|<null>|Dentist 10:30|Dr. Łukasz Wiśniewski|-1");
    QCOMPARE(rows.at(5), "1999-05-30|car_race|Indy 500|<null>|0");
    QCOMPARE(c.notes,
             QStringList({"Event without a date \"Leap-day Léa\": left out, it has no date",
                          "Event 2003-01-01 without a description: left out, it has no description",
                          "Event 2026-12-09 \"Dentist 10:30\": type 'doktor' is not one of the "
                          "nine; stored without a type",
                          "Event 1999-05-30 \"Indy 500\": type 'Car_Race' stored as 'car_race'"}));
}

void TestAccess::refused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("said");
    const auto row = [](const char *name, const char *kind, const QString &said) {
        QTest::newRow(name) << QString(kind) << said;
    };
    const QString damaged =
        "The Access database '~/Almarik.MDB' is damaged (%1) and cannot be read.";
    row("no Calendar table", "Kalendar",
        "The Access database '~/Almarik.MDB' is not Almarik's: it has no table 'Calendar'. Nothing "
        "was changed.");
    row("cut inside a page", "cut 100000", damaged.arg("it ends inside a page"));
    row("cut after the events' page", "cut 110592",
        damaged.arg("the definition of table 'Almarik_Type' cannot be read"));
    row("events' page overwritten", "page 27",
        damaged.arg("table 'Calendar' should hold 15 rows, 0 were found"));
    row("not a Jet file", "text", "'~/Almarik.MDB' is not a Microsoft Access database.");
    // A file beside it: a log would be taken for the converted file's own.
    row("a log beside it", "-wal",
        "'~/Almarik.MDB-wal' exists beside the file: it belongs to another database of that name. "
        "Move it away and try again. '~/Almarik.MDB' was not changed.");
    row("an earlier conversion's original", ".access",
        "'~/Almarik.MDB.access' exists already: it may be the original of an earlier conversion. "
        "Move it away and try again. '~/Almarik.MDB' was not changed.");
}

void TestAccess::refused()
{
    QFETCH(QString, kind);
    TestEnv env;
    const QString path = kind == "Kalendar"       ? patched(env, {{14, "Calendar", "Kalendar"}})
                         : kind.startsWith("cut") ? patched(env, {}, kind.mid(4).toLongLong())
                                                  : patched(env);
    QFile f(kind == "text" || kind == "page 27" ? path : path + kind);
    if (kind == "text")
        f.open(QIODevice::ReadWrite), f.resize(0), f.write("[Almarik Export File]\r\n");
    else if (kind == "page 27")
        f.open(QIODevice::ReadWrite), f.seek(27 * 4096), f.write(QByteArray(4096, '\x5a'));
    else if (kind.startsWith('-') || kind.startsWith('.'))
        f.open(QIODevice::WriteOnly), f.write("old");
    f.close();
    const QByteArray before = fileBytes(path);
    const DbError e = thrown([&] { convertAccessDatabaseInPlace(path); });
    QTEST(QString(e.description()).replace(env.root(), "~"), "said");
    QCOMPARE(fileBytes(path), before);
    QStringList files{"Almarik.MDB"};
    if (kind.startsWith('-') || kind.startsWith('.'))
        files << "Almarik.MDB" + kind; // left where it was
    QCOMPARE(filesIn(env.root()), files);
}

void TestAccess::inPlace()
{
    TestEnv env;
    const QString path = patched(env);
    // The original kept byte for byte is the start-up test's.
    convertAccessDatabaseInPlace(path);
    QCOMPARE(filesIn(env.root()), QStringList({"Almarik.MDB", "Almarik.MDB.access"}));
    QCOMPARE(rawRows(path, kEvents), kFifteen);
    QVERIFY(!isAccessFile(path) && isAccessFile(path + ".access"));
}

void TestAccess::fullDisk()
{
    // Room for a few pages only: the new database cannot be written whole.
    const QString report = onFullDisk(
        8 * 1024,
        [](const QString &folder) -> QString {
            return QFile::copy(sample("Almarik-small.mdb"), folder + "/Almarik.MDB")
                       ? QString()
                       : QStringLiteral("no copy");
        },
        [](const QString &folder) -> QString {
            const QString path = folder + "/Almarik.MDB";
            QString said = "converted";
            try {
                convertAccessDatabaseInPlace(path);
            } catch (const AppError &e) {
                said = QString::number(e.number());
            }
            return said + " / " +
                   (fileBytes(path) == fileBytes(sample("Almarik-small.mdb")) ? "kept"
                                                                              : "changed") +
                   " / " + filesIn(folder).join(' ');
        });
    QCOMPARE(report, QString::number(DbErrNo::General) + " / kept / Almarik.MDB");
}

void TestAccess::message_data()
{
    QTest::addColumn<int>("timesOfDay");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("text");
    const QString converted = "Converted 15 events, 1 wallpaper and 2 registry tasks.";
    QTest::newRow("nothing changed") << 0 << 0 << converted;
    QTest::newRow("first ten named, the rest counted")
        << 3 << 12
        << converted + "\r\n3 events had a time of day; only their day was kept.\r\n"
                       "12 rows were changed or left out:\r\nrow 1\r\nrow 2\r\nrow 3\r\nrow 4\r\n"
                       "row 5\r\nrow 6\r\nrow 7\r\nrow 8\r\nrow 9\r\nrow 10\r\n... and 2 more.";
}

void TestAccess::message()
{
    QFETCH(int, timesOfDay);
    QFETCH(int, rows);
    AccessConversion c;
    c.events = 15;
    c.wallpapers = 1;
    c.tasks = 2;
    c.timesOfDay = timesOfDay;
    c.leftOut = rows;
    for (int i = 1; i <= std::min(rows, kMaxNotes); ++i)
        c.notes << QStringLiteral("row %1").arg(i);
    QTEST(conversionMessage(c), "text");
}

QTEST_APPLESS_MAIN(TestAccess)
#include "tst_access.moc"
