// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtGlobal>

TestEnv::TestEnv()
{
    Q_ASSERT(m_dir.isValid());
    qputenv("HOME", m_dir.path().toUtf8());
    // "run" is the user's own runtime folder, as a session gives it (mode 0700).
    for (const auto &[variable, folder] : {std::pair{"XDG_CONFIG_HOME", "config"},
                                           {"XDG_DATA_HOME", "data"},
                                           {"XDG_CONFIG_DIRS", "xdg"},
                                           {"XDG_RUNTIME_DIR", "run"}}) {
        QDir(m_dir.path()).mkpath(QLatin1String(folder));
        qputenv(variable, m_dir.filePath(QLatin1String(folder)).toUtf8());
    }
    QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // No desktop to tell about a wallpaper: a test never reaches the real one.
    for (const char *name :
         {"XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK"})
        qunsetenv(name);
    QStandardPaths::setTestModeEnabled(false);
}
