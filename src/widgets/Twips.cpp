// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {

double logicalDpi()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchY();
    return 96.0;
}

} // namespace

int twipsToPixels(double twips)
{
    return int(std::lround(twips * logicalDpi() / 1440.0));
}

double pixelsToTwips(int pixels)
{
    return pixels * 1440.0 / logicalDpi();
}

QRect twipsRect(double left, double top, double width, double height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}
