// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/StartupSettings.h"

#include "platform/AppError.h"
#include "platform/Settings.h"

std::array<QString, 11> ColourTable;
QDate TodayDate;
bool ShiftOverride = false;

namespace {

QString colourKey(int index)
{
    return QStringLiteral("Colour") + QString::number(index);
}

// A day as LastStart holds it.
QString startDayText(const QDate &day)
{
    return day.toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace

void LoadColours()
{
    for (int i = 0; i < 6; ++i)
        ColourTable[size_t(i)] =
            GetSetting(colourKey(i), QString::number(kDefaultColours[size_t(i)]));
}

void SaveColours()
{
    QList<std::pair<QString, QString>> values;
    for (int i = 0; i < 6; ++i)
        values.append({colourKey(i), ColourTable[size_t(i)]});
    SaveSettings(values);
}

quint32 colourNumber(int index)
{
    bool ok = false;
    const qlonglong n = ColourTable.at(size_t(index)).trimmed().toLongLong(&ok);
    if (!ok)
        throw classicError(ErrNo::TypeMismatch);
    if (n < 0 || n > 0xFFFFFF)
        throw AppError(ErrNo::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    return quint32(n);
}

StartOptions readStartOptions()
{
    const QString no = boolToSetting(false);
    StartOptions o;
    o.startOnce = settingToBool(GetSetting(SettingKey::StartOnce, no));
    o.recentEvents = settingToBool(GetSetting(SettingKey::RecentEvents, no));
    o.changeWallpaper = settingToBool(GetSetting(SettingKey::ChangeWallpaper, no));
    o.runRegTool = settingToBool(GetSetting(SettingKey::RunRegTool, no));
    return o;
}

QString readLastStart()
{
    return GetSetting(SettingKey::LastStart, kLastStartDefault);
}

bool isFirstStart()
{
    return GetSetting(SettingKey::LastStart, QString()).isEmpty();
}

bool endsAtOnce(bool firstStart, const QString &lastStart, const QDate &today, bool startOnce,
                bool shiftOverride)
{
    return !firstStart && startDayText(today) == lastStart && startOnce && !shiftOverride;
}

void writeLastStart(const QDate &today)
{
    SaveSetting(SettingKey::LastStart, startDayText(today));
}
