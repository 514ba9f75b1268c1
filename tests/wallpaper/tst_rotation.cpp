// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up wallpaper change: the draw and its bound, which files become
// the bitmap, when the setting is written, and each failure's message with
// the wallpaper left as it was (a named pipe, a cut-off picture, a folder
// the user may not enter, a name sway cannot take).

#include "support/ChildProcess.h"
#include "support/TestDatabase.h"
#include "wallpaper/DesktopWallpaper.h"
#include "wallpaper/Pictures.h"
#include "wallpaper/WallpaperChange.h"
#include "wallpaper/WallpaperTable.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

#include <sys/stat.h>

namespace {

// A 30 x 20 GIF in its second colour, one sub-block of codes.
const QByteArray kGif = QByteArray::fromHex(
    "4749463839611e001400800000000000ff00002c000000001e0014000002178c8fa9cbed0fa39cb4da8bb3debcfb0f"
    "86e24896665200003b");

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray imageBytes(QSize size, const char *format = "JPG")
{
    QByteArray out;
    QBuffer buffer(&out);
    QImage(size, QImage::Format_RGB32).save(&buffer, format);
    return out;
}

class Fixture : public TestDatabase
{
public:
    Fixture()
    {
        QDir().mkpath(pics);
        QImage(8, 6, QImage::Format_RGB32).save(pics + QStringLiteral("/a.bmp"), "BMP");
        const QByteArray jpeg = imageBytes(QSize(40, 30));
        writeBytes(pics + QStringLiteral("/c.JPG"), jpeg);
        // Names sway cannot take: the bitmap's it can.
        writeBytes(pics + QStringLiteral("/x\ny.jpg"), jpeg);
        QFile::copy(pics + QStringLiteral("/a.bmp"), pics + QStringLiteral("/x\\y.bmp"));
        writeBytes(pics + QStringLiteral("/d.gif"), kGif);
        // Cut inside its codes, which Qt reads as far as they go.
        writeBytes(pics + QStringLiteral("/cut.gif"), kGif.left(kGif.size() - 12));
        const QByteArray bmp = imageBytes(QSize(30, 20), "BMP");
        writeBytes(pics + QStringLiteral("/bmpcut.jpg"), bmp.left(bmp.size() - 100));
        QVERIFY(::mkfifo(QFile::encodeName(pics + QStringLiteral("/pipe.jpg")).constData(), 0644) ==
                0);
        const QByteArray whole = imageBytes(QSize(64, 64));
        // Cut inside the picture's data, after its scan began.
        const qsizetype scan = whole.indexOf(QByteArrayLiteral("\xFF\xDA"));
        writeBytes(pics + QStringLiteral("/cut.jpg"), whole.left(scan + (whole.size() - scan) / 2));
        // A real JPEG whose frame header claims 20000 x 20000 pixels.
        QByteArray huge = imageBytes(QSize(16, 16));
        const qsizetype sof = huge.indexOf(QByteArrayLiteral("\xFF\xC0"));
        huge[sof + 5] = huge[sof + 7] = char(20000 >> 8);
        huge[sof + 6] = huge[sof + 8] = char(20000 & 0xFF);
        writeBytes(pics + QStringLiteral("/huge.jpg"), huge);

        // The first draw, then 0.9.
        seams.random = [this] { return std::exchange(draw, 0.9f); };
        seams.writeSetting = [this](const QString &f) { return events << "write " + f, true; };
        seams.applyToDesktop = [this](const QString &f) { events << QStringLiteral("apply ") + f; };
        seams.desktopRefusal = [](const QString &f) { return DesktopWallpaper().refusal(f); };
        seams.bitmapFolder = data;
        qputenv("XDG_CURRENT_DESKTOP", "sway");
    }

    // Placeholders {pics} and {data} in a text made real.
    QString real(QString text) const
    {
        return text.replace(QStringLiteral("{pics}"), pics).replace(QStringLiteral("{data}"), data);
    }

    QString pics = env.path(QStringLiteral("pictures/it's Ünï"));
    QString data = env.path(QStringLiteral("data/Almarik2"));
    float draw = 0;
    WallpaperSeams seams;
    QStringList events;
};

} // namespace

