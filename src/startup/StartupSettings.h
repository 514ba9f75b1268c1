// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings the start-up reads and the commands write, the colour table
// and the once-per-day rule. Keys and defaults are declared here, once.

#include <QDate>
#include <QString>
#include <array>

namespace SettingKey {
inline const QString StartOnce = QStringLiteral("StartOnce");
inline const QString RecentEvents = QStringLiteral("RecentEvents");
inline const QString ChangeWallpaper = QStringLiteral("ChangeWallpaper");
inline const QString RunRegTool = QStringLiteral("RunRegTool");
inline const QString LastStart = QStringLiteral("LastStart");
} // namespace SettingKey

// LastStart when the program has never started.
inline const QString kLastStartDefault = QStringLiteral("01/01/2000");

// Colour i as stored when the user never chose one (0x00BBGGRR numbers):
// today, 1 day, 2 days, 3 days, the list background, recent events.
inline constexpr std::array<quint32, 6> kDefaultColours = {65280, 4227327,  6008319,
                                                           65535, 14941177, 14671839};

// The colour table: entry i holds colour i as read from the settings (text)
// or as chosen by the colour command (a number written as text). Room for
// eleven entries; 0 to 5 are used.
extern std::array<QString, 11> ColourTable;
// The day of this start: the month list counts from it, not from the clock.
extern QDate TodayDate;
// Shift was held while the program started.
extern bool ShiftOverride;

// ColourTable(i) = setting "Colour" + i, for i from 0 to 5.
void LoadColours();
// Writes ColourTable(0..5) as text under "Colour" + i, in one write; throws
// AppError as SaveSettings does.
void SaveColours();
// Entry i as a colour number. Throws AppError 13 (type mismatch) when the
// text is not a whole number, 380 when it is no colour.
quint32 colourNumber(int index);

// The four option switches as the settings hold them (absent means false).
struct StartOptions
{
    bool startOnce = false;
    bool recentEvents = false;
    bool changeWallpaper = false;
    bool runRegTool = false;
};
StartOptions readStartOptions();

// LastStart as stored, or its default.
QString readLastStart();
// True when no start was ever recorded.
bool isFirstStart();
// The once-per-day rule: true when this start is to end at once, with no
// window and nothing written. A first start never counts as one made today.
bool endsAtOnce(bool firstStart, const QString &lastStart, const QDate &today, bool startOnce,
                bool shiftOverride);
// LastStart = today as "dd/mm/yyyy"; throws AppError as SaveSetting does.
void writeLastStart(const QDate &today);
