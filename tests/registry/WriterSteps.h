#pragma once
// The writes the fault tests make, shared by the tests and the child
// process (registry_writer) that makes them under a file-size limit or
// beside a second writer.

#include "platform/Prompts.h"
#include "registry/REG_MODULE.h"

#include <QStringList>

inline const QString kDesktop = QStringLiteral("Control Panel\\Desktop\\");

// "set" writes the start-up value Wallpaper, "delete" deletes it.
inline bool wallpaperStep(const QString &op, Prompts &prompts)
{
    if (op == QLatin1String("set"))
        return SetRegValue(HKEY_CURRENT_USER, kDesktop, QStringLiteral("Wallpaper"),
                           QStringLiteral("C:\\new.bmp"), prompts);
    return DeleteRegKeyValue(HKEY_CURRENT_USER, kDesktop, QStringLiteral("Wallpaper"), prompts);
}

// A step's result as "True" or "False", then each message shown, one a line.
inline QString stepReport(bool ok, const QStringList &shown)
{
    return (QStringList{ok ? QStringLiteral("True") : QStringLiteral("False")} + shown)
        .join(QLatin1Char('\n'));
}
