// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/AccessImport.h"

#include "editor/CalendarImport.h"
#include "store/AccessConvert.h"
#include "store/AccessFile.h"
#include "store/DbError.h"
#include "store/JetValue.h"

ImportRead readAccessEvents(const QString &path)
{
    const AccessFile file(path);
    const QString table = file.tableNamed(QStringLiteral("Calendar"));
    if (table.isEmpty())
        throw notOurs(path, QStringLiteral("it has no table 'Calendar'"));
    ImportRead read;
    int withoutDate = 0, withoutDescription = 0;
    file.readRows(table,
                  {QStringLiteral("Dates"), QStringLiteral("Icon"), QStringLiteral("Description"),
                   QStringLiteral("Details"), QStringLiteral("ShowOnce")},
                  [&](const std::vector<AccessValue> &v) {
                      qint64 day = 0;
                      int seconds = 0;
                      if (v[0].kind != AccessKind::Date ||
                          !jet::serialToDay(v[0].number, &day, &seconds)) {
                          ++withoutDate;
                          return;
                      }
                      if (v[2].kind == AccessKind::Null || v[2].text.isEmpty()) {
                          ++withoutDescription;
                          return;
                      }
                      int y = 0, m = 0, d = 0;
                      jet::civilFromDay(day, &y, &m, &d);
                      const bool typed = v[1].kind != AccessKind::Null && !v[1].text.isEmpty();
                      const QString key = typed ? typeKeyNamed(v[1].text) : QString();
                      ImportCandidate c =
                          calendarCandidate(QDate(y, m, d), v[2].text, key, v[4].number == 0,
                                            v[3].kind == AccessKind::Null ? QString() : v[3].text);
                      if (typed && key.isNull())
                          addNote(c, QStringLiteral("type '") + v[1].text +
                                         QStringLiteral("' is none of the nine"));
                      read.candidates.append(std::move(c));
                  });
    if (withoutDate > 0)
        read.skipped << QString::number(withoutDate) + QStringLiteral(" events had no date");
    if (withoutDescription > 0)
        read.skipped << QString::number(withoutDescription) +
                            QStringLiteral(" events had no description");
    return read;
}