class TestRotation : public QObject
{
    Q_OBJECT
private slots:
    void draw_data();
    void draw();
    void change_data();
    void change();
    void unreadableFolder();
};

void TestRotation::draw_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QList<float>>("values");
    QTest::addColumn<int>("drawn"); // -1: nothing
    QTest::addColumn<int>("calls");
    auto row = [](const char *tag, const QStringList &list, const char *current,
                  const QList<float> &values, int drawn,
                  int calls) { QTest::newRow(tag) << list << current << values << drawn << calls; };
    const QStringList abc = {"/p/a", "/p/b", "/p/c"};
    row("u = 0 is the first", abc, "", {0.0f}, 0, 1);
    row("largest u below 1 is the last", abc, "", {0.99999994f}, 2, 1);
    row("the current one is drawn again", abc, "/p/a", {0.1f, 0.2f, 0.9f}, 2, 3);
    row("every entry is the current one", {"/p/a", "/p/a"}, "/p/a", {0.0f}, -1, 0);
    row("a source stuck on the current one ends", abc, "/p/b", {0.5f}, -1, 64 * 3);
}

void TestRotation::draw()
{
    QFETCH(QStringList, list);
    QFETCH(QString, current);
    QFETCH(QList<float>, values);
    // Draws answered from the list, the last repeated.
    int made = 0;
    const std::optional<int> got = DrawWallpaper(
        list, current, [&] { return values.at(std::min<qsizetype>(made++, values.size() - 1)); });
    QTEST(got.value_or(-1), "drawn");
    QTEST(made, "calls");
}

void TestRotation::change_data()
{
    // File names stored as the selector stores them; statements (with a
    // blank) run as they are; "!" rows prepare the files.
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("current");
    QTest::addColumn<float>("draw"); // the second draw is 0.9
    // Writes, applies, the box "title|text", then the bitmap left behind.
    QTest::addColumn<QStringList>("events");
    auto row = [](const char *tag, const QStringList &rows, const char *current, float draw,
                  const QStringList &events) {
        QTest::newRow(tag) << rows << current << draw << events;
    };
    const QString bmp = QStringLiteral("{data}/Almarik.BMP");
    const QString hint = QStringLiteral("\r\nSelect File>DB Repair");
    row("one active entry, one inactive",
        {"a.bmp", "b.bmp", "UPDATE Wallpapers SET Active = False WHERE FileName = 'b.bmp'"}, "",
        0.0f, {});
    row("a JPG becomes the bitmap", {"a.bmp", "c.JPG"}, "", 0.5f,
        {"write " + bmp, "apply " + bmp, "bitmap 40x30"});
    row("a GIF over the current bitmap: setting not written", {"d.gif", "a.bmp"},
        "{data}/Almarik.BMP", 0.0f, {"apply " + bmp, "bitmap 30x20"});
    row("a listed file that is gone", {"a.bmp", "gone.bmp"}, "", 0.5f,
        {"Wallpaper missing|Wallpaper selected: {pics}/gone.bmp does not exist.\r\n"
         "Please update Wallpaper list"});
    row("a truncated JPEG keeps the earlier bitmap", {"!earlier bitmap", "a.bmp", "cut.jpg"}, "",
        0.5f, {"|ERROR #481 : Invalid picture" + hint, "bitmap earlier"});
    row("a GIF cut short keeps the earlier bitmap", {"!earlier bitmap", "a.bmp", "cut.gif"}, "",
        0.5f, {"|ERROR #481 : Invalid picture" + hint, "bitmap earlier"});
    row("a BMP cut short under a JPG name", {"a.bmp", "bmpcut.jpg"}, "", 0.5f,
        {"|ERROR #481 : Invalid picture" + hint});
    // It exists, so it is no missing file; it is never opened to wait.
    row("a named pipe called .jpg", {"a.bmp", "pipe.jpg"}, "", 0.5f,
        {"|ERROR #75 : Path/File access error" + hint});
    row("20,000 x 20,000 pixels", {"a.bmp", "huge.jpg"}, "", 0.5f,
        {"|ERROR #7 : Picture too large (20000 x 20000 pixels)" + hint});
    row("a bitmap folder that cannot be made", {"!no folder", "a.bmp", "c.JPG"}, "", 0.5f,
        {"|ERROR #76 : Path not found" + hint});
    row("a BMP name sway cannot take: nothing written", {"x\\y.bmp", "a.bmp"}, "", 0.0f,
        {"Wallpaper not shown|Wallpaper selected: {pics}/x\\y.bmp cannot be shown: sway cannot "
         "take a file name with a backslash or a control character such as a line break.\r\n"
         "Please update Wallpaper list"});
    row("a JPG with a line break becomes the bitmap", {"x\ny.jpg", "a.bmp"}, "", 0.0f,
        {"write " + bmp, "apply " + bmp, "bitmap 40x30"});
    row("no table", {"DROP TABLE Wallpapers"}, "", 0.0f,
        {"|ERROR #-2147217900 : no such table: Wallpapers" + hint});
}

