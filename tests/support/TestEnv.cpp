// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtGlobal>

TestEnv::TestEnv()
{
    Q_ASSERT(m_dir.isValid());
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    QDir(m_dir.path()).mkpath(QStringLiteral("data"));
    QDir(m_dir.path()).mkpath(QStringLiteral("xdg"));
    qputenv("HOME", m_dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", m_dir.filePath(QStringLiteral("xdg")).toUtf8());
    // The user's own runtime folder, as a session gives it (mode 0700).
    QDir(m_dir.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", m_dir.filePath(QStringLiteral("run")).toUtf8());
    // No desktop to tell about a wallpaper: a test never reaches the real one.
    for (const char *name :
         {"XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK"})
        qunsetenv(name);
    QStandardPaths::setTestModeEnabled(false);
}
