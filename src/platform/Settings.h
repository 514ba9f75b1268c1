#pragma once
// The per-user settings store: application "Almarik2", section "Settings",
// every value kept as text. Tests move it with XDG_CONFIG_HOME.

#include <QString>

QString GetSetting(const QString &key, const QString &defaultText);
void SaveSetting(const QString &key, const QString &value);

// "True"/"False" as the option switches write them; anything else is false
// unless it reads as a non-zero number, as the classic conversion does.
bool settingToBool(const QString &text);
QString boolToSetting(bool value);
