// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes given to the iCalendar reader (libical underneath): it must
// return candidates that could be inserted as they are, or refuse with
// AppError. A crash, a sanitizer report or a hang (5 s) is a finding.

#include "ImportChecks.h"
#include "editor/ICalendarFile.h"

#include <QTimeZone>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QTimeZone tokyo("Asia/Tokyo");
    mustReadOrRefuse([&] { return parseICalendar(bytes, QDate(2026, 12, 6), tokyo); });
    return 0;
}
