// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Gives a test its own temporary home: settings, data, registry and
// databases live there, never in the real user's folders.

#include <QString>
#include <QTemporaryDir>

class TestEnv
{
public:
    TestEnv();
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
