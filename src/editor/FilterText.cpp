// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/FilterText.h"

#include "store/Literals.h"

QString BuildFilterText(const QString &filtertype, const QString &filterdescr, bool filterOnce)
{
    QString filter;
    if (!filterdescr.isEmpty())
        filter =
            QStringLiteral("Description like '*") + QuoteSql(filterdescr) + QStringLiteral("*'");
    if (!filtertype.isEmpty()) {
        if (!filter.isEmpty())
            filter += QStringLiteral(" and ");
        filter += QStringLiteral("icon = '") + filtertype + QLatin1Char('\'');
    }
    if (filterOnce) {
        if (!filter.isEmpty())
            filter += QStringLiteral(" and ");
        filter += QStringLiteral("ShowOnce = True");
    }
    return filter;
}
