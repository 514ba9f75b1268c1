// The wallpaper selector: its two statements, the grid's rules, the list read
// from the table, and the window's adding, removing and saving, with a
// failed save rolled back and the new rows kept.

#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"
#include "wallpaper/WallpaperGrid.h"
#include "wallpaper/WallpaperTable.h"
#include "wallpaper/frmWallPaper.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QTableView>
#include <QTest>

#include <sqlite3.h>

namespace {

class Fixture
{
public:
    Fixture()
    {
        pics = env.path(QStringLiteral("pics"));
        QDir().mkpath(pics);
        CreateDatabase(env.path(QStringLiteral("Almarik.MDB")));
        db.Open(Connection::connectionStringFor(env.path(QStringLiteral("Almarik.MDB"))));
    }

    void picture(const QString &name, QSize size = QSize(8, 6))
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::green);
        QVERIFY(image.save(pics + QLatin1Char('/') + name, "BMP"));
    }

    void store(const QString &name, const QString &path)
    {
        db.Execute(InsertWallpaperStatement(name, path));
    }

    // The table as "FileName|path|Active" rows, by ID.
    QStringList table()
    {
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT * FROM Wallpapers ORDER BY ID"), db);
        QStringList out;
        for (; !rs.isEOF(); rs.MoveNext())
            out << rs.Fields(QStringLiteral("FileName")).toString() + QLatin1Char('|') +
                       rs.Fields(QStringLiteral("path")).toString() + QLatin1Char('|') +
                       rs.Fields(QStringLiteral("Active")).toString();
        return out;
    }

    frmWallPaper &open()
    {
        form = std::make_unique<frmWallPaper>(nullptr, db, prompts);
        form->Form_Load();
        return *form;
    }

    // The grid's rows, titles first, as "Name|Path|ID", "*" after a yellow one.
    QStringList rows() const
    {
        QStringList out;
        const WallpaperGrid &g = *form->grid;
        for (int r = 0; r < g.Rows(); ++r)
            out << g.TextMatrix(r, 0) + QLatin1Char('|') + g.TextMatrix(r, 1) +
                       QLatin1Char('|') + g.TextMatrix(r, 2) +
                       (g.isMarkedMissing(r) ? QStringLiteral("*") : QString());
        return out;
    }

    void selectRow(int row) { form->Grid1->setCurrentIndex(form->grid->index(row - 1, 0)); }

    TestEnv env;
    QString pics;
    Connection db;
    ScriptedPrompts prompts;
    std::unique_ptr<frmWallPaper> form;
};

const QString kRefuseBad = QStringLiteral(
    "CREATE TRIGGER refuse BEFORE INSERT ON Wallpapers WHEN NEW.FileName = 'bad.bmp' "
    "BEGIN SELECT RAISE(ABORT, 'refused'); END");

} // namespace

class TestSelector : public QObject
{
    Q_OBJECT
private slots:
    void statements_data();
    void statements();
    void stripTrailingSlash_data();
    void stripTrailingSlash();
    void fixedRows_data();
    void fixedRows();
    void pictureFilesIgnoreCase();
    void drives_data();
    void drives();
    void opening_data();
    void opening();
    void addAndSave();
    void failedSaveKeepsTheNewRows();
    void removing();
    void previewAndPlaceholder();
};

void TestSelector::statements_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("delete") << DeleteWallpaperStatement(12)
                            << "DELETE from Wallpapers WHERE ID = 12";
    QTest::newRow("insert, quotes doubled")
        << InsertWallpaperStatement("it's.bmp", "/home/o'neil/Bilder äö")
        << "INSERT INTO WallPapers (FileName,Path,Active) Values ('it''s.bmp', "
           "'/home/o''neil/Bilder äö', TRUE)";
}

void TestSelector::statements()
{
    QFETCH(QString, statement);
    QFETCH(QString, expected);
    QCOMPARE(statement, expected);
}

void TestSelector::stripTrailingSlash_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("root folder") << "/" << "";
    QTest::newRow("one slash at the end") << "/home/x/" << "/home/x";
    QTest::newRow("only the last one") << "/home/x//" << "/home/x/";
    QTest::newRow("none") << "/home/x" << "/home/x";
    QTest::newRow("a backslash is a name character here") << "/home/x\\" << "/home/x\\";
    QTest::newRow("empty") << "" << "";
}

void TestSelector::stripTrailingSlash()
{
    QFETCH(QString, path);
    QFETCH(QString, stripped);
    QCOMPARE(StripTrailingSlash(path), stripped);
}

