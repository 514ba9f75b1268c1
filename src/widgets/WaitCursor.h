// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wait cursor for the length of a scope: long reads and writes show it,
// and an exception cannot leave it behind.

#include <QGuiApplication>

class WaitCursor final
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
