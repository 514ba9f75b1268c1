// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shows a picture on the running desktop. On Windows the desktop reads the
// "Wallpaper" setting itself; here nobody reads it, so each desktop is told
// through its own tool, chosen by XDG_CURRENT_DESKTOP. Tools run as
// programs with an argument list (never through a shell) and a time limit,
// the path made absolute and written for the tool's own parser; a missing
// tool or a failure is silent, as a failed registry write is.

#include <QByteArray>
#include <QString>
#include <QStringList>

class DesktopWallpaper final
{
public:
    explicit DesktopWallpaper(int timeLimitMs = 5000) : m_timeLimitMs(timeLimitMs) {}

    // Applies path with the tool of the session's desktop; false when no
    // desktop was recognised, the tool refuses path or it failed.
    bool apply(const QString &path) const;
    // Why the session's desktop tool cannot be handed path exactly, or ""
    // when it can (or no desktop was recognised).
    QString refusal(const QString &path) const;

private:
    // One function per desktop, over an absolute path; each is true when
    // every tool call succeeded.
    bool gnome(const QString &path) const; // also Unity, Budgie, Pantheon
    bool cinnamon(const QString &path) const;
    bool mate(const QString &path) const;
    bool xfce(const QString &path) const;
    bool kde(const QString &path) const; // Plasma's desktop script over D-Bus
    bool lxqt(const QString &path) const;
    bool sway(const QString &path) const;
    bool feh(const QString &path) const; // any other X11 session

    using Setter = bool (DesktopWallpaper::*)(const QString &) const;
    // The session's desktop, or nullptr.
    static Setter sessionDesktop();
    // Runs program with args; true when it ended by itself with status 0.
    // Its standard output goes to output when given.
    bool run(const QString &program, const QStringList &args, QByteArray *output = nullptr) const;

    int m_timeLimitMs;
};
