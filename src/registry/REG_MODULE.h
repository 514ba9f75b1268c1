// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's only way into the registry: read, write and delete one
// string value, and list the subkeys or values of a key into a grid. Each
// call opens its own key and closes it before it returns; messages go
// through the Prompts handed in.

#include "platform/Registry.h"

#include <QString>

class FlexGrid;
class Prompts;

// The value's text, or defaultText when the key or value is missing or the
// text does not fit the 255-character buffer (254 characters and its zero).
QString GetRegValue(qint32 root, const QString &keyPath, const QString &valueName,
                    const QString &defaultText, Prompts &prompts);

// Writes a string value, creating the key path as needed. True when the
// value was written; a failed write shows nothing.
bool SetRegValue(qint32 root, const QString &keyPath, const QString &valueName, const QString &text,
                 Prompts &prompts);

// Deletes one value, creating the key path first. True when the value
// existed and was deleted; a missing value is false without a message.
bool DeleteRegKeyValue(qint32 root, const QString &keyPath, const QString &valueName,
                       Prompts &prompts);

// Appends one row "name<TAB><sub key>" per subkey. The key is opened for all
// access (and created when missing), so nothing is listed where the root may
// not be written. Without a grid (nullptr) the subkeys are enumerated and
// nothing is added.
void ListSubKeys(qint32 root, const QString &keyPath, FlexGrid *grid, Prompts &prompts);

// Appends one row "name<TAB>data" per value, "(Default)" for the unnamed one.
void ListValues(qint32 root, const QString &keyPath, FlexGrid *grid, Prompts &prompts);

// The message for a failed registry call's result code.
void RegistryResultMessage(qint32 resultCode, Prompts &prompts);
