// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/WallpaperTable.h"

#include "platform/AppError.h"
#include "platform/Files.h"
#include "store/Connection.h"
#include "store/Literals.h"
#include "store/RecordSet.h"
#include "store/Transaction.h"
#include "wallpaper/WallpaperGrid.h"

#include <QDir>
#include <QSet>

QString StripTrailingSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path.chopped(1) : path;
}

QString DeleteWallpaperStatement(qint64 id)
{
    return QStringLiteral("DELETE from Wallpapers WHERE ID = ") + QString::number(id);
}

QString InsertWallpaperStatement(const QString &name, const QString &path)
{
    return QStringLiteral("INSERT INTO WallPapers (FileName,Path,Active) Values ('") +
           QuoteSql(name) + QStringLiteral("', '") + QuoteSql(path) + QStringLiteral("', TRUE)");
}

void FillWallpaperGrid(Connection &db, WallpaperGrid &grid)
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Wallpapers ORDER BY FILENAME"), db, adOpenDynamic,
            adLockOptimistic);
    for (; !rs.isEOF(); rs.MoveNext()) {
        // A Null shows as an empty cell, as the grid's text would.
        const QString name = rs.Fields(QStringLiteral("FileName")).toString();
        const QString path = rs.Fields(QStringLiteral("path")).toString();
        grid.AddItem(name, path, rs.Fields(QStringLiteral("Id")).toString());
        if (!FileExists(path + QLatin1Char('/') + name))
            grid.markMissing(grid.Rows() - 1);
    }
}

int SaveNewWallpapers(Connection &db, const WallpaperGrid &grid)
{
    QStringList statements;
    for (int row = 1; row < grid.Rows(); ++row) {
        if (WallpaperGrid::idValue(grid.TextMatrix(row, 2)) == 0)
            statements << InsertWallpaperStatement(grid.TextMatrix(row, 0),
                                                   StripTrailingSlash(grid.TextMatrix(row, 1)));
    }
    if (statements.isEmpty())
        return 0;
    Transaction transaction(db);
    for (const QString &s : statements)
        db.Execute(s);
    transaction.commit();
    return int(statements.size());
}

void RemoveWallpaper(Connection &db, WallpaperGrid &grid, int row)
{
    if (row < 1 || row >= grid.Rows())
        return;
    const qint64 id = WallpaperGrid::idValue(grid.TextMatrix(row, 2));
    if (id > 0)
        db.Execute(DeleteWallpaperStatement(id));
    grid.RemoveItem(row);
}

QStringList PictureFiles(const QString &folder)
{
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.bmp"), QStringLiteral("*.GIF"), QStringLiteral("*.JPG")});
    // Without QDir::CaseSensitive the patterns ignore case.
    dir.setFilter(QDir::Files | QDir::Readable | QDir::Hidden);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

QStringList BrowsableDrives(const QString &home, const QStringList &mountPoints,
                            const QStringList &fsTypes)
{
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),     QStringLiteral("sysfs"),      QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"),   QStringLiteral("tmpfs"),      QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),  QStringLiteral("securityfs"), QStringLiteral("debugfs"),
        QStringLiteral("tracefs"),  QStringLiteral("configfs"),   QStringLiteral("fusectl"),
        QStringLiteral("mqueue"),   QStringLiteral("hugetlbfs"),  QStringLiteral("pstore"),
        QStringLiteral("bpf"),      QStringLiteral("autofs"),     QStringLiteral("binfmt_misc"),
        QStringLiteral("efivarfs"), QStringLiteral("nsfs"),       QStringLiteral("ramfs"),
        QStringLiteral("squashfs")};
    QStringList drives{home};
    for (qsizetype i = 0; i < mountPoints.size() && i < fsTypes.size(); ++i) {
        const QString &point = mountPoints[i];
        auto under = [&point](const char *folder) {
            return point == QLatin1String(folder) ||
                   point.startsWith(QLatin1String(folder) + QLatin1Char('/'));
        };
        // Mounts the system makes for itself; removable media under /run stay.
        const bool system = under("/proc") || under("/sys") || under("/dev") || under("/snap") ||
                            (under("/run") && !under("/run/media"));
        if (system || pseudo.contains(fsTypes[i]) || drives.contains(point))
            continue;
        drives << point;
    }
    return drives;
}
