// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text forms exchange files come in. Files written on Windows are 8-bit
// text in its Western code page (Windows-1252); newer programs write UTF-8
// or UTF-16 with a byte-order mark. We read all of them, write Windows-1252
// whenever it holds every character (so the file still reads on Windows)
// and UTF-8 with its mark otherwise, and never replace a character by "?".

#include <QByteArray>
#include <QString>
#include <QStringList>

enum class TextForm
{
    Undecided, // empty or plain ASCII: any form reads it the same
    Windows1252,
    Utf8,
    Utf8Bom,
    Utf16LE, // always with its byte-order mark
    Utf16BE,
};

// The form of a file's bytes: by its byte-order mark, else UTF-8 when the
// bytes are valid UTF-8 holding a non-ASCII character, else Windows-1252.
TextForm detectTextForm(const QByteArray &bytes);

// The bytes as text, in the form detectTextForm finds; a mark is dropped.
QString decodeText(const QByteArray &bytes);

// The text in form, without a byte-order mark. Undecided gives Windows-1252
// when it holds every character, else UTF-8. Throws AppError when form is
// Windows-1252 and a character has no place in it.
QByteArray encodeText(const QString &text, TextForm form);

// The whole file of text in form, its mark included. Undecided (a new file,
// or one plain ASCII so far) becomes Windows-1252 when that holds every
// character, else UTF-8 with its mark: Windows programs read UTF-8 without
// one as their 8-bit code page. Throws AppError as encodeText does.
QByteArray encodeFile(const QString &text, TextForm form);

// The form encodeFile writes text in.
TextForm fileForm(const QString &text, TextForm form);

// The mark a new file of that form starts with ("" for the 8-bit forms).
QByteArray byteOrderMark(TextForm form);

// True when every character has a byte in Windows-1252.
bool fitsWindows1252(const QString &text);

// The lines of a text whose lines end in CR LF or a bare LF; a last line
// without an ending counts, an ending at the very end opens no line.
QStringList textLines(const QString &text);

// The line (counted from 1) holding the first byte that is not well-formed
// UTF-8; 0 when every byte is.
int invalidUtf8Line(const QByteArray &bytes);