void TestRotation::change()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, current);
    QFETCH(float, draw);
    QFETCH(QStringList, events);
    Fixture f;
    f.draw = draw;
    for (const QString &row : rows) {
        if (row == QLatin1String("!earlier bitmap")) {
            QDir().mkpath(f.data);
            writeBytes(BitmapPath(f.data), "earlier");
        } else if (row == QLatin1String("!no folder")) { // its parent is a file
            writeBytes(f.env.path(QStringLiteral("plain")), "x");
            f.seams.bitmapFolder = f.env.path(QStringLiteral("plain/Almarik2"));
        } else if (row.contains(QLatin1Char(' '))) {
            f.db.Execute(row);
        } else {
            f.db.Execute(InsertWallpaperStatement(row, f.pics));
        }
    }
    const WallpaperOutcome outcome = ChangeWallpaper(f.db, f.real(current), f.seams);
    if (const auto message = WallpaperOutcomeMessage(outcome)) {
        QCOMPARE(message->icon == MsgIcon::Information,
                 outcome.kind == WallpaperOutcome::Kind::Missing ||
                     outcome.kind == WallpaperOutcome::Kind::Refused);
        f.events << message->title + QLatin1Char('|') + message->text;
    }
    // The bitmap is replaced whole or not at all, and no temporary is left.
    QFile bitmap(BitmapPath(f.data));
    if (bitmap.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = bitmap.readAll();
        const QImage image = QImage::fromData(bytes, "BMP");
        f.events << "bitmap " +
                        (image.isNull()
                             ? QString::fromLatin1(bytes)
                             : QStringLiteral("%1x%2").arg(image.width()).arg(image.height()));
    }
    QVERIFY(QDir(f.data).entryList(QDir::Files).size() <= 1);
    QCOMPARE(f.events.join(QLatin1Char('\n')), f.real(events.join(QLatin1Char('\n'))));
}

// A JPG in a folder the user may not enter exists, yet cannot be read: the
// permission error and the hint, nothing written.
void TestRotation::unreadableFolder()
{
    Fixture f;
    const QString locked = f.env.path(QStringLiteral("locked"));
    QDir().mkpath(locked);
    writeBytes(locked + QStringLiteral("/c.jpg"), imageBytes(QSize(8, 8)));
    f.db.Execute(InsertWallpaperStatement(QStringLiteral("a.bmp"), f.pics));
    f.db.Execute(InsertWallpaperStatement(QStringLiteral("c.jpg"), locked));
    f.db.Close();
    // Everything but the locked folder is open to the child's user.
    for (const QString &path : {f.env.root(), f.env.path(QStringLiteral("pictures")), f.pics})
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(f.path).constData(), 0644) == 0);
    QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0) == 0);
    f.draw = 0.5f;
    const QString got = unprivileged([&]() -> QString {
        Connection db;
        db.Open(f.path, Connection::Access::ReadOnly);
        const auto message = WallpaperOutcomeMessage(ChangeWallpaper(db, QString(), f.seams));
        return f.events.join(QLatin1Char('\n')) + QLatin1Char('|') +
               (message ? message->text : QString());
    });
    ::chmod(QFile::encodeName(locked).constData(), 0700);
    QCOMPARE(got, QStringLiteral("|ERROR #70 : Permission denied\r\nSelect File>DB Repair"));
}

QTEST_APPLESS_MAIN(TestRotation)
#include "tst_rotation.moc"
