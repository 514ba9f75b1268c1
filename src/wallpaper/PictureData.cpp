// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/PictureData.h"

#include <QtEndian>

namespace {

quint8 byteAt(const QByteArray &data, qint64 at)
{
    return quint8(data[qsizetype(at)]);
}

// Walks the GIF's blocks up to its trailer (";"); false when the data ends
// first or holds something that is no block.
bool gifWhole(const QByteArray &data)
{
    const qint64 size = data.size();
    if (size < 13)
        return false;
    const auto colourTable = [](quint8 flags) {
        return (flags & 0x80) ? 3 * (qint64(1) << ((flags & 7) + 1)) : 0;
    };
    qint64 at = 13 + colourTable(byteAt(data, 10));
    const auto skipSubBlocks = [&] {
        while (at < size) {
            const quint8 length = byteAt(data, at++);
            if (length == 0)
                return true;
            at += length;
        }
        return false;
    };
    while (at < size) {
        const quint8 kind = byteAt(data, at++);
        if (kind == 0x3B)
            return true;
        if (kind == 0x21) { // extension: label, then sub-blocks
            ++at;
        } else if (kind == 0x2C) { // image: descriptor, colours, code size
            if (at + 9 > size)
                return false;
            at += 9 + colourTable(byteAt(data, at + 8)) + 1;
        } else {
            return false;
        }
        if (!skipSubBlocks())
            return false;
    }
    return false;
}

bool jpegWhole(const QByteArray &data)
{
    const qsizetype lastScan = data.lastIndexOf(QByteArrayLiteral("\xFF\xDA"));
    return lastScan >= 0 && data.lastIndexOf(QByteArrayLiteral("\xFF\xD9")) > lastScan;
}

// An uncompressed BMP holds its rows whole after the pixel offset; a
// compressed one is left to its reader.
bool bmpWhole(const QByteArray &data)
{
    if (data.size() < 30)
        return false;
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(data.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(data.constData() + at); };
    const qint64 offset = u32(10);
    qint64 width = 0, height = 0, bits = 0;
    if (u32(14) == 12) { // the OS/2 core header
        width = u16(18);
        height = u16(20);
        bits = u16(24);
    } else {
        if (data.size() < 34)
            return false;
        const quint32 compression = u32(30);
        if (compression != 0 && compression != 3 && compression != 6)
            return true;
        width = qint32(u32(18));
        height = qint32(u32(22));
        bits = u16(28);
    }
    if (qAbs(width) > 0xFFFF || qAbs(height) > 0xFFFF)
        return false; // no such picture is decoded anyway
    const qint64 rowBytes = (qAbs(width) * bits + 31) / 32 * 4;
    return offset + rowBytes * qAbs(height) <= data.size();
}

} // namespace

bool IsCutOff(const QByteArray &data, const QByteArray &format)
{
    if (format == "gif")
        return !gifWhole(data);
    if (format == "jpeg")
        return !jpegWhole(data);
    if (format == "bmp")
        return !bmpWhole(data);
    return false;
}
