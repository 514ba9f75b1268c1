// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record-set filter the editor builds from the filter dialog's answer.

#include <QString>

// "Description like '*...*'" (quotes doubled), "icon = '...'" (the key as
// it is) and "ShowOnce = True", each present only when asked for, joined by
// " and ". "" when nothing is asked for.
QString BuildFilterText(const QString &filtertype, const QString &filterdescr, bool filterOnce);