void TestSelector::fixedRows_data()
{
    // Steps "add" or "remove N"; after each, "Rows/FixedRows".
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("states");
    QTest::newRow("first entry fixes the title row")
        << QStringList{"add", "add"} << QStringList{"2/1", "3/1"};
    QTest::newRow("removing the only entry leaves the title row alone")
        << QStringList{"add", "remove 1"} << QStringList{"2/1", "1/0"};
    QTest::newRow("removing one of two keeps it fixed")
        << QStringList{"add", "add", "remove 2", "remove 1"}
        << QStringList{"2/1", "3/1", "2/1", "1/0"};
    QTest::newRow("no row to remove") << QStringList{"remove 1", "remove 0"}
                                      << QStringList{"1/0", "1/0"};
}

void TestSelector::fixedRows()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, states);
    WallpaperGrid grid;
    QStringList got;
    for (const QString &step : steps) {
        if (step == QLatin1String("add"))
            grid.AddItem(QStringLiteral("a.bmp"), QStringLiteral("/p"), QStringLiteral("0"));
        else
            grid.RemoveItem(step.section(QLatin1Char(' '), 1).toInt());
        got << QString::number(grid.Rows()) + QLatin1Char('/') + QString::number(grid.FixedRows());
    }
    QCOMPARE(got, states);
    QCOMPARE(grid.TextMatrix(0, 2), QStringLiteral("ID"));
}

void TestSelector::pictureFilesIgnoreCase()
{
    Fixture f;
    for (const char *name : {"b.GIF", "a.bmp", "C.Jpg", "d.BMP", "e.jpeg", "f.png", "g.jpg.txt"})
        QFile(f.pics + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly);
    QDir(f.pics).mkdir(QStringLiteral("folder.jpg"));
    QCOMPARE(PictureFiles(f.pics), (QStringList{"a.bmp", "b.GIF", "C.Jpg", "d.BMP"}));
}

void TestSelector::drives_data()
{
    QTest::addColumn<QStringList>("points");
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QStringList>("drives");
    QTest::newRow("home first, pseudo file systems left out")
        << QStringList{"/", "/proc", "/sys/fs/cgroup", "/dev/shm", "/run/user/1000", "/tmp",
                       "/media/usb", "/run/media/anna/CARD", "/home"}
        << QStringList{"ext4", "proc", "cgroup2", "tmpfs", "tmpfs", "tmpfs", "vfat", "exfat",
                       "ext4"}
        << QStringList{"/home/anna", "/", "/media/usb", "/run/media/anna/CARD", "/home"};
    QTest::newRow("a folder that only begins like a system one stays")
        << QStringList{"/system-data", "/snapshots", "/snap/core/1"}
        << QStringList{"xfs", "btrfs", "squashfs"}
        << QStringList{"/home/anna", "/system-data", "/snapshots"};
    QTest::newRow("home is not listed twice") << QStringList{"/home/anna"} << QStringList{"ext4"}
                                              << QStringList{"/home/anna"};
}

void TestSelector::drives()
{
    QFETCH(QStringList, points);
    QFETCH(QStringList, types);
    QFETCH(QStringList, drives);
    QCOMPARE(BrowsableDrives(QStringLiteral("/home/anna"), points, types), drives);
}

void TestSelector::opening_data()
{
    QTest::addColumn<bool>("withRows");
    QTest::newRow("empty table: only the title row") << false;
    QTest::newRow("sorted by name, missing files yellow") << true;
}

