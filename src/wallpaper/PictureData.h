// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a picture file holds all of its picture. Qt's readers decode what
// is there of a cut-off GIF, JPEG or BMP and report success (the rest black
// or grey); the file's own structure tells that it ends too early.

#include <QByteArray>

// True when data, a picture of the reader's format ("gif", "jpeg", "bmp"),
// ends before its picture does: a GIF without its trailer after the last
// block, a JPEG without an end marker after its last scan, an uncompressed
// BMP shorter than its rows. Other formats: false (their readers fail).
bool IsCutOff(const QByteArray &data, const QByteArray &format);
