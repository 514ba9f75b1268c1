// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/EditRules.h"

#include "editing/EventRecord.h"

QString builtStatement(SqlMode mode, const QString &setColumn, const QString &setValue,
                       const QString &whereColumn, const QString &whereValue)
{
    QString condition;
    if (!whereValue.isEmpty())
        condition = QStringLiteral(" WHERE ") + whereColumn + QStringLiteral(" = ") + whereValue;
    switch (mode) {
    case SqlMode::Update:
        return QStringLiteral("Update Calendar SET ") + setColumn + QStringLiteral(" = ") +
               setValue + condition;
    case SqlMode::Delete:
        return QStringLiteral("Delete FROM Calendar ") + condition;
    case SqlMode::None:
        break;
    }
    return QString();
}

bool eventDiffers(const EventRecord &loaded, const EventRecord &form)
{
    return form.Description != loaded.Description || !loaded.Dates.isValid() ||
           loaded.Dates.date() != form.Dates.date() || form.icon != loaded.icon ||
           form.Details != withCrLf(loaded.Details) || loaded.ShowOnce != form.ShowOnce;
}
