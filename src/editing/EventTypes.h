// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The event types: the keys of the nine type pictures, in the image list's
// order. Every type list of the program is made from these.

#include <QStringList>

const QStringList &typeKeys();

// True when key names one of the pictures (exact, case counts).
bool IconInList(const QString &key);
