// The start-up wallpaper change: the draw and its bound, which files become
// the bitmap, when the setting is written, and each failure's message with
// the wallpaper left as it was.

#include "store/Connection.h"
#include "store/Literals.h"
#include "store/Repair.h"
#include "support/TestEnv.h"
#include "wallpaper/Pictures.h"
#include "wallpaper/WallpaperChange.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTest>

namespace {

// A 1 x 1 red GIF; Qt reads GIF but does not write it.
const QByteArray kGif = QByteArrayLiteral(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00"
    "\x00\x02\x02\x44\x01\x00;");

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray jpegBytes(QSize size)
{
    QByteArray out;
    QBuffer buffer(&out);
    QImage(size, QImage::Format_RGB32).save(&buffer, "JPG");
    return out;
}

// Draws answered from a list, the last repeated; counts the calls.
struct FixedDraws
{
    QList<float> values;
    int calls = 0;
    RandomSource source()
    {
        return [this] { return values.at(std::min<qsizetype>(calls++, values.size() - 1)); };
    }
};

class Fixture
{
public:
    Fixture()
    {
        pics = env.path(QStringLiteral("pictures/it's Ünï"));
        data = env.path(QStringLiteral("data/Almarik2"));
        QDir().mkpath(pics);
        CreateDatabase(env.path(QStringLiteral("Almarik.MDB")));
        db.Open(Connection::connectionStringFor(env.path(QStringLiteral("Almarik.MDB"))));
        QImage(8, 6, QImage::Format_RGB32).save(pics + QStringLiteral("/a.bmp"), "BMP");
        QImage(8, 6, QImage::Format_RGB32).save(pics + QStringLiteral("/b.bmp"), "BMP");
        writeBytes(pics + QStringLiteral("/c.JPG"), jpegBytes(QSize(40, 30)));
        writeBytes(pics + QStringLiteral("/d.gif"), kGif);
        writeBytes(pics + QStringLiteral("/e.jpeg"), jpegBytes(QSize(4, 4)));
        writeBytes(pics + QStringLiteral("/text.jpg"), "not a picture");
        const QByteArray whole = jpegBytes(QSize(64, 64));
        // Cut inside the picture's data, after its scan began.
        const qsizetype scan = whole.indexOf(QByteArrayLiteral("\xFF\xDA"));
        writeBytes(pics + QStringLiteral("/cut.jpg"), whole.left(scan + (whole.size() - scan) / 2));
        // A real JPEG whose frame header claims 20000 x 20000 pixels.
        QByteArray huge = jpegBytes(QSize(16, 16));
        const qsizetype sof = huge.indexOf(QByteArrayLiteral("\xFF\xC0"));
        huge[sof + 5] = huge[sof + 7] = char(20000 >> 8);
        huge[sof + 6] = huge[sof + 8] = char(20000 & 0xFF);
        writeBytes(pics + QStringLiteral("/huge.jpg"), huge);

        seams.random = draws.source();
        seams.writeSetting = [this](const QString &f) {
            events << QStringLiteral("write ") + f;
            return true;
        };
        seams.applyToDesktop = [this](const QString &f) { events << QStringLiteral("apply ") + f; };
        seams.bitmapFolder = data;
    }

    void addRow(const QString &name, bool active = true)
    {
        db.Execute(QStringLiteral("INSERT INTO Wallpapers (FileName, path, Active) VALUES ('") +
                   QuoteSql(name) + QStringLiteral("', '") + QuoteSql(pics) +
                   (active ? QStringLiteral("', True)") : QStringLiteral("', False)")));
    }

    // Placeholders {pics} and {data} in a text made real.
    QString real(QString text) const
    {
        return text.replace(QStringLiteral("{pics}"), pics).replace(QStringLiteral("{data}"), data);
    }

    TestEnv env;
    Connection db;
    QString pics;
    QString data;
    FixedDraws draws;
    WallpaperSeams seams;
    QStringList events;
};

} // namespace

class TestRotation : public QObject
{
    Q_OBJECT
private slots:
    void needsBitmap_data();
    void needsBitmap();
    void draw_data();
    void draw();
    void change_data();
    void change();
    void bitmapReplacedWholeOrNotAtAll();
};

