// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/GridRules.h"

#include "store/DateRules.h"

std::optional<GridEvent> gridEventAt(const QString &dateText, const QString &descriptionText)
{
    const QDate day = dayFromDayMonthYearText(dateText);
    if (!day.isValid())
        return std::nullopt;
    return GridEvent{day, descriptionText};
}

int rowUnderPointer(int y, int rows, const std::function<int(int)> &rowPos)
{
    for (int r = 1; r < rows; ++r) {
        if (y < rowPos(r))
            return r - 1;
    }
    return rows - 1;
}
