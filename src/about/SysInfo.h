// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The About box's "System Info..." button: which system information program
// to start, found through the local-machine registry as the design has it,
// otherwise the first known tool of this desktop on PATH.

#include "platform/Programs.h"

#include <QString>

class Prompts;
class RegistryStore;

// Reads one value: opens KeyName under KeyRoot for all access and queries
// SubKeyRef. True with KeyVal set when it was read; false with KeyVal empty
// when the key cannot be opened or the value cannot be read.
bool GetKeyValue(RegistryStore &registry, qint32 KeyRoot, const QString &KeyName,
                 const QString &SubKeyRef, QString &KeyVal);
// How GetKeyValue renders what it read: the data cut to length, less a
// closing NUL; a string as it is, a 32-bit number as "&h" and its bytes in
// hexadecimal, last byte first; any other type as "".
QString KeyValueText(quint32 type, const QString &data, quint32 length);

// The tools looked for on PATH, in this order.
QStringList SysInfoTools();
// The program to start, or "" when there is none: the registry's MSINFO
// path, else MSINFO32.EXE in its registered folder, else the first of
// SysInfoTools() on PATH.
QString SysInfoProgram(RegistryStore &registry);
// Starts SysInfoProgram(); when there is none or the start fails, says
// "System Information Is Unavailable At This Time". True when started.
bool StartSysInfo(RegistryStore &registry, Prompts &prompts, const ProgramStarter &start);
