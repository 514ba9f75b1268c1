// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One text per import candidate, so that the calendar tests compare whole
// candidates: "date|type|description|show once|details|ticked|note", "-"
// for none, the details' line breaks as "\n".

#include "editor/ShareFile.h"

#include <QStringList>

inline QString candidateText(const ImportCandidate &c)
{
    const auto orNone = [](const QString &s) { return s.isNull() ? QStringLiteral("-") : s; };
    return QStringList{c.dateText,
                       orNone(c.iconText),
                       c.description,
                       c.showOnceText,
                       orNone(c.details).replace(QStringLiteral("\r\n"), QStringLiteral("\\n")),
                       c.suggested ? QStringLiteral("ticked") : QStringLiteral("unticked"),
                       c.note}
        .join(QLatin1Char('|'));
}
