// A second process for the registry store tests: writes many values beside
// another writer, or dies holding the registry lock.

#include "RegTestSupport.h"
#include "platform/RegistryLock.h"

#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    ScriptedPrompts prompts; // message boxes answer OK by themselves
    QTextStream out(stdout);

    // write <prefix> <count>: values <prefix>0.. under key Race; prints how
    // many calls answered True.
    if (args.size() == 3 && args[0] == QLatin1String("write")) {
        int written = 0;
        for (int i = 0, n = args[2].toInt(); i < n; ++i)
            written += SetRegValue(HKEY_CURRENT_USER, QStringLiteral("Race"),
                                   args[1] + QString::number(i), QString::number(i), prompts);
        out << written;
        return prompts.boxes.isEmpty() ? 0 : 1;
    }
    // die-holding: takes the lock of HKEY_CURRENT_USER and ends without
    // giving it back.
    if (args.size() == 1 && args[0] == QLatin1String("die-holding")) {
        RegistryLock lock(RegistryStore::fileFor(HKEY_CURRENT_USER));
        std::fflush(stdout);
        _exit(lock.isLocked() ? 0 : 1);
    }
    return 3;
}
