// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture's path written for each desktop tool's own parser, so that the
// tool reads back exactly that path and expands nothing in it. A file name
// is stored text: none of its characters may become a tool's syntax.

#include <QString>

// The file URI of an absolute path, percent-encoded (no blank, quote,
// "%", "#", "?", control or non-ASCII character is left as it is).
QString fileUri(const QString &path);

// A GVariant text string literal ('...'), as gsettings and dconf parse it:
// backslash and quote escaped, control characters as \uXXXX.
QString gvariantString(const QString &text);

// A JavaScript string literal ('...') in ASCII: backslash and quotes
// escaped, every other character outside printable ASCII as \uXXXX.
QString javaScriptString(const QString &text);

// Why sway cannot be handed path exactly, or "" when it can: its command
// parser and wordexp() leave no way to write a backslash before "$" or a
// control character.
QString swayRefusal(const QString &path);

// path as one argument of swaymsg's "output * bg": every ASCII character
// but letters, digits and "/._-" escaped with a backslash, which sway's
// command parser keeps and wordexp() then takes as that plain character
// (no "$(...)", backquote, variable, "~" or glob is left to expand). Only
// for a path swayRefusal accepts.
QString swayPathArgument(const QString &path);
