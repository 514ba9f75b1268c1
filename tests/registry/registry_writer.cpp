// A second process for the registry store tests: writes many values beside
// another writer, writes under a file-size limit, or dies holding the
// registry lock. Reports on standard output.

#include "RegTestSupport.h"
#include "platform/RegistryLock.h"

#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
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
    // limit <bytes> set|delete: writes or deletes the value Wallpaper with
    // files limited to bytes (a longer write fails instead of ending the
    // process); prints "True" or "False", then each message, one a line.
    if (args.size() == 3 && args[0] == QLatin1String("limit")) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(args[1].toLongLong());
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
        const QString name = QStringLiteral("Wallpaper");
        const bool ok = args[2] == QLatin1String("set")
                            ? SetRegValue(HKEY_CURRENT_USER, kDesktop, name,
                                          QStringLiteral("C:\\new.bmp"), prompts)
                            : DeleteRegKeyValue(HKEY_CURRENT_USER, kDesktop, name, prompts);
        out << (QStringList{ok ? QStringLiteral("True") : QStringLiteral("False")} +
                prompts.takeBoxes())
                   .join(QLatin1Char('\n'));
        return 0;
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