void TestRotation::needsBitmap_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("converted");
    QTest::newRow(".gif") << "/p/x.gif" << true;
    QTest::newRow(".GIF") << "/p/x.GIF" << true;
    QTest::newRow(".jpg") << "/p/x.jpg" << true;
    QTest::newRow(".JpG mixed case") << "/p/x.JpG" << true;
    QTest::newRow(".jpeg: four letters") << "/p/x.jpeg" << false;
    QTest::newRow(".bmp") << "/p/x.bmp" << false;
}

void TestRotation::needsBitmap()
{
    QFETCH(QString, file);
    QFETCH(bool, converted);
    QCOMPARE(NeedsBitmap(file), converted);
}

void TestRotation::draw_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QList<float>>("values");
    QTest::addColumn<int>("drawn"); // -1: nothing
    QTest::addColumn<int>("calls");
    const QStringList abc = {"/p/a", "/p/b", "/p/c"};
    QTest::newRow("u = 0 is the first") << abc << "" << QList<float>{0.0f} << 0 << 1;
    QTest::newRow("a third is the second") << abc << "" << QList<float>{0.334f} << 1 << 1;
    QTest::newRow("largest u below 1 is the last")
        << abc << "" << QList<float>{0.99999994f} << 2 << 1;
    QTest::newRow("the current one is drawn again")
        << abc << "/p/a" << QList<float>{0.1f, 0.2f, 0.9f} << 2 << 3;
    QTest::newRow("comparison counts case")
        << QStringList{"/p/A", "/p/a"} << "/p/a" << QList<float>{0.0f} << 0 << 1;
    QTest::newRow("every entry is the current one: no draw")
        << QStringList{"/p/a", "/p/a"} << "/p/a" << QList<float>{0.0f} << -1 << 0;
    QTest::newRow("a source stuck on the current one ends")
        << abc << "/p/b" << QList<float>{0.5f} << -1 << 64 * 3;
}

void TestRotation::draw()
{
    QFETCH(QStringList, list);
    QFETCH(QString, current);
    QFETCH(QList<float>, values);
    QFETCH(int, drawn);
    QFETCH(int, calls);
    FixedDraws draws{values};
    const std::optional<int> got = DrawWallpaper(list, current, draws.source());
    QCOMPARE(got.value_or(-1), drawn);
    QCOMPARE(draws.calls, calls);
}

void TestRotation::change_data()
{
    QTest::addColumn<QStringList>("rows"); // file names; "-" before one marks it inactive
    QTest::addColumn<QString>("current");
    QTest::addColumn<QList<float>>("values");
    QTest::addColumn<QStringList>("events"); // writes, applies, then the box "title|text"
    const QString bmp = QStringLiteral("{data}/Almarik.BMP");
    const QString repair = QStringLiteral("\r\nSelect File>DB Repair");
    QTest::newRow("no entries") << QStringList() << "" << QList<float>{0.0f} << QStringList();
    QTest::newRow("one active entry, one inactive")
        << QStringList{"a.bmp", "-b.bmp"} << "" << QList<float>{0.0f} << QStringList();
    QTest::newRow("two entries: the other one is set")
        << QStringList{"a.bmp", "b.bmp"} << "{pics}/a.bmp" << QList<float>{0.0f, 0.9f}
        << QStringList{"write {pics}/b.bmp", "apply {pics}/b.bmp"};
    QTest::newRow("every entry is the current one: unchanged, no message")
        << QStringList{"a.bmp", "a.bmp"} << "{pics}/a.bmp" << QList<float>{0.0f} << QStringList();
    QTest::newRow("a JPG becomes the bitmap")
        << QStringList{"a.bmp", "c.JPG"} << "" << QList<float>{0.5f}
        << QStringList{"write " + bmp, "apply " + bmp};
    QTest::newRow("a GIF over the current bitmap: file rewritten, setting not")
        << QStringList{"d.gif", "a.bmp"} << bmp << QList<float>{0.0f}
        << QStringList{"apply " + bmp};
    QTest::newRow("a jpeg is set unconverted")
        << QStringList{"a.bmp", "e.jpeg"} << "" << QList<float>{0.5f}
        << QStringList{"write {pics}/e.jpeg", "apply {pics}/e.jpeg"};
    QTest::newRow("a listed file that is gone")
        << QStringList{"a.bmp", "gone.bmp"} << "" << QList<float>{0.5f}
        << QStringList{"Wallpaper missing|Wallpaper selected: {pics}/gone.bmp does not "
                       "exist.\r\nPlease update Wallpaper list"};
    QTest::newRow("not a picture") << QStringList{"a.bmp", "text.jpg"} << "" << QList<float>{0.5f}
                                   << QStringList{"|ERROR #481 : Invalid picture" + repair};
    QTest::newRow("a truncated JPEG") << QStringList{"a.bmp", "cut.jpg"} << "" << QList<float>{0.5f}
                                      << QStringList{"|ERROR #481 : Invalid picture" + repair};
    QTest::newRow("20,000 x 20,000 pixels")
        << QStringList{"a.bmp", "huge.jpg"} << "" << QList<float>{0.5f}
        << QStringList{"|ERROR #7 : Picture too large (20000 x 20000 pixels)" + repair};
}

