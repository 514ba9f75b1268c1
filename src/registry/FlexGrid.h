// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two operations of a flexible grid that the registry listings use, so
// that the listings stay free of widgets: the registry tool's grid
// implements them, tests record them.

#include <QString>

class FlexGrid
{
public:
    virtual ~FlexGrid() = default;

    // Appends a row whose cells are the tab-separated parts of item.
    virtual void AddItem(const QString &item) = 0;
    virtual void setFixedRows(int rows) = 0;
};
