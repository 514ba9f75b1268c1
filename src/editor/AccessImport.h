// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The events of another Access (Jet) database offered for import, as the
// calendar imports offer theirs.

#include "editor/ShareFile.h"

// The Calendar rows of the Jet file at path as candidates (a type that is
// none of the nine becomes none and is noted; long texts are cut and
// noted); events without a date or a description are counted in skipped.
// Throws DbError for a file that is not an Access database of ours or is
// damaged, AppError for one that cannot be read.
ImportRead readAccessEvents(const QString &path);
