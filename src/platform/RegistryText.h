// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The .reg text form of one registry root: "Windows Registry Editor Version
// 5.00" files (UTF-8 as written here, or UTF-16 as regedit exports them) and
// "REGEDIT4" files in the Windows-1252 code page.

#include <QByteArray>
#include <QString>

class RegistryNode;

// The first line of a file that could not be read, counted from 1, and why.
struct RegTextFault
{
    int line = 0; // 0 when every line was read
    QString reason;
};

// Reads the text of a root's file into root, applying value ("name"=-) and
// key ([-key]) deletion lines as regedit does. rootName
// ("HKEY_CURRENT_USER") is the only root its sections may name. A line that
// cannot be read is skipped (a section that cannot be read skips its values
// too) and the rest is read; the first such line is returned.
RegTextFault parseRegText(const QByteArray &raw, const QString &rootName, RegistryNode &root);

// The file text of a root: every key a section (the root only when it holds
// values), strings quoted with backslash and quote escaped, strings holding
// line breaks or zeros and other types in hex form. UTF-8.
QByteArray regText(const RegistryNode &root, const QString &rootName);
