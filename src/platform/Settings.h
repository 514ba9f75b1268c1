// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-user settings store: application "Almarik2", section "Settings",
// every value kept as text. Tests move it with XDG_CONFIG_HOME.

#include <QList>
#include <QString>

#include <utility>

QString GetSetting(const QString &key, const QString &defaultText);
// Saves the values in one write of the file. Throws AppError when the file
// cannot be written; it is then as it was.
void SaveSetting(const QString &key, const QString &value);
void SaveSettings(const QList<std::pair<QString, QString>> &values);

// "True"/"False" as the option switches write them; anything else is false
// unless it reads as a non-zero number, as the classic conversion does.
bool settingToBool(const QString &text);
QString boolToSetting(bool value);
