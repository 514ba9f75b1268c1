// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows version's Access database found at start-up: converted to
// one of ours in its place after one question, the original kept beside it.

#include "store/AccessConvert.h"

#include <QString>

class Prompts;

// The question asked before a Jet file is converted.
QString convertQuestion(const QString &path);

// For a Jet file at path: asks, converts in place (progress as the
// conversion reports it) and says what was converted. True when path now
// holds a database of ours (also when it was one already); false after
// Cancel or a failure, both said in a box, with the original unchanged.
bool convertAccessAtStart(const QString &path, Prompts &prompts,
                          const ConversionProgress &progress = {});