void TestRotation::change()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, current);
    QFETCH(QList<float>, values);
    QFETCH(QStringList, events);
    Fixture f;
    f.draws.values = values;
    for (const QString &row : rows)
        f.addRow(row.startsWith(QLatin1Char('-')) ? row.mid(1) : row, !row.startsWith('-'));
    const WallpaperOutcome outcome = ChangeWallpaper(f.db, f.real(current), f.seams);
    if (const auto message = WallpaperOutcomeMessage(outcome)) {
        QCOMPARE(message->icon, outcome.kind == WallpaperOutcome::Kind::Missing
                                    ? MsgIcon::Information
                                    : MsgIcon::None);
        f.events << message->title + QLatin1Char('|') + message->text;
    }
    QStringList expected;
    for (const QString &e : events)
        expected << f.real(e);
    QCOMPARE(f.events, expected);
}

void TestRotation::bitmapReplacedWholeOrNotAtAll()
{
    Fixture f;
    QDir().mkpath(f.data);
    writeBytes(BitmapPath(f.data), "the earlier bitmap");
    f.addRow(QStringLiteral("cut.jpg"));
    f.addRow(QStringLiteral("c.JPG"));
    f.draws.values = {0.0f};
    QCOMPARE(ChangeWallpaper(f.db, QString(), f.seams).kind, WallpaperOutcome::Kind::Failed);
    QFile old(BitmapPath(f.data));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the earlier bitmap"));

    f.draws.values = {0.5f};
    QCOMPARE(ChangeWallpaper(f.db, QString(), f.seams).kind, WallpaperOutcome::Kind::Set);
    QImageReader reader(BitmapPath(f.data));
    QCOMPARE(reader.format(), QByteArray("bmp"));
    QCOMPARE(reader.read().size(), QSize(40, 30));
    QCOMPARE(QDir(f.data).entryList(QDir::Files), QStringList{"Almarik.BMP"}); // no temporary left
    f.events.clear();

    // A folder that cannot be made (its parent is a file): the path error.
    writeBytes(f.env.path(QStringLiteral("plain")), "x");
    f.seams.bitmapFolder = f.env.path(QStringLiteral("plain/Almarik2"));
    const WallpaperOutcome outcome = ChangeWallpaper(f.db, QString(), f.seams);
    QCOMPARE(WallpaperOutcomeMessage(outcome)->text,
             QStringLiteral("ERROR #76 : Path not found\r\nSelect File>DB Repair"));
    QVERIFY(f.events.isEmpty());

    // Without the table.
    f.db.Execute(QStringLiteral("DROP TABLE Wallpapers"));
    const WallpaperOutcome noTable = ChangeWallpaper(f.db, QString(), f.seams);
    QCOMPARE(
        WallpaperOutcomeMessage(noTable)->text,
        QStringLiteral("ERROR #-2147217900 : no such table: Wallpapers\r\nSelect File>DB Repair"));
    QVERIFY(f.events.isEmpty());
}

QTEST_APPLESS_MAIN(TestRotation)
#include "tst_rotation.moc"
