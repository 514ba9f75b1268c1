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
