// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wallpaper change at start-up: draw another picture from the active
// entries of table Wallpapers, turn a GIF or JPEG into the program's bitmap,
// store the path as the desktop's "Wallpaper" setting and hand it to the
// running desktop. The change reports what happened; the caller shows the
// message (the core never shows a box).

#include "platform/Prompts.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class Connection;

// A uniform number u with 0 <= u < 1, in single precision.
using RandomSource = std::function<float()>;
// The program's random source.
RandomSource systemRandom();

// What the change reaches outside the database; tests replace each.
struct WallpaperSeams
{
    RandomSource random;
    // Writes the "Wallpaper" setting; its result is not looked at.
    std::function<bool(const QString &)> writeSetting;
    // Shows the picture on the running desktop; failures are silent.
    std::function<void(const QString &)> applyToDesktop;
    // Why the running desktop cannot be handed a path, or "" when it can;
    // asked before anything is written. Unset: every path is taken.
    std::function<QString(const QString &)> desktopRefusal;
    // Where the converted bitmap goes (the Windows folder's stand-in).
    QString bitmapFolder;
};

struct WallpaperOutcome
{
    enum class Kind
    {
        NoDraw,    // fewer than two active entries
        Unchanged, // every entry is the current wallpaper
        Missing,   // the drawn file does not exist
        Refused,   // the desktop cannot take the file's name; nothing was written
        Failed,    // a run-time failure; nothing was written
        Set,       // file was stored as the setting
        Rewritten  // the bitmap, already the setting, holds the new picture
    };
    Kind kind = Kind::NoDraw;
    // The drawn file (Missing), the one the desktop was to show (Refused) or
    // the one it now shows.
    QString file;
    int errorNumber = 0;
    QString errorDescription; // also why the desktop refused the file
};

// A message box to show: text, title (empty for the application's) and icon.
struct WallpaperMessage
{
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
};

// The active entries, path + "/" + FileName each, in the order read.
// Throws AppError (a missing table, a Null name or path).
QStringList ReadWallpaperList(Connection &db);

// The index in list of the drawn entry, drawn again while it equals current
// (case counts); nothing when no entry differs from current or the draws
// run out. r = Int(count * u + 1), counted from 1.
std::optional<int> DrawWallpaper(const QStringList &list, const QString &current,
                                 const RandomSource &random);

// The whole change from the current wallpaper.
WallpaperOutcome ChangeWallpaper(Connection &db, const QString &current,
                                 const WallpaperSeams &seams);

// The box an outcome calls for; nothing for the quiet ones.
std::optional<WallpaperMessage> WallpaperOutcomeMessage(const WallpaperOutcome &outcome);
