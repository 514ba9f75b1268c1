#include "platform/Settings.h"

#include <QSettings>

namespace {

QSettings store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Almarik2"),
                     QStringLiteral("Almarik2"));
}

QString keyPath(const QString &key)
{
    return QStringLiteral("Settings/") + key;
}

} // namespace

QString GetSetting(const QString &key, const QString &defaultText)
{
    return store().value(keyPath(key), defaultText).toString();
}

void SaveSetting(const QString &key, const QString &value)
{
    QSettings s = store();
    s.setValue(keyPath(key), value);
    s.sync();
}

bool settingToBool(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double n = t.toDouble(&ok);
    return ok && n != 0;
}

QString boolToSetting(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
