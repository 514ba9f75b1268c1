// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The selector's work on table Wallpapers: its two statements, reading the
// list into the grid, storing the additions and removing an entry. Each
// throws AppError and leaves the table as it was on a failure.

#include <QString>
#include <QStringList>

class Connection;
class WallpaperGrid;

// path without its last character when that is "/" (so the root folder
// becomes the empty text); otherwise path.
QString StripTrailingSlash(const QString &path);

// "DELETE from Wallpapers WHERE ID = " + id.
QString DeleteWallpaperStatement(qint64 id);
// "INSERT INTO WallPapers (FileName,Path,Active) Values ('name', 'path', TRUE)"
// with every single quote doubled.
QString InsertWallpaperStatement(const QString &name, const QString &path);

// Appends every row of "SELECT * FROM Wallpapers ORDER BY FILENAME" to grid,
// marking the first cell of each entry whose file is missing. Rows read
// before a failure stay in the grid.
void FillWallpaperGrid(Connection &db, WallpaperGrid &grid);

// Inserts every entry whose ID reads 0, in one transaction; on a failure
// nothing is stored. Returns the number inserted.
int SaveNewWallpapers(Connection &db, const WallpaperGrid &grid);

// Deletes entry row from the table when it is stored (ID above 0), then
// from the grid. On a failure the row stays in both.
void RemoveWallpaper(Connection &db, WallpaperGrid &grid, int row);

// The picture files of folder matching "*.bmp;*.GIF;*.JPG" without regard
// to case, sorted by name.
QStringList PictureFiles(const QString &folder);

// The folders offered as drives: home first, then each mount point
// (mountPoints and fsTypes in step) that is no pseudo file system.
QStringList BrowsableDrives(const QString &home, const QStringList &mountPoints,
                            const QStringList &fsTypes);
