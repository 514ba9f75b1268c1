// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the record set's two source files share.

#include "store/DbError.h"

#include <QString>

namespace recordset {

// The alias of the rowid column every record set query starts with.
inline QString rowidAlias()
{
    return QStringLiteral("\"@rowid\"");
}

inline QString quotedName(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

inline DbError noCurrentRow()
{
    return DbError(DbErrNo::NoCurrentRow,
                   QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                  "deleted. Requested operation requires a current record."));
}

} // namespace recordset
