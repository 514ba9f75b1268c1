// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/ui/RotateWallpaper.h"

#include "platform/Files.h"
#include "platform/Prompts.h"
#include "registry/REG_MODULE.h"
#include "wallpaper/DesktopWallpaper.h"
#include "wallpaper/WallpaperChange.h"

WallpaperSeams programWallpaperSeams(const QString &subKey, Prompts &prompts)
{
    WallpaperSeams seams;
    seams.random = systemRandom();
    seams.writeSetting = [subKey, &prompts](const QString &file) {
        return SetRegValue(HKEY_CURRENT_USER, subKey, QStringLiteral("Wallpaper"), file, prompts);
    };
    seams.applyToDesktop = [](const QString &file) { DesktopWallpaper().apply(file); };
    seams.desktopRefusal = [](const QString &file) { return DesktopWallpaper().refusal(file); };
    seams.bitmapFolder = userDataFolder();
    return seams;
}

void RotateWallpaper(const QString &currentWallpaper, Connection &db, Prompts &prompts,
                     const WallpaperSeams &seams)
{
    const WallpaperOutcome outcome = ChangeWallpaper(db, currentWallpaper, seams);
    if (const auto message = WallpaperOutcomeMessage(outcome))
        prompts.MsgBox(message->text, MsgButtons::OkOnly, message->icon, message->title);
}
