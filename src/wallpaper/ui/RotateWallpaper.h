// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start-up's wallpaper change with the program's own database,
// registry, random source and desktop; its message shown through prompts.

#include "wallpaper/WallpaperChange.h"

#include <QString>

class Connection;
class Prompts;

// The program's seams: SetRegValue under HKEY_CURRENT_USER subKey
// "Wallpaper", DesktopWallpaper, the user's data folder.
WallpaperSeams programWallpaperSeams(const QString &subKey, Prompts &prompts);

// Changes the wallpaper from currentWallpaper and shows the message the
// outcome calls for ("Wallpaper missing", "Wallpaper not shown", "ERROR #").
void RotateWallpaper(const QString &currentWallpaper, Connection &db, Prompts &prompts,
                     const WallpaperSeams &seams);
