// SPDX-License-Identifier: GPL-3.0-or-later
// A second process for the registry store tests: writes the values
// <prefix>0 to <prefix><count - 1> under key Race beside another writer and
// prints how many calls answered True. With "die-holding" it takes the
// lock of HKEY_CURRENT_USER and ends without giving it back.

#include "RegTestSupport.h"

#include "platform/RegistryLock.h"

#include <QTextStream>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc == 2 && QByteArray(argv[1]) == "die-holding")
        _exit(RegistryLock(RegistryStore::fileFor(HKEY_CURRENT_USER)).isLocked() ? 0 : 1);
    if (argc != 3)
        return 3;
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    ScriptedPrompts prompts; // message boxes answer OK by themselves
    int written = 0;
    for (int i = 0, n = QByteArray(argv[2]).toInt(); i < n; ++i)
        written += SetRegValue(HKEY_CURRENT_USER, QStringLiteral("Race"),
                               prefix + QString::number(i), QString::number(i), prompts);
    QTextStream(stdout) << written;
    return prompts.boxes.isEmpty() ? 0 : 1;
}
