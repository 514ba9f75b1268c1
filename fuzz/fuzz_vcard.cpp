// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes given to the vCard reader: it must return candidates that
// could be inserted as they are, or refuse with AppError. A crash, a
// sanitizer report or a hang (5 s) is a finding.

#include "ImportChecks.h"
#include "editor/VCardFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    mustReadOrRefuse([&] { return parseVCardFile(bytes); });
    return 0;
}
