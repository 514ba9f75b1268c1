// SPDX-License-Identifier: GPL-3.0-or-later
// The import's inserts and overwriting deletes, prepared once and run with
// each record's values bound.

#include "editor/ShareFile.h"

#include "store/Connection.h"
#include "store/JetCollation.h"
#include "store/JetDate.h"
#include "store/Statement.h"
#include "store/Transaction.h"

#include <QDate>

namespace {

void bindTextOrNull(Statement &st, int at, const ImportCandidate &c, const QString &text)
{
    if (c.plainTexts ? text.isNull() : text == QLatin1String("Null"))
        st.bindNull(at);
    else
        st.bindText(at, text.toUtf8());
}

// Runs a statement that returns no rows, ready to run again.
void run(Statement &st)
{
    st.step();
    st.reset();
}

} // namespace

int importCandidates(Connection &db, const QList<ImportCandidate> &candidates,
                     const std::vector<bool> &chosen, bool overwrite)
{
    int imported = 0;
    Transaction transaction(db);
    // The statements' own values, bound: the date as stored, True and
    // False as Jet's -1 and 0, "Null" as null. Description compares by
    // Jet's text order, as the translated DELETE does.
    Statement insert(db, QStringLiteral("INSERT INTO Calendar (Dates, icon, Description, "
                                        "ShowOnce, Details) VALUES (?1, ?2, ?3, ?4, ?5)"));
    Statement remove(db, QStringLiteral("DELETE FROM Calendar WHERE Description = ?1 COLLATE ") +
                             QLatin1String(kJetCollation));
    for (qsizetype k = 0; k < candidates.size(); ++k) {
        if (size_t(k) >= chosen.size() || !chosen[size_t(k)])
            continue;
        const ImportCandidate &c = candidates[k];
        checkImportRecord(c);
        ++imported;
        if (overwrite) {
            remove.bindText(1, c.description.toUtf8());
            run(remove);
        }
        const QDate day(c.dateText.mid(6, 4).toInt(), c.dateText.mid(3, 2).toInt(),
                        c.dateText.left(2).toInt());
        insert.bindText(1, isoDateBytes(day));
        bindTextOrNull(insert, 2, c, c.iconText);
        insert.bindText(3, c.description.toUtf8());
        insert.bind(
            4, qint64(c.showOnceText.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ? -1
                                                                                              : 0));
        bindTextOrNull(insert, 5, c, c.details);
        run(insert);
    }
    transaction.commit();
    return imported;
}
