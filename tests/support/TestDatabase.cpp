// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestDatabase.h"

#include "store/Repair.h"
#include "support/CalendarRows.h"

#include <QFile>
#include <QTemporaryDir>

QString newDatabase(const QString &path, Connection &db, const QStringList &events)
{
    static QTemporaryDir folder;
    static const QString made = folder.filePath(QStringLiteral("Template.MDB"));
    if (!QFile::exists(made))
        CreateDatabase(made);
    if (!QFile::copy(made, path))
        qFatal("cannot copy the new database to %s", qPrintable(path));
    db.Open(Connection::connectionStringFor(path));
    addEvents(db, events);
    return path;
}
