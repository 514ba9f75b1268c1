// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The key notation programs type with: "^" Ctrl, "%" Alt and "+" Shift for
// the next key or a "( )" group, "~" Enter, "{End}" and the other named keys
// (with an optional repeat count, "{Left 3}"), and "{+}", "{~}", "{{}" ...
// for the characters the notation reserves. Everything else is typed as it
// is.

#include <QList>
#include <QString>
#include <Qt>

struct KeyStroke
{
    int key = 0; // a Qt::Key
    Qt::KeyboardModifiers modifiers;
    QString text; // what the key types; "" for keys that type nothing

    bool operator==(const KeyStroke &) const = default;
};

// The strokes of a notation text. Throws AppError (invalid procedure call)
// for an unknown key name, an unclosed brace or group, or a modifier with
// no key after it.
QList<KeyStroke> parseKeyNotation(const QString &notation);

// The notation that types text character for character: the reserved
// characters + ^ % ~ ( ) { } [ ] each between braces.
QString literalKeys(const QString &text);
