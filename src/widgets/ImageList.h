// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ImageList1 and redPic: the type pictures and the one-off marker, drawn
// from the program's SVG resources and shared by every window.

#include <QIcon>
#include <QPixmap>
#include <QString>

// The picture of a type key (see typeKeys()); a null icon for other keys.
QIcon typeIcon(const QString &key);
QPixmap typePixmap(const QString &key, int size);
// The 6 by 6 pixel red marker of one-off events.
QPixmap redPic();
// The program's own icon.
QIcon appIcon();
