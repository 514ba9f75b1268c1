// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/WallpaperChange.h"

#include "platform/AppError.h"
#include "platform/Files.h"
#include "registry/ErrorText.h"
#include "store/RecordSet.h"
#include "wallpaper/Pictures.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace {

QString textField(const RecordSet &rs, const QString &name)
{
    const QVariant v = rs.Fields(name);
    if (v.isNull())
        throw invalidUseOfNull();
    return v.toString();
}

WallpaperOutcome failed()
{
    const AppError e = currentAppError();
    WallpaperOutcome out;
    out.kind = WallpaperOutcome::Kind::Failed;
    out.errorNumber = e.number();
    out.errorDescription = e.description();
    return out;
}

} // namespace

RandomSource systemRandom()
{
    // 24 random bits are exact in single precision and stay below 1.
    return [] { return float(QRandomGenerator::global()->bounded(1u << 24)) / float(1u << 24); };
}

QStringList ReadWallpaperList(Connection &db)
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Wallpapers WHERE Active = True"), db, adOpenDynamic,
            adLockOptimistic);
    QStringList list;
    for (; !rs.isEOF(); rs.MoveNext())
        list << textField(rs, QStringLiteral("path")) + QLatin1Char('/') +
                    textField(rs, QStringLiteral("FileName"));
    rs.Close();
    return list;
}

std::optional<int> DrawWallpaper(const QStringList &list, const QString &current,
                                 const RandomSource &random)
{
    const int count = int(list.size());
    if (std::none_of(list.begin(), list.end(), [&](const QString &e) { return e != current; }))
        return std::nullopt;
    // With one entry of n left to hit, this many draws all miss it with a
    // chance of about e^-64; a source that always answers the same ends too.
    const int limit = 64 * std::max(count, 2);
    for (int i = 0; i < limit; ++i) {
        const float u = random();
        const int r = std::clamp(int(std::floor(float(count) * u + 1.0f)), 1, count);
        if (list[r - 1] != current)
            return r - 1;
    }
    return std::nullopt;
}

WallpaperOutcome ChangeWallpaper(Connection &db, const QString &current,
                                 const WallpaperSeams &seams)
{
    using Kind = WallpaperOutcome::Kind;
    QStringList list;
    try {
        list = ReadWallpaperList(db);
    } catch (...) {
        return failed();
    }
    WallpaperOutcome out;
    if (list.size() <= 1)
        return out; // two, not one, is the least list that rotates
    const std::optional<int> drawn = DrawWallpaper(list, current, seams.random);
    if (!drawn) {
        out.kind = Kind::Unchanged;
        return out;
    }
    QString file = list[*drawn];
    out.file = file;
    if (!FileExists(file)) {
        out.kind = Kind::Missing;
        return out;
    }
    // A name the desktop cannot take stops the change before the bitmap or
    // the setting is written.
    const QString shown = NeedsBitmap(file) ? BitmapPath(seams.bitmapFolder) : file;
    const QString refused = seams.desktopRefusal ? seams.desktopRefusal(shown) : QString();
    if (!refused.isEmpty()) {
        out.kind = Kind::Refused;
        out.file = shown;
        out.errorDescription = refused;
        return out;
    }
    if (NeedsBitmap(file)) {
        try {
            file = shown;
            ConvertToBitmap(out.file, file);
        } catch (...) {
            return failed();
        }
    }
    out.file = file;
    // Only the bitmap can already be the setting: the draw never picks it.
    if (file != current) {
        seams.writeSetting(file);
        out.kind = Kind::Set;
    } else {
        out.kind = Kind::Rewritten;
    }
    // Nothing here reads the setting, so the desktop is told as well; also
    // when only the bitmap's picture changed.
    seams.applyToDesktop(file);
    return out;
}

std::optional<WallpaperMessage> WallpaperOutcomeMessage(const WallpaperOutcome &outcome)
{
    switch (outcome.kind) {
    case WallpaperOutcome::Kind::Missing:
        return WallpaperMessage{
            QStringLiteral("Wallpaper selected: ") + outcome.file +
                QStringLiteral(" does not exist.\r\nPlease update Wallpaper list"),
            QStringLiteral("Wallpaper missing"), MsgIcon::Information};
    case WallpaperOutcome::Kind::Refused:
        return WallpaperMessage{QStringLiteral("Wallpaper selected: ") + outcome.file +
                                    QStringLiteral(" cannot be shown: ") +
                                    outcome.errorDescription +
                                    QStringLiteral(".\r\nPlease update Wallpaper list"),
                                QStringLiteral("Wallpaper not shown"), MsgIcon::Information};
    case WallpaperOutcome::Kind::Failed:
        return WallpaperMessage{QStringLiteral("ERROR #") + QString::number(outcome.errorNumber) +
                                    QStringLiteral(" : ") + outcome.errorDescription +
                                    QStringLiteral("\r\n") + kRepairHint,
                                QString(), MsgIcon::None};
    default:
        return std::nullopt;
    }
}
