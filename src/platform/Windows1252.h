// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows' Western code page, in which older Windows programs write text:
// Latin-1 but for the bytes 0x80-0x9F.

#include <QByteArray>
#include <QString>

// The bytes as Unicode; the five bytes the code page leaves undefined map
// to the control characters of the same number, as Windows maps them.
QString fromWindows1252(const QByteArray &bytes);

// The code page's byte for c, or -1 when it has none.
int windows1252Byte(char16_t c);
