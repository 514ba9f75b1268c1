// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/EventTypes.h"

const QStringList &typeKeys()
{
    static const QStringList keys = {
        QStringLiteral("birthday"),  QStringLiteral("anniversary"), QStringLiteral("car_race"),
        QStringLiteral("bike_race"), QStringLiteral("unknown"),     QStringLiteral("reminder"),
        QStringLiteral("memorial"),  QStringLiteral("holiday"),     QStringLiteral("doctor")};
    return keys;
}

bool IconInList(const QString &key)
{
    bool found = false;
    for (const QString &k : typeKeys()) {
        if (k == key)
            found = true;
    }
    return found;
}
