// SPDX-License-Identifier: GPL-3.0-or-later
// The import's inserts and overwriting deletes, prepared once and run with
// each record's values bound.

#include "editor/ShareFile.h"

#include "store/Connection.h"
#include "store/JetCollation.h"
#include "store/Statement.h"
#include "store/Transaction.h"

namespace {

// Binds utf8 without a copy: it must live until the statement has run.
void bindTextOrNull(Statement &st, int at, const ImportCandidate &c, const QString &text,
                    QByteArray &utf8)
{
    if (c.plainTexts ? text.isNull() : text == QLatin1String("Null")) {
        st.bindNull(at);
        return;
    }
    utf8 = text.toUtf8();
    st.bindStaticText(at, std::string_view(utf8.constData(), size_t(utf8.size())));
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
        const QByteArray description = c.description.toUtf8();
        if (overwrite) {
            remove.bindText(1, description);
            run(remove);
        }
        // checkImportRecord found dd/mm/yyyy of a real day: stored as yyyy-mm-dd.
        const auto at = [&c](int i) { return char(c.dateText[i].unicode()); };
        const char date[10] = {at(6), at(7), at(8), at(9), '-', at(3), at(4), '-', at(0), at(1)};
        insert.bindStaticText(1, std::string_view(date, sizeof date));
        QByteArray icon, details;
        bindTextOrNull(insert, 2, c, c.iconText, icon);
        insert.bindStaticText(
            3, std::string_view(description.constData(), size_t(description.size())));
        insert.bind(
            4, qint64(c.showOnceText.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ? -1
                                                                                              : 0));
        bindTextOrNull(insert, 5, c, c.details, details);
        run(insert);
    }
    transaction.commit();
    return imported;
}
