// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Window sizes of the design are in twips (1/1440 inch); this is the one
// conversion to and from the screen's logical pixels.

#include <QRect>

int twipsToPixels(double twips);
double pixelsToTwips(int pixels);
// A design rectangle (left, top, width, height in twips) in pixels.
QRect twipsRect(double left, double top, double width, double height);
