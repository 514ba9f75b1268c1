// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildProcess.h"

#include <QFile>

#include <exception>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

QString inChildProcess(const std::function<QString()> &work)
{
    int out[2];
    if (::pipe(out) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        QString report;
        try {
            report = work();
        } catch (const std::exception &e) {
            report = QStringLiteral("uncaught: ") + QString::fromUtf8(e.what());
        } catch (...) {
            report = QStringLiteral("uncaught");
        }
        const QByteArray bytes = report.toUtf8();
        [[maybe_unused]] const ssize_t n = ::write(out[1], bytes.constData(), size_t(bytes.size()));
        ::_exit(0); // no destructors: they belong to the parent
    }
    ::close(out[1]);
    QFile in; // reads to the end, through interrupted reads
    in.open(out[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray got = in.readAll();
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status))
        return QStringLiteral("child ended by signal %1").arg(WTERMSIG(status));
    return QString::fromUtf8(got);
}

QString unprivileged(const std::function<QString()> &work)
{
    return inChildProcess([&]() -> QString {
        constexpr uid_t nobody = 65534;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
             ::setresuid(nobody, nobody, nobody) != 0))
            return QStringLiteral("cannot become nobody");
        if (::geteuid() == 0)
            return QStringLiteral("still privileged");
        return work();
    });
}
