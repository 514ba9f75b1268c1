// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Settings.h"

#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariantMap>

#include <cerrno>

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

void SaveSettings(const QList<std::pair<QString, QString>> &values)
{
    // QSettings puts a file whose last write failed in place of the good one
    // (its save does not check the final flush). So it writes a scratch copy,
    // which counts only when it reads back with every value, and the checked
    // writer puts those bytes in place.
    QSettings current = store();
    QVariantMap expected;
    for (const QString &key : current.allKeys())
        expected.insert(key, current.value(key));
    for (const auto &[key, value] : values)
        expected.insert(keyPath(key), value);
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(QStringLiteral("settings.ini"));
    {
        QSettings next(copy, QSettings::IniFormat);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            next.setValue(it.key(), it.value());
    }
    QSettings back(copy, QSettings::IniFormat);
    QVariantMap read;
    for (const QString &key : back.allKeys())
        read.insert(key, back.value(key));
    if (!scratch.isValid() || back.status() != QSettings::NoError || read != expected)
        throw fileError(ENOSPC, copy);
    const QString path = current.fileName();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw fileError(EACCES, path);
    writeWholeFile(path, readWholeFile(copy));
}

void SaveSetting(const QString &key, const QString &value)
{
    SaveSettings({{key, value}});
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