void TestSelector::opening()
{
    QFETCH(bool, withRows);
    Fixture f;
    QStringList expected{"Name|Path|ID"};
    if (withRows) {
        f.picture(QStringLiteral("b.bmp"));
        f.store(QStringLiteral("b.bmp"), f.pics);
        f.store(QStringLiteral("A gone.bmp"), f.pics);
        expected << "A gone.bmp|" + f.pics + "|2*" << "b.bmp|" + f.pics + "|1";
    }
    f.open();
    QCOMPARE(f.rows(), expected);
    QCOMPARE(f.form->grid->FixedRows(), withRows ? 1 : 0);
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Wallpapers"));
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestSelector::addAndSave()
{
    Fixture f;
    f.picture(QStringLiteral("it's a.bmp"));
    f.picture(QStringLiteral("Ünï b.bmp"));
    f.picture(QStringLiteral("c.bmp"));
    f.store(QStringLiteral("old.bmp"), QStringLiteral("/old"));
    frmWallPaper &w = f.open();
    w.setFolder(f.pics + QLatin1Char('/'));
    QCOMPARE(w.File1->count(), 3);
    // "Add" takes the selected files from first to last; a double-click the current one.
    w.File1->item(2)->setSelected(true);
    w.File1->item(0)->setSelected(true);
    w.cmd_Click(2);
    w.File1->setCurrentRow(1);
    w.File1_DblClick();
    QCOMPARE(f.rows(), (QStringList{"Name|Path|ID", "old.bmp|/old|1*", "c.bmp|" + f.pics + "|0",
                                    "Ünï b.bmp|" + f.pics + "|0", "it's a.bmp|" + f.pics + "|0"}));
    w.cmd_Click(0);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(f.table(), (QStringList{"old.bmp|/old|true", "c.bmp|" + f.pics + "|true",
                                     "Ünï b.bmp|" + f.pics + "|true",
                                     "it's a.bmp|" + f.pics + "|true"}));
}

void TestSelector::failedSaveKeepsTheNewRows()
{
    Fixture f;
    // Written straight to the file: a trigger holds a second statement.
    QCOMPARE(sqlite3_exec(f.db.handle(), kRefuseBad.toUtf8().constData(), nullptr, nullptr, nullptr),
             SQLITE_OK);
    frmWallPaper &w = f.open();
    w.grid->AddItem(QStringLiteral("good.bmp"), QStringLiteral("/p"), QStringLiteral("0"));
    w.grid->AddItem(QStringLiteral("bad.bmp"), QStringLiteral("/p"), QStringLiteral("0"));
    w.cmd_Click(0);
    QCOMPARE(f.table(), QStringList()); // good.bmp rolled back
    QCOMPARE(f.prompts.boxes.size(), 1);
    QVERIFY2(f.prompts.boxes[0].text.endsWith(
                 QLatin1String(" : refused\r\nThe new entries were not saved.")),
             qPrintable(f.prompts.boxes[0].text));
    QVERIFY(f.prompts.boxes[0].text.startsWith(QLatin1String("ERROR #")));
    QCOMPARE(w.result(), int(QDialog::Rejected)); // not closed by Save
    QCOMPARE(f.rows().size(), 3);

    // Cancel drops them.
    w.cmd_Click(1);
    QCOMPARE(f.table(), QStringList());
}

void TestSelector::removing()
{
    Fixture f;
    f.store(QStringLiteral("a.bmp"), QStringLiteral("/p"));
    f.store(QStringLiteral("b.bmp"), QStringLiteral("/p"));
    frmWallPaper &w = f.open();
    w.grid->AddItem(QStringLiteral("new.bmp"), QStringLiteral("/p"), QStringLiteral("0"));
    // A stored entry goes from the table at once.
    f.selectRow(1);
    w.Grid1_DblClick();
    QCOMPARE(f.table(), QStringList{"b.bmp|/p|true"});
    // A new one runs no statement (the table would refuse any now).
    f.db.Execute(QStringLiteral("DROP TABLE Wallpapers"));
    f.selectRow(2);
    w.Grid1_DblClick();
    QCOMPARE(f.rows(), (QStringList{"Name|Path|ID", "b.bmp|/p|2*"}));
    QVERIFY(f.prompts.boxes.isEmpty());
    // A failed DELETE says so and keeps the row.
    f.selectRow(1);
    w.Grid1_DblClick();
    QCOMPARE(f.rows(), (QStringList{"Name|Path|ID", "b.bmp|/p|2*"}));
    QCOMPARE(f.prompts.boxes.size(), 1);
    QVERIFY(f.prompts.boxes[0].text.endsWith(QLatin1String("\r\nThe entry was not removed.")));
}

void TestSelector::previewAndPlaceholder()
{
    Fixture f;
    f.picture(QStringLiteral("wide.bmp"), QSize(4000, 1000));
    f.store(QStringLiteral("wide.bmp"), f.pics);
    f.store(QStringLiteral("x gone.bmp"), f.pics);
    frmWallPaper &w = f.open();
    f.selectRow(1);
    w.Grid1_Click();
    w.finishPreview();
    // Scaled down to fit, keeping its shape.
    const QSize shown = w.previewImage().size();
    QVERIFY(shown.width() < 4000 && shown.width() <= w.Picture1->width());
    QCOMPARE(shown.width() / shown.height(), 4);
    f.selectRow(2);
    w.Grid1_Click();
    QCOMPARE(w.previewImage(), w.Image1->pixmap().toImage());
    QVERIFY(f.form->grid->isMarkedMissing(2));
}

QTEST_MAIN(TestSelector)
#include "tst_selector.moc"
