// SPDX-License-Identifier: GPL-3.0-or-later
// The wallpaper selector: its statements and the drives offered, the picture
// files and the list read from the table, saving and removing, and what the
// window says when a save or a removal fails; a named pipe among the entries
// previews as nothing, and closing the window waits for no preview.

#include "store/RecordSet.h"
#include "support/TestDatabase.h"
#include "wallpaper/WallpaperGrid.h"
#include "wallpaper/WallpaperTable.h"
#include "wallpaper/ui/frmWallPaper.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTableView>
#include <QTest>
#include <QThreadPool>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

// The stored file names, by ID.
QStringList names(Connection &db)
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT FileName FROM Wallpapers ORDER BY ID"), db);
    QStringList out;
    for (; !rs.isEOF(); rs.MoveNext())
        out << rs.Fields(QStringLiteral("FileName")).toString();
    return out;
}

// The grid's rows, titles first, as "Name|Path|ID", "*" after a yellow one.
QStringList rows(const WallpaperGrid &g)
{
    QStringList out;
    for (int r = 0; r < g.Rows(); ++r)
        out << g.TextMatrix(r, 0) + QLatin1Char('|') + g.TextMatrix(r, 1) + QLatin1Char('|') +
                   g.TextMatrix(r, 2) + (g.isMarkedMissing(r) ? QStringLiteral("*") : QString());
    return out;
}

} // namespace

class TestSelector : public QObject
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void listSaveRemoveAndPreview();
};

void TestSelector::texts_data()
{
    QTest::addColumn<QString>("got");
    QTest::addColumn<QString>("expected");
    QTest::newRow("delete") << DeleteWallpaperStatement(12)
                            << "DELETE from Wallpapers WHERE ID = 12";
    QTest::newRow("insert, quotes doubled")
        << InsertWallpaperStatement("it's.bmp", "/home/o'neil/Bilder äö")
        << "INSERT INTO WallPapers (FileName,Path,Active) Values ('it''s.bmp', "
           "'/home/o''neil/Bilder äö', TRUE)";
    QTest::newRow("root folder stripped") << StripTrailingSlash("/") << "";
    QTest::newRow("only the last slash") << StripTrailingSlash("/home/x//") << "/home/x/";
    // Pseudo file systems by type, the system's own mounts by place.
    const QStringList points = {"/", "/tmp", "/run/user/1", "/run/media/C", "/sys-data", "/home/a"};
    const QStringList types = {"ext4", "tmpfs", "ext4", "exfat", "xfs", "ext4"};
    QTest::newRow("drives") << BrowsableDrives("/home/a", points, types).join(' ')
                            << "/home/a / /run/media/C /sys-data";
}

void TestSelector::texts()
{
    QFETCH(QString, got);
    QTEST(got, "expected");
}

// The picture files, the list read from the table and removing; a failed
// save rolled back with the window kept open and the new rows kept, a failed
// removal reported (the save itself: the insert row); then previews.
void TestSelector::listSaveRemoveAndPreview()
{
    TestDatabase f;
    const QString root = f.env.root();
    QImage(4, 4, QImage::Format_RGB32).save(f.env.path(QStringLiteral("b.bmp")), "BMP");
    for (const char *name : {"d.GIF", "C.Jpg", "e.jpeg", "f.png", "g.jpg.txt"})
        QFile(f.env.path(QLatin1String(name))).open(QIODevice::WriteOnly);
    QDir(root).mkdir(QStringLiteral("folder.jpg"));
    QCOMPARE(PictureFiles(root), (QStringList{"b.bmp", "C.Jpg", "d.GIF"}));
    f.db.Execute(InsertWallpaperStatement(QStringLiteral("b.bmp"), root));
    f.db.Execute(InsertWallpaperStatement(QStringLiteral("A gone.bmp"), root));
    auto w = std::make_unique<frmWallPaper>(nullptr, f.db, f.prompts);
    w->Form_Load(); // by name, a missing file marked
    const QString gone = "A gone.bmp|" + root + "|2*", b = "b.bmp|" + root + "|1";
    QCOMPARE(rows(*w->grid), (QStringList{"Name|Path|ID", gone, b}));
    w->grid->AddItem(QStringLiteral("it's a.bmp"), QStringLiteral("/p/"), QStringLiteral("0"));
    w->grid->AddItem(QStringLiteral("bad.bmp"), QStringLiteral("/p"), QStringLiteral("0"));
    // Written straight to the file: a trigger holds a second statement.
    QCOMPARE(sqlite3_exec(f.db.handle(),
                          "CREATE TRIGGER refuse BEFORE INSERT ON Wallpapers WHEN NEW.FileName = "
                          "'bad.bmp' BEGIN SELECT RAISE(ABORT, 'refused'); END",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    w->cmd_Click(0);
    QCOMPARE(names(f.db), (QStringList{"b.bmp", "A gone.bmp"})); // the first insert rolled back
    QCOMPARE(f.prompts.takeBoxes().value(0).section(QLatin1String(" : "), 1),
             QStringLiteral("refused\r\nThe new entries were not saved."));
    QCOMPARE(w->result(), int(QDialog::Rejected)); // still open
    RemoveWallpaper(f.db, *w->grid, 1);            // a stored entry goes from the table at once
    QCOMPARE(names(f.db), QStringList{"b.bmp"});
    f.db.Execute(QStringLiteral("DROP TABLE Wallpapers"));
    RemoveWallpaper(f.db, *w->grid, 2); // a new one runs no statement
    w->Grid1->setCurrentIndex(w->grid->index(0, 0));
    w->Grid1_DblClick();
    QVERIFY(
        f.prompts.takeBoxes().value(0).endsWith(QLatin1String("\r\nThe entry was not removed.")));
    QCOMPARE(rows(*w->grid), (QStringList{"Name|Path|ID", b, "bad.bmp|/p|0"}));

    // A named pipe among the entries previews as nothing.
    QVERIFY(::mkfifo(QFile::encodeName(f.env.path(QStringLiteral("pipe.jpg"))).constData(), 0644) ==
            0);
    w->grid->AddItem(QStringLiteral("pipe.jpg"), root, QStringLiteral("0"));
    const auto click = [&](int row) {
        w->Grid1->setCurrentIndex(w->grid->index(row - 1, 0));
        w->Grid1_Click();
    };
    click(1);
    w->finishPreview();
    QCOMPARE(w->previewImage().size(), QSize(4, 4));
    click(3); // no picture, and no wait for a writer
    w->finishPreview();
    QCOMPARE(w->previewImage().size(), QSize(4, 4));
    QCOMPARE(w->cursor().shape(), Qt::ArrowCursor); // the busy pointer is gone
    // A preview held back in a busy pool: the window closes at once and the
    // load, ending later, finds no window.
    QThreadPool &pool = *QThreadPool::globalInstance();
    const int threads = pool.maxThreadCount();
    pool.setMaxThreadCount(1);
    QSemaphore release;
    pool.start([&] { release.acquire(); });
    click(1);
    w.reset();
    release.release();
    pool.waitForDone();
    QCoreApplication::processEvents();
    pool.setMaxThreadCount(threads);
}

QTEST_MAIN(TestSelector)
#include "tst_selector.moc"
