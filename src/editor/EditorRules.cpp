// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/EditorRules.h"

#include <QDateTime>

QString deleteEventsQuestion(qsizetype count, const QString &firstDescription)
{
    if (count == 1)
        return QStringLiteral("Delete the event \"") + firstDescription + QStringLiteral("\"?");
    return QStringLiteral("Delete these ") + QString::number(count) + QStringLiteral(" events?");
}

bool pickedDateUnchanged(const QVariant &cellDate, const QDate &picked)
{
    return cellDate.isValid() && cellDate.toDateTime() == QDateTime(picked, QTime(0, 0));
}
