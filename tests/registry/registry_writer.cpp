// A second process for the registry tests: writes many values beside
// another writer, writes under a file-size limit, or dies holding the
// registry lock. Reports on standard output.

#include "WriterSteps.h"
#include "platform/Registry.h"
#include "platform/RegistryLock.h"

#include <QStringList>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Message boxes are answered OK and their texts kept for the report.
class ListedPrompts final : public Prompts
{
public:
    QStringList shown;
    MsgResult MsgBox(const QString &text, MsgButtons, MsgIcon, const QString &) override
    {
        shown << text;
        return MsgResult::Ok;
    }
    QString InputBox(const QString &, const QString &, const QString &) override { return {}; }
    QString OpenFileDialog(const QString &, const QString &, const QString &,
                           const QString &) override
    {
        return {};
    }
    QString SaveFileDialog(const QString &, const QString &, const QString &, const QString &,
                           bool) override
    {
        return {};
    }
    quint32 ColourDialog(quint32 initial) override { return initial; }
};

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    ListedPrompts prompts;
    setAppPrompts(&prompts);
    QTextStream out(stdout);

    // write <prefix> <count>: values <prefix>0.. under key Race; prints how
    // many calls answered True.
    if (args.size() == 3 && args[0] == QLatin1String("write")) {
        int written = 0;
        for (int i = 0, n = args[2].toInt(); i < n; ++i)
            written += SetRegValue(HKEY_CURRENT_USER, QStringLiteral("Race"),
                                   args[1] + QString::number(i), QString::number(i), prompts);
        out << written;
        return prompts.shown.isEmpty() ? 0 : 1;
    }
    // limit <bytes> set|delete: the Wallpaper step with files limited to
    // bytes (a longer write fails instead of ending the process).
    if (args.size() == 3 && args[0] == QLatin1String("limit")) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(args[1].toLongLong());
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
        const bool ok = wallpaperStep(args[2], prompts);
        out << stepReport(ok, prompts.shown);
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
