// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/SysInfo.h"

#include "platform/Prompts.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kMsinfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

} // namespace

QString KeyValueText(quint32 type, const QString &data, quint32 length)
{
    QString value = data.left(qsizetype(length));
    if (value.endsWith(QChar(0)))
        value.chop(1);
    if (type == REG_SZ)
        return value;
    if (type == REG_DWORD) {
        // Each byte as its own hexadecimal number, without padding.
        QString text = QStringLiteral("&h");
        for (qsizetype i = value.size() - 1; i >= 0; --i)
            text += QString::number(value[i].unicode(), 16).toUpper();
        return text;
    }
    return {};
}

bool GetKeyValue(RegistryStore &registry, qint32 KeyRoot, const QString &KeyName,
                 const QString &SubKeyRef, QString &KeyVal)
{
    RegKey key;
    if (registry.RegOpenKeyEx(KeyRoot, KeyName, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }
    quint32 type = REG_NONE;
    QString data;
    quint32 length = 1024;
    if (registry.RegQueryValueEx(key, SubKeyRef, type, data, length) != ERROR_SUCCESS) {
        KeyVal.clear();
        registry.RegCloseKey(key);
        return false;
    }
    KeyVal = KeyValueText(type, data, length);
    registry.RegCloseKey(key);
    return true;
}

QStringList SysInfoTools()
{
    return {QStringLiteral("hardinfo2"),           QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),         QStringLiteral("gnome-system-monitor"),
            QStringLiteral("mate-system-monitor"), QStringLiteral("xfce4-taskmanager")};
}

QString SysInfoProgram(RegistryStore &registry)
{
    QString value;
    if (GetKeyValue(registry, HKEY_LOCAL_MACHINE, kMsinfoKey, QStringLiteral("PATH"), value))
        return value;
    if (GetKeyValue(registry, HKEY_LOCAL_MACHINE, kMsinfoLocationKey, QStringLiteral("MSINFO"),
                    value)) {
        const QString path = value + QDir::separator() + QStringLiteral("MSINFO32.EXE");
        if (QFileInfo(path).isFile())
            return path;
    }
    for (const QString &tool : SysInfoTools()) {
        const QString path = QStandardPaths::findExecutable(tool);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool StartSysInfo(RegistryStore &registry, Prompts &prompts, const ProgramStarter &start)
{
    bool started = false;
    try {
        const QString program = SysInfoProgram(registry);
        started = !program.isEmpty() && start(program, {});
    } catch (const std::exception &) {
        started = false;
    }
    if (!started)
        prompts.MsgBox(QStringLiteral("System Information Is Unavailable At This Time"),
                       MsgButtons::OkOnly);
    return started;
}
