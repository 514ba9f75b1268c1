// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry/TaskTable.h"

#include "store/Connection.h"

void CheckTaskTable(Connection &db)
{
    // Naming every column makes the database say which one is missing.
    db.Execute(
        QStringLiteral("SELECT Task, hKey, SubKey, [key], NewValue FROM RegEdit WHERE False"));
}

QString deleteTaskQuestion(const QString &key)
{
    return QStringLiteral("Delete the task for \"") + key + QStringLiteral("\"?");
}

int DeleteTask(Connection &db, qint64 rowid)
{
    // By the row's own number: two tasks that look alike stay apart.
    return db.Execute(QStringLiteral("DELETE FROM RegEdit WHERE rowid = ") +
                      QString::number(rowid));
}

std::optional<QString> parentKeyPath(const QString &path)
{
    for (qsizetype i = path.size() - 1; i >= 1; --i) {
        if (path[i - 1] == QLatin1Char('\\'))
            return path.left(i);
    }
    return std::nullopt;
}

TaskRow taskRowFor(qint32 root, const QString &subKey, const QString &key, const QString &answer)
{
    const bool remove = answer.isEmpty();
    return TaskRow{root, subKey, key, remove ? QStringLiteral("delete") : QStringLiteral("edit"),
                   remove ? QStringLiteral("x") : answer};
}
