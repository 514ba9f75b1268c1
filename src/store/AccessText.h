// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of a Jet file as stored: Jet 4 keeps UTF-16LE, packed by its
// own compression when the text starts FF FE; Jet 3 keeps the Windows
// code page. Decoded here rather than by mdbtools, whose conversion turns
// every character outside the Basic Multilingual Plane into "??".

#include <QString>
#include <cstddef>
#include <optional>

// A Jet 4 text value of bytes: plain UTF-16LE, or after FF FE runs of one
// byte per character (U+0000 to U+00FF) and of UTF-16LE, each 00 byte
// switching between them. Nothing when the bytes cannot be such a text (an
// odd count of plain UTF-16 bytes).
std::optional<QString> decodeJet4Text(const unsigned char *bytes, std::size_t size);

// A Jet 3 text value: one byte per character in Windows-1252.
QString decodeJet3Text(const unsigned char *bytes, std::size_t size);
