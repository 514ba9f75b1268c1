// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/AccessText.h"

std::optional<QString> decodeJet4Text(const unsigned char *bytes, std::size_t size)
{
    QString text;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text.reserve(qsizetype(size));
        bool packed = true;
        std::size_t i = 2;
        while (i < size) {
            if (bytes[i] == 0) {
                packed = !packed;
                ++i;
            } else if (packed) {
                text.append(QChar(char16_t(bytes[i])));
                ++i;
            } else if (i + 1 < size) {
                text.append(QChar(char16_t(bytes[i] | (bytes[i + 1] << 8))));
                i += 2;
            } else {
                return std::nullopt;
            }
        }
        return text;
    }
    if (size % 2 != 0)
        return std::nullopt;
    text.resize(qsizetype(size / 2));
    for (std::size_t i = 0; i < size / 2; ++i)
        text[qsizetype(i)] = QChar(char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    return text;
}

QString decodeJet3Text(const unsigned char *bytes, std::size_t size)
{
    // Where Windows-1252 differs from Latin-1 (0x80 to 0x9F); the five
    // bytes it leaves undefined keep their Latin-1 control character.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(qsizetype(size), Qt::Uninitialized);
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char b = bytes[i];
        text[qsizetype(i)] = QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return text;
}
